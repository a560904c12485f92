#pragma once
// The desktop program: splash, data root, main window, start-up and the event loop.
class QCoreApplication;

int runProgram(int argc, char** argv);

// Qt's own Japanese texts (qtbase_ja, Debian's qt6-translations-l10n) for the standard
// dialogs and buttons; false when they are not installed.
bool installQtJapanese(QCoreApplication& application);
