#include "app/cli_args.h"

#include <algorithm>
#include <initializer_list>
#include <iostream>
#include <sstream>

#include "app/version.h"

namespace cli {

namespace {

constexpr Option kRoot{"--root", "DIR", "the data root (default $XDG_DATA_HOME/dravik)"};
constexpr Option kDays{"--days", "N", "the days shown (default: the saved setting)"};
constexpr Option kRatio{"--ratio", "R", "the box size as a ratio of the price (e.g. 0.015)"};
constexpr Option kCohen{"--cohen", "", "Cohen's box sizes instead of a ratio"};
constexpr Option kTextbook{"--textbook", "",
                           "the textbook construction instead of the program's own rule"};
constexpr Option kReversal{"--reversal", "N", "boxes to a reversal, 1 to 5 (default 3)"};
constexpr Option kHighLow{"--high-low", "",
                          "the textbook chart on highs and lows (implies --textbook)"};
constexpr Option kFixedScale{"--fixed-scale", "",
                             "percentage levels fixed from 100,000,000, not the period's high"};

const std::vector<Subcommand> kSubcommands = {
    {"chart",
     "CODE",
     1,
     1,
     "CODE [--days N] [--ratio R | --cohen] [--kouho] [--root DIR]\n"
     "[--textbook] [--reversal N] [--high-low] [--fixed-scale]\n"
     "[--months] [--signals] [--trendlines] [--targets]\n"
     "[--svg FILE] [--png FILE [--width PIXELS]]",
     "chart a stock and print the chart grid",
     {kDays,
      kRatio,
      kCohen,
      {"--kouho", "", "chart the stock from the candidate file"},
      kRoot,
      kTextbook,
      kReversal,
      kHighLow,
      kFixedScale,
      {"--months", "", "the month letter in place of each month's first box"},
      {"--signals", "", "one line per signal, the newest signal, then the warnings"},
      {"--trendlines", "", "'+' where a trend line passes; the line in force"},
      {"--targets", "", "the price objectives and the next buy and sell trigger prices"},
      {"--svg", "FILE", "also save the decorated chart as SVG"},
      {"--png", "FILE", "also save the decorated chart as PNG"},
      {"--width", "PIXELS", "the pictures' width (1 to 20000)"}},
     "The construction starts from the window's choices (R/dravik/chart-style.csv).\n"},
    {"screen",
     "",
     0,
     0,
     "[--from CODE] [--to CODE] [--kouho] [--days N]\n"
     "[--ratio R | --cohen] [--all-patterns] [--columns] [--csv FILE] [--root DIR]\n"
     "[--textbook] [--reversal N] [--high-low] [--fixed-scale]",
     "screen a range of codes for the ten patterns",
     {{"--from", "CODE", "the first code of the range (default: the saved range)"},
      {"--to", "CODE", "the last code of the range"},
      {"--kouho", "", "screen the stocks of the candidate file"},
      kDays,
      kRatio,
      kCohen,
      {"--all-patterns", "", "also list the sixteen further patterns after the ten"},
      {"--columns", "", "print the results list as the window shows it"},
      {"--csv", "FILE", "also write the results as CSV (UTF-8 with BOM)"},
      kRoot,
      kTextbook,
      kReversal,
      kHighLow,
      kFixedScale},
     "The construction starts from the window's choices (R/dravik/chart-style.csv).\n"},
    {"update",
     "",
     0,
     0,
     "[--days N] [--root DIR]",
     "bring real prices from the J-Quants API into the data root",
     {{"--days", "N", "the newest N trading days (1 to 400, default 400)"}, kRoot},
     "The API key comes from JQUANTS_API_KEY or ~/.config/dravik/jquants-api-key.\n"
     "Ctrl-C stops it; the days already fetched stay in the store.\n"},
    {"import",
     "FILE...",
     1,
     kAnyNumber,
     "FILE... [--code CODE] [--name NAME] [--replace-sample] [--root DIR]",
     "read CSV files of daily prices into the data root",
     {{"--code", "CODE", "the stock of the file (default: from the file name)"},
      {"--name", "NAME", "the stock's name"},
      {"--replace-sample", "", "let the imported stocks replace the generated sample data"},
      kRoot},
     "--code and --name name the stock of a single file.\n"},
    {"breadth",
     "",
     0,
     0,
     "[--sector CODE] [--date D] [--history] [--csv FILE] [--root DIR]",
     "the bullish percent of the market and of each sector",
     {{"--sector", "CODE", "one 33-sector (e.g. 3700), or market, with its chart"},
      {"--date", "D", "the day (default: the newest), e.g. 2024/06/14"},
      {"--history", "", "every day up to that one"},
      {"--csv", "FILE", "also write the lines as CSV (UTF-8 with BOM)"},
      kRoot},
     "Computed from the market store on the fixed scale with the saved box ratio.\n"},
    {"rs",
     "CODE",
     1,
     1,
     "CODE [--vs topix|sector] [--png FILE [--width PIXELS]] [--csv FILE] [--root DIR]",
     "a stock's relative strength against TOPIX or its sector",
     {{"--vs", "WHAT", "topix (default: the market's benchmark) or sector"},
      {"--png", "FILE", "also save the relative-strength chart as PNG"},
      {"--width", "PIXELS", "the picture's width (1 to 20000)"},
      {"--csv", "FILE", "also write the days as CSV (UTF-8 with BOM)"},
      kRoot},
     "Without TOPIX the benchmark is the ETF 1306, without exchange data an\n"
     "equal-weighted index of the stocks in the store.\n"},
    {"report",
     "",
     0,
     0,
     "[--since D] [--watch] [--csv FILE] [--root DIR]",
     "what changed: market, sectors, then stocks by score",
     {{"--since", "D", "changes after this day (default: the day before the newest)"},
      {"--watch", "", "only the stocks of the watch list (the price file)"},
      {"--csv", "FILE", "also write the changes as CSV (UTF-8 with BOM)"},
      kRoot},
     ""},
    {"help", "[COMMAND]", 0, 1, "[COMMAND]", "print the usage, or a command's usage", {}, ""},
};

constexpr std::string_view kProgram = "dravik-cli";

// The pieces one after the other. (GCC 12 at -O3 warns falsely on "literal" + string.)
std::string concat(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (const auto piece : pieces) text += piece;
    return text;
}

// The synopsis's lines, each further one indented to stand under the first.
std::string synopsisLines(std::string_view lead, std::string_view synopsis) {
    std::string text(lead);
    const std::string indent(lead.size(), ' ');
    std::size_t start = 0;
    while (true) {
        const std::size_t end = synopsis.find('\n', start);
        text += synopsis.substr(start, end - start);
        text += '\n';
        if (end == std::string_view::npos) break;
        text += indent;
        start = end + 1;
    }
    return text;
}

std::string synopsisOf(std::string_view lead, const Subcommand& command) {
    return synopsisLines(concat({lead, kProgram, " ", command.name, " "}), command.synopsis);
}

std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The known name a mistyped one most likely meant, when one is close.
std::string closest(std::string_view typed, const std::vector<std::string_view>& known) {
    std::string best;
    std::size_t bestDistance = 3;
    for (const auto name : known) {
        const std::size_t distance = editDistance(typed, name);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = name;
        }
    }
    return best;
}

std::string unknownOptionMessage(std::string_view word, const std::vector<Option>& options) {
    std::vector<std::string_view> names;
    for (const auto& option : options) names.push_back(option.name);
    names.push_back("--help");
    names.push_back("--version");
    std::string message = concat({"unknown option ", word});
    const std::string guess = closest(word, names);
    if (!guess.empty()) message += concat({" (did you mean ", guess, "?)"});
    return message;
}

std::vector<std::string_view> subcommandNames() {
    std::vector<std::string_view> names;
    for (const auto& command : kSubcommands) names.push_back(command.name);
    return names;
}

int unknownSubcommand(std::string_view word, std::ostream& err) {
    err << kProgram << ": unknown command " << word;
    const std::string guess = closest(word, subcommandNames());
    if (!guess.empty()) err << " (did you mean " << guess << "?)";
    err << '\n' << usage();
    return kExitUsage;
}

bool isHelp(std::string_view word) {
    return word == "--help" || word == "-h";
}

// The words up to "--" that ask for the usage or the version: either one answers
// whatever else the line holds.
std::optional<std::string_view> helpOrVersion(const std::vector<std::string>& words) {
    for (const auto& word : words) {
        if (word == "--") break;
        if (isHelp(word) || word == "--version") return word;
    }
    return std::nullopt;
}

}  // namespace

