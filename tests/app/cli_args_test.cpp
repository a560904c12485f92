#include "app/cli_args.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/version.h"

namespace {

using Words = std::vector<std::string>;
using Options = std::map<std::string, std::string>;

struct ParseCase {
    std::string command;
    Words words;
    int status;             // -1: parsed, run the command
    std::string expected;   // in the error stream, or the output when status is 0
    Words positional = {};  // when parsed
    Options options = {};   // when parsed
};

TEST(CliArgs, SubcommandWordsAreHeldToTheTable) {
    const std::vector<ParseCase> cases = {
        {"chart",
         {"6154", "--days", "60", "--cohen"},
         -1,
         "",
         {"6154"},
         {{"--days", "60"}, {"--cohen", ""}}},
        {"chart", {"--days=60", "6154"}, -1, "", {"6154"}, {{"--days", "60"}}},
        {"chart", {"6154", "--days", "60", "--days", "90"}, -1, "", {"6154"}, {{"--days", "90"}}},
        // A value is taken as it stands, even one that looks like an option.
        {"import", {"a.csv", "--name", "--x--"}, -1, "", {"a.csv"}, {{"--name", "--x--"}}},
        {"import",
         {"a.csv", "b.csv", "--root", "/r"},
         -1,
         "",
         {"a.csv", "b.csv"},
         {{"--root", "/r"}}},
        {"import", {"--", "-odd.csv", "--help"}, -1, "", {"-odd.csv", "--help"}, {}},
        {"import", {"-"}, -1, "", {"-"}, {}},
        {"chart", {"6154", "--textbok"}, 2, "chart: unknown option --textbok"},
        {"chart", {"6154", "--dyas", "5"}, 2, "unknown option --dyas (did you mean --days?)"},
        {"chart", {"6154", "-x"}, 2, "unknown option -x"},
        {"chart", {"6154", "--days"}, 2, "option --days needs a value (N)"},
        {"chart", {"6154", "--cohen=1"}, 2, "option --cohen takes no value"},
        {"chart", {}, 2, "chart: CODE missing"},
        {"chart", {"6154", "7203"}, 2, "unexpected argument 7203"},
        {"screen", {"6154"}, 2, "unexpected argument 6154"},
        {"update", {"--csv", "x"}, 2, "unknown option --csv"},
        {"import", {"--code", "7203"}, 2, "FILE... missing"},
        // --help wins wherever it stands before "--", whatever else the line holds.
        {"chart", {"--help"}, 0, "usage: dravik-cli chart CODE"},
        {"chart", {"6154", "--textbok", "-h"}, 0, "usage: dravik-cli chart CODE"},
        {"update", {"--version"}, 0, "dravik-cli " + std::string(dravik::kVersion) + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command + " " + ::testing::PrintToString(c.words));
        std::ostringstream out, err;
        const cli::Parsed parsed = cli::parse(*cli::findSubcommand(c.command), c.words, out, err);
        if (c.status < 0) {
            ASSERT_TRUE(parsed) << err.str();
            EXPECT_EQ(parsed->positional, c.positional);
            EXPECT_EQ(parsed->options, c.options);
            EXPECT_EQ(out.str() + err.str(), "");
            continue;
        }
        ASSERT_FALSE(parsed);
        EXPECT_EQ(parsed.status(), c.status);
        if (c.status == 0) {
            EXPECT_NE(out.str().find(c.expected), std::string::npos) << out.str();
            EXPECT_EQ(err.str(), "");
        } else {
            EXPECT_NE(err.str().find(c.expected), std::string::npos) << err.str();
            // The subcommand's usage follows the message; nothing goes to the output.
            EXPECT_NE(err.str().find("usage: dravik-cli " + c.command), std::string::npos);
            EXPECT_EQ(out.str(), "");
        }
    }
}

TEST(CliArgs, WordsBeforeTheSubcommandAreAnsweredThere) {
    struct Case {
        Words words;
        int status;  // -1: a subcommand to run
        std::string out, err;
    };
    const std::vector<Case> cases = {
        {{}, 2, "", "usage: dravik-cli chart CODE"},
        {{"--help"}, 0, "usage: dravik-cli chart CODE", ""},
        {{"-h"}, 0, "usage: dravik-cli chart CODE", ""},
        {{"help"}, 0, "usage: dravik-cli chart CODE", ""},
        {{"--version"}, 0, "dravik-cli " + std::string(dravik::kVersion) + "\n", ""},
        {{"help", "screen"}, 0, "usage: dravik-cli screen [--from CODE]", ""},
        {{"help", "import"}, 0, "--code and --name name the stock of a single file", ""},
        {{"help", "chrat"}, 2, "", "unknown command chrat (did you mean chart?)"},
        {{"help", "chart", "screen"}, 2, "", "help: unexpected argument screen"},
        {{"chrat", "6154"}, 2, "", "unknown command chrat (did you mean chart?)"},
        {{"frobnicate"}, 2, "", "unknown command frobnicate\n"},
        {{"--root", "/r", "chart"}, 2, "", "unknown option --root before the command"},
        {{"chart", "6154"}, -1, "", ""},
        {{"import", "--help"}, -1, "", ""},  // the subcommand's own parse answers it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.words));
        std::ostringstream out, err;
        const auto answered = cli::answerTopLevel(c.words, out, err);
        if (c.status < 0) {
            EXPECT_FALSE(answered);
            EXPECT_EQ(out.str() + err.str(), "");
            continue;
        }
        ASSERT_TRUE(answered);
        EXPECT_EQ(*answered, c.status);
        if (c.out.empty())
            EXPECT_EQ(out.str(), "");
        else
            EXPECT_NE(out.str().find(c.out), std::string::npos) << out.str();
        if (c.err.empty())
            EXPECT_EQ(err.str(), "");
        else
            EXPECT_NE(err.str().find(c.err), std::string::npos) << err.str();
    }
}

TEST(CliArgs, TheWindowProgramAnswersBeforeItsWindowSystemStarts) {
    struct Case {
        Words words;
        int status;  // -1: go on to the window
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{}, -1, ""},
        {{"--root", "/d"}, -1, ""},
        {{"--root=/d"}, -1, ""},
        {{"-platform", "offscreen", "--root", "/d"}, -1, ""},
        {{"--style", "fusion"}, -1, ""},
        {{"-style=fusion", "-reverse"}, -1, ""},
        {{"--help"}, 0, "usage: dravik [--root DIR]"},
        {{"--root", "/d", "-h"}, 0, "usage: dravik [--root DIR]"},
        {{"--version"}, 0, "dravik " + std::string(dravik::kVersion) + "\n"},
        {{"--bogus"}, 2, "dravik: unknown option --bogus"},
        {{"--rot", "/d"}, 2, "unknown option --rot (did you mean --root?)"},
        {{"6154"}, 2, "dravik: unexpected argument 6154"},
        {{"--root"}, 2, "option --root needs a value"},
        {{"-platform"}, 2, "option -platform needs a value"},
        {{"-reverse=1"}, 2, "unknown option -reverse"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.words));
        std::ostringstream out, err;
        const auto answered = cli::answerWindowArguments(c.words, out, err);
        if (c.status < 0) {
            EXPECT_FALSE(answered);
            EXPECT_EQ(out.str() + err.str(), "");
            continue;
        }
        ASSERT_TRUE(answered);
        EXPECT_EQ(*answered, c.status);
        const std::string& shown = c.status == 0 ? out.str() : err.str();
        EXPECT_NE(shown.find(c.expected), std::string::npos) << shown;
        EXPECT_EQ((c.status == 0 ? err : out).str(), "");
    }
}

