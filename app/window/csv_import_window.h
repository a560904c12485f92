#pragma once
// CSV files into the window: "CSV取り込み..." in the File menu and files dropped on the
// window. The import itself is market::importCsvFiles; this side asks, shows progress,
// reloads the tables and charts the first imported stock.
#include <QObject>
#include <QStringList>
#include <functional>

class MainWindow;
class TForm1;

class CsvImportWindow : public QObject {
    Q_OBJECT
  public:
    // Adds the menu entry and takes the files dropped on the window.
    CsvImportWindow(MainWindow& window, TForm1& form);

    // Imports the files; on a root that still holds the generated sample it asks first.
    void importFiles(const QStringList& files);

    // A yes/no question, in a message box unless a test answers it.
    std::function<bool(const QString& question)> confirm;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void chooseFiles();

    MainWindow& window_;
    TForm1& form_;
};