const Option* Subcommand::option(std::string_view wanted) const {
    for (const auto& candidate : options)
        if (candidate.name == wanted) return &candidate;
    return nullptr;
}

const std::vector<Subcommand>& subcommands() {
    return kSubcommands;
}

const Subcommand* findSubcommand(std::string_view name) {
    for (const auto& command : kSubcommands)
        if (command.name == name) return &command;
    return nullptr;
}

std::string versionText(std::string_view program) {
    std::string text = concat({program, " ", dravik::kVersion, "\n"});
    if (!dravik::kGitDescription.empty()) text += concat({"git ", dravik::kGitDescription, "\n"});
    return text;
}

std::string usage() {
    std::string text;
    bool first = true;
    for (const auto& command : kSubcommands) {
        if (command.name == "help") continue;
        text += synopsisOf(first ? "usage: " : "       ", command);
        first = false;
    }
    text += "       dravik-cli help [COMMAND]\n";
    text += "       dravik-cli --help | --version\n\n";
    text += "Point-and-Figure charts and screening of Japanese stocks.\n\ncommands:\n";
    for (const auto& command : kSubcommands) {
        std::string head = std::string(command.name);
        if (!command.operands.empty()) head += concat({" ", command.operands});
        head.resize(std::max<std::size_t>(head.size() + 2, 17), ' ');
        text += concat({"  ", head, command.summary, "\n"});
    }
    text +=
        "\n\"dravik-cli help COMMAND\" or \"dravik-cli COMMAND --help\" describes the options.\n"
        "The data root is --root DIR, else $XDG_DATA_HOME/dravik, else ~/.local/share/dravik.\n"
        "Exit status: 0 done, 1 failed, 2 wrong usage, 130 interrupted.\n"
        "See dravik-cli(1).\n";
    return text;
}