std::map<std::string, std::string> fakeEnvironment;
const char* fakeVariable(const char* name) {
    const auto found = fakeEnvironment.find(name);
    return found == fakeEnvironment.end() ? nullptr : found->second.c_str();
}

TEST(CliArgs, TheWindowNeedsADisplayOrAPlatformNamed) {
    struct Case {
        std::map<std::string, std::string> environment;
        Words words;
        bool named;
    };
    const std::vector<Case> cases = {
        {{}, {}, false},
        {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, {}, false},
        {{{"DISPLAY", ":0"}}, {}, true},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, {}, true},
        {{{"QT_QPA_PLATFORM", "offscreen"}}, {}, true},
        {{}, {"-platform", "offscreen"}, true},
        {{}, {"--platform=offscreen"}, true},
        {{}, {"--root", "/d"}, false},
    };
    for (const auto& c : cases) {
        fakeEnvironment = c.environment;
        EXPECT_EQ(cli::displayNamed(c.words, fakeVariable), c.named)
            << ::testing::PrintToString(c.words);
    }
}

TEST(CliArgs, TheVersionIsTheProjectsWithTheGitDescriptionOnALineOfItsOwn) {
    EXPECT_TRUE(
        std::regex_match(std::string(dravik::kVersion), std::regex("[0-9]+\\.[0-9]+\\.[0-9]+")));
    const std::string text = cli::versionText("dravik-cli");
    const std::string first = "dravik-cli " + std::string(dravik::kVersion) + "\n";
    ASSERT_EQ(text.substr(0, first.size()), first);
    EXPECT_EQ(text.substr(first.size()),
              dravik::kGitDescription.empty()
                  ? ""
                  : "git " + std::string(dravik::kGitDescription) + "\n");
}

