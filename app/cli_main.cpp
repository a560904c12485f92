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

#include "app/data_root.h"
#include "app/form.h"
#include "app/platform.h"
#include "market/csv_import.h"
#include "screening/patterns.h"
#include "screening/screening.h"

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
    "       dravik-cli screen [--from CODE] [--to CODE] [--kouho] [--days N]\n"
    "                         [--ratio R | --cohen] [--columns] [--root DIR]\n"
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

// The files a chart needs; those other than the price file may be absent.
bool loadForChart(TForm1& form, TerminalPlatform& platform) {
    for (auto optional : {&TForm1::Button25Click, &TForm1::Button20Click}) {
        try {
            (form.*optional)();
        } catch (const Exception&) {
        }
    }
    form.run(&TForm1::Button2Click);
    return platform.shown == 0;
}

// One line per box row: box number, level, then "×" or "〇" per column.
void printChart(const TForm1& form) {
    const WorkingTable& grid = form.StringGrid1;
    std::cout << form.Edit1.text() << "  表示日数 " << form.Edit2.text() << "  株価幅 "
              << form.Edit3.text() << '\n';
    for (int row = 1; row < grid.rowCount(); ++row) {
        if (grid.cell(1, row).empty()) continue;
        std::string line = grid.cell(0, row);
        line.insert(0, line.size() < 4 ? 4 - line.size() : 0, ' ');
        std::string level = grid.cell(1, row);
        level.insert(0, level.size() < 9 ? 9 - level.size() : 0, ' ');
        line += level + ' ';
        for (int col = 2; col < grid.colCount(); ++col) {
            const std::string& mark = grid.cell(col, row);
            line += mark == "×" ? "× " : mark == "〇" ? "〇" : "  ";
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        std::cout << line << '\n';
    }
}

int chartCommand(int argc, char** argv) {
    const auto args = parse(argc, argv, {"--days", "--ratio", "--root"});
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
        form.Edit8.setText("kouho");
        form.Edit6.setText(args->positional[0]);
        form.Edit7.setText(args->positional[0]);
        form.run(&TForm1::Button31Click);
    } else {
        form.run(&TForm1::Button3Click);
    }
    if (platform.shown != 0) return 1;
    printChart(form);
    return 0;
}

// dravik-cli screen: the screening run "選別" on the form, then the results list.
int screenCommand(int argc, char** argv) {
    constexpr const char* usage =
        "usage: dravik-cli screen [--from CODE] [--to CODE] [--kouho] [--days N]\n"
        "                         [--ratio R | --cohen] [--columns] [--root DIR]\n";
    const auto args = parse(argc, argv, {"--from", "--to", "--days", "--ratio", "--root"});
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
        form.StringGrid3.setCell(3, 13, "0");
        form.StringGrid3.setCell(3, 14, "0");
        if (options.count("--from")) form.Edit6.setText(options.at("--from"));
        if (options.count("--to")) form.Edit7.setText(options.at("--to"));
        // The range counts as saved, as "読込" expects.
        form.StringGrid3.setCell(1, 13, form.Edit6.text());
        form.StringGrid3.setCell(1, 14, form.Edit7.text());
        form.StringGrid3.setCell(1, 16, "0");
        if (options.count("--days")) form.Edit2.setText(options.at("--days"));
        if (options.count("--ratio")) form.Edit3.setText(options.at("--ratio"));
        if (options.count("--cohen")) form.Edit3.setText("コーエン");
        if (kouho) form.Edit8.setText("kouho");
    });
    if (kouho && platform.errors == 0) form.run(&TForm1::Button31Click);  // "読込"
    if (platform.errors != 0) return 1;
    form.run(&TForm1::Button37Click);

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

// dravik-cli import: CSV files of daily prices into the store, then the program's files.
int importCommand(int argc, char** argv) {
    constexpr const char* usage =
        "usage: dravik-cli import FILE... [--code CODE] [--name NAME] [--root DIR]\n"
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
        const auto result =
            market::importCsvFiles(data::DataRoot{rootOf(options)}, files, choice, progress);
        const auto report = market::describe(result);
        for (const auto& line : report.problems) std::cerr << "dravik: " << line << '\n';
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
    if (command == "import") return importCommand(argc, argv);
    std::cerr << kUsage;
    return 2;
}
