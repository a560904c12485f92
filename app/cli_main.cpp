// dravik-cli: charts and screens from a terminal or a script, driving the same form
// and actions as the window.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/chart_text.h"
#include "app/chart_view.h"
#include "app/cli_pictures.h"
#include "app/cli_update.h"
#include "app/data_root.h"
#include "app/form.h"
#include "app/platform.h"
#include "market/market.h"
#include "screening/breadth.h"
#include "screening/patterns.h"
#include "screening/results_csv.h"
#include "screening/screening.h"
#include "tables/code_lookup.h"
#include "tables/convert.h"
#include "tables/settings_layout.h"
#include "tables/source_mode.h"

namespace {

// Messages and errors go to the standard error stream as they arise.
class TerminalPlatform : public Platform {
  public:
    void showMessage(const std::string& text) override {
        std::cerr << text << '\n';
        ++shown;
    }
    void showError(const std::string& text) override {
        std::cerr << "dravik: " << text << '\n';
        ++shown;
    }
    void beginWait() override {}
    void endWait() override {}
    void processEvents() override {}
    std::string today() override { return localToday(); }
    void splashStatus(const std::string&) override {}
    int shown = 0;
};

constexpr const char* kUsage =
    "usage: dravik-cli chart CODE [--days N] [--ratio R | --cohen] [--kouho] [--root DIR]\n"
    "                         [--months] [--signals] [--trendlines] [--targets]\n"
    "                         [--svg FILE] [--png FILE [--width PIXELS]]\n"
    "       dravik-cli screen [--from CODE] [--to CODE] [--kouho] [--days N]\n"
    "                         [--ratio R | --cohen] [--columns] [--csv FILE] [--root DIR]\n"
    "       dravik-cli update [--days N] [--root DIR]\n"
    "       dravik-cli import FILE... [--code CODE] [--name NAME] [--root DIR]\n";

struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // "--days" -> "500"; flags map to ""
};

std::optional<Arguments> parse(int argc, char** argv, const std::vector<std::string>& valued) {
    Arguments args;
    for (int i = 2; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.rfind("--", 0) != 0) {
            args.positional.push_back(word);
        } else if (std::find(valued.begin(), valued.end(), word) != valued.end()) {
            if (i + 1 >= argc) return std::nullopt;
            args.options[word] = argv[++i];
        } else {
            args.options[word] = "";
        }
    }
    return args;
}

std::filesystem::path rootOf(const std::map<std::string, std::string>& options) {
    const auto named = options.find("--root");
    if (named != options.end()) return named->second;
    // A new user gets the sample data, as the window gives it on a first start.
    const std::filesystem::path root = app::userDataRoot();
    std::error_code error;
    const auto programDir = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    try {
        if (const auto sample = app::findShipped(programDir, "sample-data"))
            app::provideSampleData(root, *sample);
    } catch (const std::exception& e) {
        std::cerr << "dravik: " << e.what() << '\n';
    }
    return root;
}

// The files a chart needs; those other than the price file may be absent. The settings
// fill the fields as at start-up.
bool loadForChart(TForm1& form, TerminalPlatform& platform) {
    try {
        form.Button18Click();
        form.FieldsFromSettings();
    } catch (const Exception&) {
    }
    for (auto optional : {&TForm1::Button25Click, &TForm1::Button20Click}) {
        try {
            (form.*optional)();
        } catch (const Exception&) {
        }
    }
    form.run(&TForm1::Button2Click);
    return platform.shown == 0;
}

// In "kouho" mode: the candidate rows of a range that holds the code alone, loaded as
// "読込" loads them, then the chart run.
void chartCandidate(TForm1& form, const std::string& code) {
    form.Edit8.setText(std::string(kKouhoWord));
    form.Edit1.setText(tables::normalizedCodeText(code));
    const int row = tables::lastRowWithCode(form.StringGrid8, 0, 1, form.StringGrid8.rowCount(),
                                            form.Edit1.text());
    if (row == 0) {
        form.platform.showMessage("コードを確認して下さい。");
        return;
    }
    const std::string& line = form.StringGrid8.cell(0, row);
    form.Edit6.setText(line);
    form.Edit7.setText(line);
    form.StringGrid3.setCell(settings::kRangeStart, line);
    form.StringGrid3.setCell(settings::kRangeEnd, line);
    form.StringGrid3.setNumber(settings::kRangeStartRow, row);
    form.StringGrid3.setNumber(settings::kRangeEndRow, row);
    form.Button35Click();
    form.Button32Click();
    form.Button3Click();
}