std::string usage(const Subcommand& command) {
    std::string text = synopsisOf("usage: ", command);
    text += concat({"\n", command.summary, "\n"});
    std::vector<Option> shown = command.options;
    shown.push_back({"-h, --help", "", "print this usage"});
    text += "\noptions:\n";
    for (const auto& option : shown) {
        std::string head = std::string(option.name);
        if (!option.value.empty()) head += concat({" ", option.value});
        head.resize(std::max<std::size_t>(head.size() + 2, 18), ' ');
        text += concat({"  ", head, option.help, "\n"});
    }
    if (!command.notes.empty()) text += concat({"\n", command.notes});
    return text;
}

int usageError(std::string_view name, std::string_view message, std::ostream& err) {
    err << kProgram << ": " << name << ": " << message << '\n';
    if (const Subcommand* command = findSubcommand(name)) err << usage(*command);
    return kExitUsage;
}

int usageError(std::string_view name, std::string_view message) {
    return usageError(name, message, std::cerr);
}

Parsed parse(const Subcommand& command, const std::vector<std::string>& words, std::ostream& out,
             std::ostream& err) {
    if (const auto asked = helpOrVersion(words)) {
        out << (*asked == "--version" ? versionText(kProgram) : usage(command));
        return Parsed(kExitSuccess);
    }
    Arguments arguments;
    bool operandsOnly = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (operandsOnly || word.size() < 2 || word[0] != '-') {
            arguments.positional.push_back(word);
            continue;
        }
        if (word == "--") {
            operandsOnly = true;
            continue;
        }
        const std::size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const Option* option = word.rfind("--", 0) == 0 ? command.option(name) : nullptr;
        if (!option)
            return Parsed(
                usageError(command.name, unknownOptionMessage(name, command.options), err));
        if (option->value.empty()) {
            if (equals != std::string::npos)
                return Parsed(
                    usageError(command.name, concat({"option ", name, " takes no value"}), err));
            arguments.options[name] = "";
        } else if (equals != std::string::npos) {
            arguments.options[name] = word.substr(equals + 1);
        } else if (i + 1 < words.size()) {
            arguments.options[name] = words[++i];
        } else {
            return Parsed(
                usageError(command.name,
                           concat({"option ", name, " needs a value (", option->value, ")"}), err));
        }
    }
    const std::size_t count = arguments.positional.size();
    if (count < command.minOperands)
        return Parsed(usageError(command.name, concat({command.operands, " missing"}), err));
    if (count > command.maxOperands)
        return Parsed(usageError(
            command.name,
            concat({"unexpected argument ", arguments.positional[command.maxOperands]}), err));
    return Parsed(std::move(arguments));
}

