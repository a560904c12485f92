#include "data/text_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "data/cp932.h"
#include "tables/comma_text.h"
#include "tables/errors.h"

namespace data {

std::string readBytes(const Path& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) throwCannotOpen(pathText(path));
    std::ifstream in(path, std::ios::binary);
    if (!in) throwCannotOpen(pathText(path));
    // Read at once into a string of the file's size (large files are read whole), then
    // whatever more there is.
    std::string bytes(static_cast<std::size_t>(std::filesystem::file_size(path, error)), '\0');
    if (error) bytes.clear();
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) throwCannotOpen(pathText(path));
    if (in) {
        std::ostringstream rest;
        rest << in.rdbuf();
        bytes += std::move(rest).str();
    }
    if (in.bad()) throwCannotOpen(pathText(path));
    return bytes;
}

void writeBytes(const Path& path, std::string_view bytes) {
    const Path temp = path.string() + ".tmp" + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throwCannotCreate(pathText(path));
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<std::size_t>(n);
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        throwCannotCreate(pathText(path));
    }
}

std::string readText(const Path& path) {
    return cp932ToUtf8(readBytes(path));
}

std::vector<std::string> readLines(const Path& path) {
    return tables::splitLines(readText(path));
}

void writeLines(const Path& path, const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const auto& line : lines) size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    writeBytes(path, utf8ToCp932(text));
}

}  // namespace data
