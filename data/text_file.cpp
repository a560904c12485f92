#include "data/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "data/cp932.h"
#include "data/file_descriptor.h"
#include "tables/comma_text.h"
#include "tables/errors.h"

namespace data {

std::string readBytes(const Path& path, std::size_t limit) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) throwCannotOpen(pathText(path));
    std::ifstream in(path, std::ios::binary);
    if (!in) throwCannotOpen(pathText(path));
    const auto tooLarge = [&] {
        throw EFileError(formatMessage("ファイル %s は大きすぎます", pathText(path)));
    };
    // Read at once into a string of the file's size (large files are read whole), then
    // whatever more there is (a file still growing, a pipe).
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size > limit) tooLarge();
    std::string bytes(error ? 0 : static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    char chunk[65536];
    while (in) {
        in.read(chunk, sizeof chunk);
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got > limit - bytes.size()) tooLarge();
        bytes.append(chunk, got);
    }
    if (in.bad()) throwCannotOpen(pathText(path));
    return bytes;
}

namespace {

// Where a write lands: the final target of a symbolic link (a dangling one too), so the
// link stays a link. Empty for a loop of links.
Path writeTarget(const Path& path) {
    Path target = path;
    std::error_code error;
    for (int hops = 0; std::filesystem::is_symlink(std::filesystem::symlink_status(target, error));
         ++hops) {
        const Path link = std::filesystem::read_symlink(target, error);
        if (error || hops == 40) return {};
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return target;
}

}  // namespace

// Makes a rename in the folder last through a power cut. File systems that cannot sync a
// folder say EINVAL; that is no failure of the write.
bool syncFolder(const Path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return true;  // a folder we may write but not open: nothing more to do
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return synced;
}

namespace {

// Writes the bytes to `temp` beside `target`, with the old file's owner and permission
// bits, and syncs them; false when it failed (then `temp` is gone).
bool writeBeside(const Path& target, const Path& temp, std::string_view bytes) {
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = true;
    if (replacing) {
        // The new file takes the old one's owner (where allowed) and permission bits.
        [[maybe_unused]] const int owned = ::fchown(fd, old.st_uid, old.st_gid);
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    }
    ok = ok && data::writeFully(fd, bytes);
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

// The target of a write that may go ahead: a file the user made read-only stays as it is.
Path writableTarget(const Path& path) {
    const Path target = writeTarget(path);
    if (target.empty()) throwCannotCreate(pathText(path));
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && ::access(target.c_str(), W_OK) != 0)
        throwCannotCreate(pathText(path));
    return target;
}

std::string crlfText(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const auto& line : lines) size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

}  // namespace

void writeBytes(const Path& path, std::string_view bytes) {
    const Path target = writableTarget(path);
    const Path temp = target.string() + ".tmp" + std::to_string(::getpid());
    if (!writeBeside(target, temp, bytes) || std::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        throwCannotCreate(pathText(path));
    }
    if (!syncFolder(target.parent_path())) throwCannotCreate(pathText(path));
}

Staged stageBytes(const Path& path, std::string_view bytes) {
    Staged staged;
    staged.target = writableTarget(path);
    staged.staged = staged.target.string() + ".new";
    if (!writeBeside(staged.target, staged.staged, bytes)) throwCannotCreate(pathText(path));
    return staged;
}

Staged stageLines(const Path& path, const std::vector<std::string>& lines) {
    return stageBytes(path, utf8ToCp932(crlfText(lines)));
}

std::string readText(const Path& path) {
    return cp932ToUtf8(readBytes(path));
}

std::vector<std::string> readLines(const Path& path) {
    return tables::splitLines(readText(path));
}

void writeLines(const Path& path, const std::vector<std::string>& lines) {
    writeBytes(path, utf8ToCp932(crlfText(lines)));
}

}  // namespace data
