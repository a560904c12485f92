#pragma once
// The desktop program: splash, data root, main window, start-up and the event loop.
int runProgram(int argc, char** argv);
