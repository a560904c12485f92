#include "app/data_root.h"

#include <cstdlib>

#include "data/paths.h"
#include "data/text_file.h"
#include "tables/errors.h"

namespace fs = std::filesystem;

namespace app {

fs::path userDataRoot(const std::string& xdgDataHome, const std::string& home) {
    // Only an absolute XDG_DATA_HOME counts; a relative one is to be ignored.
    if (!xdgDataHome.empty() && fs::path(xdgDataHome).is_absolute())
        return fs::path(xdgDataHome) / "dravik";
    return fs::path(home.empty() ? "." : home) / ".local" / "share" / "dravik";
}

fs::path userDataRoot() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    return userDataRoot(xdg ? xdg : "", home ? home : "");
}

bool holdsData(const fs::path& root) {
    const data::DataRoot files{root};
    std::error_code error;
    return fs::exists(files.settingsFile(), error) || fs::exists(files.codeListFile(), error) ||
           fs::exists(files.priceFile(), error);
}

bool provideSampleData(const fs::path& root, const fs::path& sampleDir) {
    // The mark is made before the first file and removed after the last, so a copy cut
    // short (the program killed, the disk full) is finished at the next start instead of
    // leaving a root that holds half the data.
    const fs::path pending = root / kSampleCopyPending;
    std::error_code error;
    const bool resuming = fs::exists(pending, error);
    if (!resuming && holdsData(root)) return false;
    if (!fs::is_directory(sampleDir, error)) return false;
    fs::create_directories(root, error);
    if (error) throwCannotCreate(root.string());
    if (!resuming) data::writeBytes(pending, "");
    for (auto it = fs::recursive_directory_iterator(sampleDir, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const fs::path relative = fs::relative(it->path(), sampleDir);
        if (relative.filename() == ".complete") continue;
        const fs::path target = root / relative;
        if (it->is_directory(error)) {
            fs::create_directories(target, error);
            if (error) throwCannotCreate(target.string());
        } else if (!fs::exists(target, error)) {
            // Each file whole or not at all: a file present from a cut-short copy is complete.
            data::writeBytes(target, data::readBytes(it->path()));
        }
    }
    if (error) throwCannotOpen(sampleDir.string());
    fs::remove(pending, error);
    if (error) throwCannotCreate(pending.string());
    return true;
}

std::optional<fs::path> findShipped(const fs::path& programDir, const std::string& name) {
    std::error_code error;
    for (const fs::path& candidate :
         {programDir / name, programDir.parent_path() / "share" / "dravik" / name}) {
        if (fs::exists(candidate, error)) return candidate;
    }
    return std::nullopt;
}

CommandLine parseCommandLine(int argc, char** argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--root" && i + 1 < argc) {
            line.root = fs::path(argv[++i]);
        } else if (argument.rfind("--root=", 0) == 0) {
            line.root = fs::path(argument.substr(7));
        } else {
            line.rest.push_back(argument);
        }
    }
    return line;
}

}  // namespace app
