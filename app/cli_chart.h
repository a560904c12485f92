#pragma once
// dravik-cli chart: a stock's chart from the data root's files, built as a chart value
// from the saved settings and the options, printed as text and drawn as pictures.
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "app/chart_text.h"
#include "app/platform.h"
#include "chart/chart.h"

class TForm1;

namespace app {

// Messages and errors go to the standard error stream as they arise.
class TerminalPlatform : public Platform {
  public:
    void showMessage(const std::string& text) override;
    void showError(const std::string& text) override;
    void beginWait() override {}
    void endWait() override {}
    void processEvents() override {}
    std::string today() override { return localToday(); }
    void splashStatus(const std::string&) override {}
    int shown = 0;
    int errors = 0;
};

struct ChartCommand {
    std::string code;
    std::optional<std::string> days;   // --days
    std::optional<std::string> ratio;  // --ratio
    bool cohen = false;
    bool kouho = false;  // from the candidate file
    chart::ChartStyle style;
    ChartTextOptions text;
    // --svg, --png, --width
    std::map<std::string, std::string> pictures;
};

// The files the form's actions need, read as start-up reads them: the settings fill the
// fields; the code list and the date file may be absent; the price file must be read
// (false, its message printed, when it cannot).
bool loadFormFiles(TForm1& form, TerminalPlatform& platform);

// Returns the exit status: 0 done, 1 when the chart could not be made (the message is
// printed), 2 for a picture width that is no number of pixels.
int runChartCommand(const std::filesystem::path& root, const ChartCommand& command);

}  // namespace app
