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

#include "app/cli_args.h"
#include "app/cli_chart.h"
#include "app/cli_interrupt.h"
#include "app/cli_morning.h"
#include "app/cli_pictures.h"
#include "app/cli_update.h"
#include "app/data_root.h"
#include "app/form.h"
#include "app/platform.h"
#include "app/preferences.h"
#include "chart/patterns.h"
#include "chart/series.h"
#include "market/market.h"
#include "screening/breadth.h"
#include "screening/results_csv.h"
#include "screening/screening.h"
#include "tables/convert.h"
#include "tables/source_mode.h"

namespace {

using app::TerminalPlatform;

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

// The data root, its program files brought back in step first when a run was stopped
// between their replacements.
std::filesystem::path readyRoot(const std::map<std::string, std::string>& options) {
    const std::filesystem::path root = rootOf(options);
    try {
        if (const auto notice = market::repairProgramFiles(data::DataRoot{root}); !notice.empty())
            std::cerr << notice << '\n';
    } catch (const Exception& e) {
        std::cerr << "dravik: " << e.message() << '\n';
    }
    return root;
}

// --reversal's boxes; nothing when it is not asked for. False (the usage error reported)
// when it is no number from 1 to 5.
bool reversalOption(std::string_view command, const std::map<std::string, std::string>& options,
                    std::optional<int>& reversal) {
    const auto given = options.find("--reversal");
    if (given == options.end()) return true;
    reversal = tryToInt(given->second);
    if (reversal && *reversal >= 1 && *reversal <= 5) return true;
    cli::usageError(command, "--reversal takes a number of boxes from 1 to 5");
    return false;
}

// The construction: the window's choices of the data root, then the options.
chart::ChartStyle styleOf(const std::filesystem::path& root,
                          const std::map<std::string, std::string>& options,
                          std::optional<int> reversal) {
    chart::ChartStyle style = app::loadPreferences(data::DataRoot{root}).style;
    if (options.count("--textbook") || options.count("--high-low"))
        style.construction = chart::Construction::Textbook;
    if (options.count("--high-low")) style.highLow = true;
    if (options.count("--fixed-scale")) style.fixedScale = true;
    if (reversal) style.reversal = *reversal;
    return style;
}

int chartCommand(int argc, char** argv) {
    const auto args = cli::parse("chart", argc, argv);
    if (!args) return args.status();
    const auto& options = args->options;
    app::ChartCommand command;
    command.code = args->positional[0];
    if (options.count("--days")) command.days = options.at("--days");
    if (options.count("--ratio")) command.ratio = options.at("--ratio");
    command.cohen = options.count("--cohen") > 0;
    command.kouho = options.count("--kouho") > 0;
    command.text = {options.count("--months") > 0, options.count("--signals") > 0,
                    options.count("--trendlines") > 0, options.count("--targets") > 0};
    for (const char* picture : {"--svg", "--png", "--width"})
        if (options.count(picture)) command.pictures[picture] = options.at(picture);
    if (options.count("--width") && !app::pictureWidth(options.at("--width")))
        return cli::usageError("chart", "--width takes a number of pixels from 1 to 20000");
    std::optional<int> reversal;
    if (!reversalOption("chart", options, reversal)) return cli::kExitUsage;
    const std::filesystem::path root = readyRoot(options);
    command.style = styleOf(root, options, reversal);
    return app::runChartCommand(root, command);
}

// dravik-cli screen: the screening run "選別" on the form, then the results list (with
// --all-patterns the further formations after the ten).
int screenCommand(int argc, char** argv) {
    const auto args = cli::parse("screen", argc, argv);
    if (!args) return args.status();
    const auto& options = args->options;
    std::optional<int> reversal;
    if (!reversalOption("screen", options, reversal)) return cli::kExitUsage;
    TerminalPlatform platform;
    const std::filesystem::path root = readyRoot(options);
    TForm1 form(platform, TForm1::Options{data::DataRoot{root}, {}});
    form.chartStyle = styleOf(root, options, reversal);
    if (!app::loadFormFiles(form, platform) || form.StringGrid8.cell(0, 1).empty()) {
        if (platform.errors == 0) std::cerr << "dravik: no code list under " << root << '\n';
        return 1;
    }
    const bool kouho = options.count("--kouho") > 0;
    form.run([&] {
        if (options.count("--from")) form.Edit6.setText(options.at("--from"));
        if (options.count("--to")) form.Edit7.setText(options.at("--to"));
        if (options.count("--days")) form.Edit2.setText(options.at("--days"));
        if (options.count("--ratio")) form.Edit3.setText(options.at("--ratio"));
        if (options.count("--cohen")) form.Edit3.setText(std::string(chart::kCohenWord));
        if (kouho) form.Edit8.setText(std::string(kKouhoWord));
        form.takeRangeAsSaved();
        form.setExtendedPatterns(options.count("--all-patterns") > 0);
    });
    if (kouho && platform.errors == 0) form.run(&TForm1::Button31Click);  // "読込"
    if (platform.errors != 0) return 1;
    form.run(&TForm1::Button37Click);
    if (form.closesOnlyRuns > 0)
        std::cerr << "dravik: 高値・安値のデータがない " << form.closesOnlyRuns
                  << " 銘柄は終値で描いて選別しました。\n";

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
            std::cout << chart::kPatternCaptions[i];
            for (const auto& code : columns[i]) std::cout << '\t' << code;
            std::cout << '\n';
        }
        // With --all-patterns the further formations follow the ten.
        const auto formations = screening::formationColumns(form.StringGrid11);
        for (std::size_t i = 0; i < formations.size(); ++i) {
            std::cout << chart::kFormationCaptions[i];
            for (const auto& code : formations[i]) std::cout << '\t' << code;
            std::cout << '\n';
        }
    }
    return platform.errors == 0 ? 0 : 1;
}

