#pragma once
// Writing to an open file: a write may take only part of the bytes or be interrupted.
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <string_view>

namespace data {

// Writes every byte; false when the file takes no more.
inline bool writeFully(int fd, std::string_view bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace data