Parsed parse(std::string_view name, int argc, char** argv) {
    const Subcommand* command = findSubcommand(name);
    if (!command) return Parsed(unknownSubcommand(name, std::cerr));
    std::vector<std::string> words;
    for (int i = 2; i < argc; ++i) words.emplace_back(argv[i]);
    return parse(*command, words, std::cout, std::cerr);
}

std::optional<int> answerTopLevel(const std::vector<std::string>& words, std::ostream& out,
                                  std::ostream& err) {
    if (words.empty()) {
        err << usage();
        return kExitUsage;
    }
    const std::string& first = words[0];
    if (isHelp(first)) {
        out << usage();
        return kExitSuccess;
    }
    if (first == "--version") {
        out << versionText(kProgram);
        return kExitSuccess;
    }
    if (first.size() > 1 && first[0] == '-') {
        err << kProgram << ": " << unknownOptionMessage(first, {}) << " before the command\n"
            << usage();
        return kExitUsage;
    }
    const Subcommand* command = findSubcommand(first);
    if (!command) return unknownSubcommand(first, err);
    if (command->name != "help") return std::nullopt;

    const std::vector<std::string> rest(words.begin() + 1, words.end());
    const Parsed parsed = parse(*command, rest, out, err);
    if (!parsed) return parsed.status();
    if (parsed->positional.empty()) {
        out << usage();
        return kExitSuccess;
    }
    const Subcommand* asked = findSubcommand(parsed->positional[0]);
    if (!asked) return unknownSubcommand(parsed->positional[0], err);
    out << usage(*asked);
    return kExitSuccess;
}

namespace {

// Qt's own options, which QApplication takes out of the command line; those taking a value.
const std::vector<std::string_view> kQtValued = {
    "-platform",    "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry",
    "-qwindowicon", "-qwindowtitle",       "-session",       "-style",  "-stylesheet",
    "-display",     "-geometry",           "-qmljsdebugger"};
const std::vector<std::string_view> kQtFlags = {"-reverse", "-widgetcount", "-nograb", "-dograb",
                                                "-sync"};

}  // namespace

std::string windowUsage() {
    return "usage: dravik [--root DIR] [Qt options such as -platform NAME, -style NAME]\n"
           "       dravik --help | --version\n\n"
           "Point-and-Figure charts and screening of Japanese stocks, in a window.\n\n"
           "options:\n"
           "  --root DIR        the data root (default $XDG_DATA_HOME/dravik, else\n"
           "                    ~/.local/share/dravik, filled with the sample data at first)\n"
           "  -h, --help        print this usage\n"
           "  --version         print the version\n\n"
           "Exit status: 0 done, 2 wrong usage. See dravik(1); dravik-cli(1) works from a "
           "terminal.\n";
}

std::optional<int> answerWindowArguments(const std::vector<std::string>& words, std::ostream& out,
                                         std::ostream& err) {
    if (const auto asked = helpOrVersion(words)) {
        out << (*asked == "--version" ? versionText("dravik") : windowUsage());
        return kExitSuccess;
    }
    const auto wrong = [&](const std::string& message) {
        err << "dravik: " << message << '\n' << windowUsage();
        return kExitUsage;
    };
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        const std::size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        if (name == "--root") {
            if (equals == std::string::npos && ++i >= words.size())
                return wrong("option --root needs a value (DIR)");
            continue;
        }
        if (word.size() < 2 || word[0] != '-') return wrong(concat({"unexpected argument ", word}));
        // Qt reads its options with one dash or two.
        const std::string single = name.rfind("--", 0) == 0 ? name.substr(1) : name;
        if (std::find(kQtValued.begin(), kQtValued.end(), single) != kQtValued.end()) {
            if (equals == std::string::npos && ++i >= words.size())
                return wrong(concat({"option ", name, " needs a value"}));
            continue;
        }
        if (equals == std::string::npos &&
            std::find(kQtFlags.begin(), kQtFlags.end(), single) != kQtFlags.end())
            continue;
        return wrong(unknownOptionMessage(name, {{"--root", "DIR", ""}}));
    }
    return std::nullopt;
}

bool displayNamed(const std::vector<std::string>& words, const char* (*environment)(const char*)) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = environment(name);
        if (value && *value) return true;
    }
    for (const auto& word : words) {
        const std::string name = word.substr(0, word.find('='));
        if (name == "-platform" || name == "--platform") return true;
    }
    return false;
}

}  // namespace cli