// dravik-cli update: real prices from the exchange's API into the data root.
int updateCommand(int argc, char** argv) {
    const auto args = cli::parse("update", argc, argv);
    if (!args) return args.status();
    int days = 400;
    if (args->options.count("--days")) {
        const auto value = tryToInt(args->options.at("--days"));
        if (!value || *value < 1 || *value > 400)
            return cli::usageError("update", "--days は 1 から 400 までです。");
        days = *value;
    }
    return runUpdate(rootOf(args->options), days);
}

// dravik-cli import: CSV files of daily prices into the store, then the program's files.
int importCommand(int argc, char** argv) {
    const auto args = cli::parse("import", argc, argv);
    if (!args) return args.status();
    if (args->positional.size() > 1 &&
        (args->options.count("--code") || args->options.count("--name")))
        return cli::usageError("import", "--code and --name name the stock of a single file");
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
    // Ctrl-C stops before the next file; the files already read stay.
    const InterruptRequest interrupt;
    const auto progress = [terminal](std::size_t done, std::size_t total,
                                     const std::filesystem::path& file) {
        if (terminal && total > 1)
            std::cerr << "\r\x1b[K取り込み中 " << done << "/" << total << " "
                      << file.filename().string() << (done == total ? "\r\x1b[K" : "")
                      << std::flush;
        return !InterruptRequest::requested();
    };
    try {
        const auto result = market::importCsvFiles(root, files, choice, progress);
        const auto report = market::describe(result);
        for (const auto& line : report.problems) std::cerr << "dravik: " << line << '\n';
        for (const auto& line : report.warnings) std::cerr << "dravik: 注意: " << line << '\n';
        for (const auto& line : report.done) std::cout << line << '\n';
        if (result.cancelled) return cli::kExitInterrupted;
        return result.anyFailed() || !result.rebuildError.empty() ? cli::kExitFailure
                                                                  : cli::kExitSuccess;
    } catch (const Exception& e) {
        std::cerr << "dravik: " << e.message() << '\n';
        return 1;
    }
}

// dravik-cli breadth, rs and report: the whole market from the store.
int breadthCommand(int argc, char** argv) {
    const auto args = cli::parse("breadth", argc, argv);
    if (!args) return args.status();
    return app::runBreadth(readyRoot(args->options), args->options);
}

int rsCommand(int argc, char** argv) {
    const auto args = cli::parse("rs", argc, argv);
    if (!args) return args.status();
    return app::runRs(readyRoot(args->options), args->positional[0], args->options);
}

int reportCommand(int argc, char** argv) {
    const auto args = cli::parse("report", argc, argv);
    if (!args) return args.status();
    return app::runReport(readyRoot(args->options), args->options);
}

int runCommand(int argc, char** argv) {
    if (const auto answered = cli::answerTopLevel(std::vector<std::string>(argv + 1, argv + argc),
                                                  std::cout, std::cerr))
        return *answered;
    const std::string command = argv[1];
    if (command == "chart") return chartCommand(argc, argv);
    if (command == "screen") return screenCommand(argc, argv);
    if (command == "update") return updateCommand(argc, argv);
    if (command == "import") return importCommand(argc, argv);
    if (command == "breadth") return breadthCommand(argc, argv);
    if (command == "rs") return rsCommand(argc, argv);
    if (command == "report") return reportCommand(argc, argv);
    return cli::usageError(command, "not a command this program runs");
}

}  // namespace

int main(int argc, char** argv) {
    const int status = runCommand(argc, argv);
    // Output that could not be written (a full disk) is a failure, not a success.
    if (!(std::cout << std::flush)) {
        std::cerr << "dravik-cli: the output could not be written\n";
        return status == cli::kExitSuccess ? cli::kExitFailure : status;
    }
    return status;
}
