#pragma once
// Where the program keeps its data and finds what it ships with.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace app {

// The per-user data folder: $XDG_DATA_HOME/dravik, else $HOME/.local/share/dravik.
// Empty texts stand for unset variables.
std::filesystem::path userDataRoot(const std::string& xdgDataHome, const std::string& home);
// The same from the environment.
std::filesystem::path userDataRoot();

// A data root holds data once it has the settings file, the code list or the price file.
bool holdsData(const std::filesystem::path& root);

// Lies in the root while the sample copy is under way.
inline constexpr const char* kSampleCopyPending = ".sample-copy-pending";

// Copies the sample data set into a root that holds no data, so a first start shows a
// chart at once, or finishes a copy that was cut short. Returns whether it copied; a
// root with data is left alone.
bool provideSampleData(const std::filesystem::path& root, const std::filesystem::path& sampleDir);

// A file or folder the program ships with, beside the program in the build tree or
// under share/dravik of the installation.
std::optional<std::filesystem::path> findShipped(const std::filesystem::path& programDir,
                                                 const std::string& name);

// The command line: --root DIR (or --root=DIR). Unknown arguments are returned in `rest`.
struct CommandLine {
    std::optional<std::filesystem::path> root;
    std::vector<std::string> rest;
};
CommandLine parseCommandLine(int argc, char** argv);

}  // namespace app
