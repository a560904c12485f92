#pragma once
// The command lines of dravik-cli and dravik: one table entry per subcommand (its operands,
// options and usage), the parser that holds the words to it, --help, --version, the
// "help COMMAND" subcommand and the exit statuses of both programs.
#include <cstddef>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Exit statuses, the same for both programs.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;        // the work failed; the program said why
inline constexpr int kExitUsage = 2;          // wrong usage; the usage went to stderr
inline constexpr int kExitInterrupted = 130;  // stopped by Ctrl-C (128 + SIGINT)

struct Option {
    std::string_view name;   // "--days"
    std::string_view value;  // what it takes, as the usage shows it ("N"); empty for a flag
    std::string_view help;   // one line for the usage
};

inline constexpr std::size_t kAnyNumber = static_cast<std::size_t>(-1);

// A subcommand. Adding an option or a subcommand is adding to its entry in subcommands();
// the manual page dravik-cli(1) and the bash completion are checked against the table.
struct Subcommand {
    std::string_view name;
    std::string_view operands;  // as the usage names them: "CODE", "FILE..."
    std::size_t minOperands = 0;
    std::size_t maxOperands = 0;  // kAnyNumber for no limit
    // The usage line after "dravik-cli NAME": the operands and the options as they group,
    // lines split by '\n' (each further line is indented under the first).
    std::string_view synopsis;
    std::string_view summary;  // what it does, one line
    std::vector<Option> options;
    std::string_view notes;  // lines after the options, may be empty

    const Option* option(std::string_view name) const;
};

// Every subcommand of dravik-cli, "help" among them, in the order the usage lists them.
const std::vector<Subcommand>& subcommands();
const Subcommand* findSubcommand(std::string_view name);

// "dravik-cli 1.2.0", then the build's git description on a line of its own when the
// build had one.
std::string versionText(std::string_view program);

// The usage of dravik-cli as a whole, and of one subcommand with its options.
std::string usage();
std::string usage(const Subcommand& command);

struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // "--days" -> "500"; flags map to ""
};

// What a parse gave: the arguments to run the subcommand with, or the exit status when
// the parse itself answered (the usage or version printed: 0; wrong usage reported: 2).
class Parsed {
  public:
    explicit Parsed(Arguments arguments) : arguments_(std::move(arguments)) {}
    explicit Parsed(int status) : status_(status) {}
    explicit operator bool() const { return arguments_.has_value(); }
    const Arguments* operator->() const { return &*arguments_; }
    const Arguments& operator*() const { return *arguments_; }
    int status() const { return status_; }

  private:
    std::optional<Arguments> arguments_;
    int status_ = kExitSuccess;
};

// Holds the words after the subcommand's name to its entry: options it does not know,
// a missing value, a value given to a flag and too few or too many operands are wrong
// usage, reported on `err` with the subcommand's usage. --help (-h) prints the usage on
// `out`, --version the version. "--opt=VALUE" is "--opt VALUE"; after "--" every word is
// an operand; a later option replaces an earlier one.
Parsed parse(const Subcommand& command, const std::vector<std::string>& words, std::ostream& out,
             std::ostream& err);
// The same for argv[2...] of the subcommand named argv[1], on stdout and stderr.
Parsed parse(std::string_view name, int argc, char** argv);

// Reports wrong usage of a subcommand found past the parse: the message, the usage,
// and returns kExitUsage.
int usageError(std::string_view name, std::string_view message, std::ostream& err);
int usageError(std::string_view name, std::string_view message);

// The words before a subcommand runs: no words, --help, --version, "help [COMMAND]" and
// an unknown subcommand are answered here with their exit status. Otherwise words[0]
// names a subcommand of the table to run, and nothing is returned.
std::optional<int> answerTopLevel(const std::vector<std::string>& words, std::ostream& out,
                                  std::ostream& err);

// The window program's command line, read before the window system starts: --help and
// --version are answered (0), an unknown option or an operand is wrong usage (2).
// --root DIR and Qt's own options (-platform NAME, -style NAME, ...) go on to the window:
// nothing is returned for them.
std::optional<int> answerWindowArguments(const std::vector<std::string>& words, std::ostream& out,
                                         std::ostream& err);
std::string windowUsage();

// Whether the window has a display to open on: DISPLAY or WAYLAND_DISPLAY in the
// environment, or a platform chosen for Qt (QT_QPA_PLATFORM, -platform NAME). Without one
// Qt would abort; the program says so instead. `environment` reads a variable.
bool displayNamed(const std::vector<std::string>& words, const char* (*environment)(const char*));
inline constexpr const char* kNoDisplayMessage =
    "dravik: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
    "In a terminal, dravik-cli charts and screens: dravik-cli chart CODE, dravik-cli --help.\n";

}  // namespace cli