TEST(CliArgs, EveryOptionOfTheTableIsInItsSynopsisAndUsage) {
    for (const auto& command : cli::subcommands()) {
        SCOPED_TRACE(std::string(command.name));
        EXPECT_LE(command.minOperands, command.maxOperands);
        const std::string usage = cli::usage(command);
        const std::string whole = cli::usage();
        EXPECT_NE(whole.find("  " + std::string(command.name)), std::string::npos);
        for (std::size_t i = 0; i < command.options.size(); ++i) {
            const auto& option = command.options[i];
            EXPECT_EQ(option.name.substr(0, 2), "--");
            EXPECT_FALSE(option.help.empty());
            for (std::size_t j = i + 1; j < command.options.size(); ++j)
                EXPECT_NE(option.name, command.options[j].name);
            // As a whole word: "--to" must not be found inside "--trendlines".
            const std::regex word("(^|[^-a-z])" + std::string(option.name) + "($|[^-a-z])");
            EXPECT_TRUE(std::regex_search(std::string(command.synopsis), word)) << option.name;
            EXPECT_TRUE(std::regex_search(usage, word)) << option.name;
        }
        // The synopsis's further lines stand under its first.
        const std::string lead = "usage: dravik-cli " + std::string(command.name) + " ";
        EXPECT_EQ(usage.substr(0, lead.size()), lead);
        std::size_t line = usage.find('\n');
        for (std::size_t breaks = 0;
             breaks < static_cast<std::size_t>(
                          std::count(command.synopsis.begin(), command.synopsis.end(), '\n'));
             ++breaks) {
            EXPECT_EQ(usage.substr(line + 1, lead.size()), std::string(lead.size(), ' '));
            line = usage.find('\n', line + 1);
        }
    }
}