int chartCommand(int argc, char** argv) {
    const auto args =
        parse(argc, argv, {"--days", "--ratio", "--root", "--svg", "--png", "--width"});
    if (!args || args->positional.size() != 1) {
        std::cerr << kUsage;
        return 2;
    }
    const auto& options = args->options;
    TerminalPlatform platform;
    const std::filesystem::path root = rootOf(options);
    TForm1 form(platform, TForm1::Options{data::DataRoot{root}, {}});
    if (!loadForChart(form, platform)) return 1;
    form.Edit1.setText(args->positional[0]);
    if (options.count("--days")) form.Edit2.setText(options.at("--days"));
    if (options.count("--ratio")) form.Edit3.setText(options.at("--ratio"));
    if (options.count("--cohen")) form.Edit3.setText("コーエン");
    if (options.count("--kouho")) {
        form.run([&] { chartCandidate(form, args->positional[0]); });
    } else {
        form.run(&TForm1::Button3Click);
    }
    if (platform.shown != 0) return 1;
    const app::ChartTextOptions shown{options.count("--months") > 0, options.count("--signals") > 0,
                                      options.count("--trendlines") > 0,
                                      options.count("--targets") > 0};
    std::cout << app::chartText(form, app::chartViewOf(form), shown);
    if (form.staleDatesNotice.visible) std::cout << form.staleDatesNotice.caption << '\n';
    return app::writeChartPictures(form, options);
}

// dravik-cli screen: the screening run "選別" on the form, then the results list.
int screenCommand(int argc, char** argv) {
    constexpr const char* usage =
        "usage: dravik-cli screen [--from CODE] [--to CODE] [--kouho] [--days N]\n"
        "                         [--ratio R | --cohen] [--columns] [--csv FILE] [--root DIR]\n";
    const auto args = parse(argc, argv, {"--from", "--to", "--days", "--ratio", "--root", "--csv"});
    if (!args || !args->positional.empty()) {
        std::cerr << usage;
        return 2;
    }
    const auto& options = args->options;
    struct ScreenPlatform : TerminalPlatform {
        void showError(const std::string& text) override {
            TerminalPlatform::showError(text);
            ++errors;
        }
        int errors = 0;
    } platform;
    const std::filesystem::path root = rootOf(options);
    TForm1 form(platform, TForm1::Options{data::DataRoot{root}, {}});
    if (!loadForChart(form, platform) || form.StringGrid8.cell(0, 1).empty()) {
        if (platform.errors == 0) std::cerr << "dravik: no code list under " << root << '\n';
        return 1;
    }
    const bool kouho = options.count("--kouho") > 0;
    form.run([&] {
        // As after start-up: no range resolved, no candidate data loaded.
        form.StringGrid3.setCell(settings::kRangeStartRow, "0");
        form.StringGrid3.setCell(settings::kRangeEndRow, "0");
        if (options.count("--from")) form.Edit6.setText(options.at("--from"));
        if (options.count("--to")) form.Edit7.setText(options.at("--to"));
        // The range counts as saved, as "読込" expects.
        form.StringGrid3.setCell(settings::kRangeStart, form.Edit6.text());
        form.StringGrid3.setCell(settings::kRangeEnd, form.Edit7.text());
        form.StringGrid3.setCell(settings::kCandidatesLoaded, "0");
        if (options.count("--days")) form.Edit2.setText(options.at("--days"));
        if (options.count("--ratio")) form.Edit3.setText(options.at("--ratio"));
        if (options.count("--cohen")) form.Edit3.setText("コーエン");
        if (kouho) form.Edit8.setText(std::string(kKouhoWord));
    });
    if (kouho && platform.errors == 0) form.run(&TForm1::Button31Click);  // "読込"
    if (platform.errors != 0) return 1;
    form.run(&TForm1::Button37Click);

    std::cout << screening::bullishPercentText(form.screeningNotes) << '\n';
    if (options.count("--csv"))
        form.run([&] {
            screening::saveResultsCsv(options.at("--csv"),
                                      screening::resultsCsv(form.StringGrid3, form.StringGrid11,
                                                            form.StringGrid8, form.screeningNotes));
        });
    if (options.count("--columns")) {
        const WorkingTable& list = form.StringGrid11;
        for (int row = 0; row < list.rowCount(); ++row) {
            std::string line;
            for (int col = 0; col < list.colCount(); ++col)
                line += (col > 0 ? "\t" : "") + list.cell(col, row);
            std::cout << line << '\n';
        }
    } else {
        const auto columns = screening::resultColumns(form.StringGrid3, form.StringGrid11);
        for (std::size_t i = 0; i < columns.size(); ++i) {
            std::cout << screening::kPatternCaptions[i];
            for (const auto& code : columns[i]) std::cout << '\t' << code;
            std::cout << '\n';
        }
    }
    return platform.errors == 0 ? 0 : 1;
}

