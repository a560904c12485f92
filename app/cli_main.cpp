// dravik-cli: charts and screens from a terminal or a script, driving the same form
// and actions as the window.
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/form.h"
#include "app/platform.h"

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
    "usage: dravik-cli chart CODE [--days N] [--ratio R | --cohen] [--kouho] [--root DIR]\n";

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

std::filesystem::path defaultRoot() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return std::filesystem::path(xdg) / "dravik";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".local" / "share" / "dravik";
    return "dravik-data";
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
    const std::filesystem::path root =
        options.count("--root") ? std::filesystem::path(options.at("--root")) : defaultRoot();
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

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "chart") return chartCommand(argc, argv);
    std::cerr << kUsage;
    return 2;
}