std::string readSource(const std::string& relative) {
    std::ifstream in(std::string(DRAVIK_SOURCE_DIR) + "/" + relative);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The roff form of an option: every hyphen escaped, "\-\-days".
std::string roff(std::string_view text) {
    std::string escaped;
    for (char c : text) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
    return escaped;
}

// The text of the .SS subsection whose heading starts with the command's name, up to the
// next heading.
std::string subsection(const std::string& page, std::string_view name) {
    std::istringstream lines(page);
    std::string line, text;
    bool inside = false;
    const std::regex heading("^\\.SS \"?" + std::string(name) + "([ \"\\\\]|$).*");
    while (std::getline(lines, line)) {
        if (line.rfind(".SS", 0) == 0 || line.rfind(".SH", 0) == 0) {
            if (inside) break;
            inside = std::regex_match(line, heading);
            continue;
        }
        if (inside) text += line + "\n";
    }
    return text;
}

TEST(CliArgs, TheManualPageDescribesEveryCommandAndOption) {
    const std::string page = readSource("packaging/dravik-cli.1.in");
    ASSERT_FALSE(page.empty());
    const std::string synopsis = page.substr(0, page.find(".SH DESCRIPTION"));
    for (const auto& command : cli::subcommands()) {
        SCOPED_TRACE(std::string(command.name));
        EXPECT_NE(synopsis.find(".B " + std::string(command.name) + "\n"), std::string::npos);
        const std::string section = subsection(page, command.name);
        EXPECT_FALSE(section.empty()) << "no .SS subsection for the command";
        for (const auto& option : command.options) {
            // As a whole word: "\-\-to" not inside "\-\-trendlines" or "\-\-to\-x".
            const std::string escaped =
                std::regex_replace(roff(option.name), std::regex("\\\\"), "\\\\");
            const std::regex word("(^|[^-a-z])" + escaped + "(?![a-z]|\\\\-)");
            EXPECT_TRUE(std::regex_search(section, word)) << option.name << " in its subsection";
            EXPECT_TRUE(std::regex_search(synopsis, word)) << option.name << " in the synopsis";
        }
    }
    for (const char* status : {"\n.B 0\n", "\n.B 1\n", "\n.B 2\n", "\n.B 130\n"})
        EXPECT_NE(page.find(status), std::string::npos) << status;
    for (const char* variable :
         {"JQUANTS_API_KEY", "SSL_CERT_FILE", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        EXPECT_NE(page.find(".B " + std::string(variable) + "\n"), std::string::npos) << variable;
}

// What the completion offers for the words typed so far, the last being completed.
std::vector<std::string> completions(const Words& typed) {
    std::string words;
    for (const auto& word : typed) words += " '" + word + "'";
    const std::string script = "source '" + std::string(DRAVIK_SOURCE_DIR) +
                               "/packaging/dravik-cli.bash-completion'; COMP_WORDS=(dravik-cli" +
                               words + "); COMP_CWORD=" + std::to_string(typed.size()) +
                               "; _dravik_cli; printf '%s\\n' \"${COMPREPLY[@]}\"";
    const std::string command = "bash -s <<'EOF'\n" + script + "\nEOF\n";
    std::vector<std::string> offered;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return offered;
    std::array<char, 256> buffer{};
    std::string output;
    while (std::fgets(buffer.data(), buffer.size(), pipe)) output += buffer.data();
    ::pclose(pipe);
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) offered.push_back(line);
    return offered;
}

bool offers(const std::vector<std::string>& offered, std::string_view word) {
    return std::find(offered.begin(), offered.end(), word) != offered.end();
}

TEST(CliArgs, TheBashCompletionOffersEveryCommandAndOption) {
    const auto commands = completions({""});
    for (const auto& command : cli::subcommands()) {
        SCOPED_TRACE(std::string(command.name));
        EXPECT_TRUE(offers(commands, command.name));
        const auto options = completions({std::string(command.name), "--"});
        for (const auto& option : command.options)
            EXPECT_TRUE(offers(options, option.name)) << option.name;
        // And nothing the command does not take.
        for (const auto& word : options)
            EXPECT_TRUE(word == "--help" || command.option(word)) << word;
    }
    EXPECT_TRUE(offers(completions({"help", "sc"}), "screen"));
}

}  // namespace