// dravik-cli update: real prices from the exchange's API into the data root.
int updateCommand(int argc, char** argv) {
    constexpr const char* usage = "usage: dravik-cli update [--days N] [--root DIR]\n";
    const auto args = parse(argc, argv, {"--days", "--root"});
    if (!args || !args->positional.empty()) {
        std::cerr << usage;
        return 2;
    }
    int days = 400;
    if (args->options.count("--days")) {
        const auto value = tryToInt(args->options.at("--days"));
        if (!value || *value < 1 || *value > 400) {
            std::cerr << "dravik: --days は 1 から 400 までです。\n" << usage;
            return 2;
        }
        days = *value;
    }
    return runUpdate(rootOf(args->options), days);
}

// dravik-cli import: CSV files of daily prices into the store, then the program's files.
int importCommand(int argc, char** argv) {
    constexpr const char* usage =
        "usage: dravik-cli import FILE... [--code CODE] [--name NAME] [--replace-sample] "
        "[--root DIR]\n"
        "       (--code and --name name the stock of a single file)\n";
    const auto args = parse(argc, argv, {"--code", "--name", "--root"});
    if (!args || args->positional.empty() ||
        (args->positional.size() > 1 &&
         (args->options.count("--code") || args->options.count("--name")))) {
        std::cerr << usage;
        return 2;
    }
    const auto& options = args->options;
    market::ImportOptions choice;
    if (options.count("--code")) choice.code = options.at("--code");
    if (options.count("--name")) choice.name = options.at("--name");
    const std::vector<std::filesystem::path> files(args->positional.begin(),
                                                   args->positional.end());
    const data::DataRoot root{rootOf(options)};
    // The command line asks nothing: the sample's watch list goes only when told so.
    if (!options.count("--replace-sample") && market::holdsGeneratedSample(root)) {
        std::cerr << "dravik: このデータフォルダーは見本データのままです。取り込んだデータで見本"
                     "データを置き換えるには --replace-sample を付けてください。\n";
        return 1;
    }
    const bool terminal = ::isatty(2) != 0;
    const auto progress = [terminal](std::size_t done, std::size_t total,
                                     const std::filesystem::path& file) {
        if (terminal && total > 1)
            std::cerr << "\r\x1b[K取り込み中 " << done << "/" << total << " "
                      << file.filename().string() << (done == total ? "\r\x1b[K" : "")
                      << std::flush;
        return true;
    };
    try {
        const auto result = market::importCsvFiles(root, files, choice, progress);
        const auto report = market::describe(result);
        for (const auto& line : report.problems) std::cerr << "dravik: " << line << '\n';
        for (const auto& line : report.warnings) std::cerr << "dravik: 注意: " << line << '\n';
        for (const auto& line : report.done) std::cout << line << '\n';
        return result.anyFailed() || !result.rebuildError.empty() ? 1 : 0;
    } catch (const Exception& e) {
        std::cerr << "dravik: " << e.message() << '\n';
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "chart") return chartCommand(argc, argv);
    if (command == "screen") return screenCommand(argc, argv);
    if (command == "update") return updateCommand(argc, argv);
    if (command == "import") return importCommand(argc, argv);
    std::cerr << kUsage;
    return 2;
}
