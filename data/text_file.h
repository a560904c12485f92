#pragma once
// The one way files are read and written: CP932 on disk, UTF-8 in memory; lines end
// in CR, LF or CR LF on reading and CR LF on writing. Writes go to a temporary file
// that is renamed over the old one, so a failed write never leaves half a file; the new
// file keeps the old one's permission bits, and a symbolic link is written through.
#include <cstddef>
#include <filesystem>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace data {

using Path = std::filesystem::path;

// Throws EFileError "ファイル %s は開けません"; a file longer than `limit` (or a device
// or pipe that does not end) "ファイル %s は大きすぎます" before more is held in memory.
std::string readBytes(const Path& path,
                      std::size_t limit = std::numeric_limits<std::size_t>::max());
// Throws EFileError "ファイル %s を作成できません".
void writeBytes(const Path& path, std::string_view bytes);

// Files that change together are written in two steps: each is staged beside its
// place (as writeBytes writes, through a symbolic link, with the old file's permission
// bits) before the first one is put in place by a rename. Throws EFileError
// "ファイル %s を作成できません" and leaves no staged file behind.
struct Staged {
    Path staged;  // "<target>.new"
    Path target;  // the file itself (a symbolic link's target)
};
Staged stageBytes(const Path& path, std::string_view bytes);
Staged stageLines(const Path& path, const std::vector<std::string>& lines);

// Makes the renames in a folder last through a power cut; false when it cannot.
bool syncFolder(const Path& folder);

std::string readText(const Path& path);
std::vector<std::string> readLines(const Path& path);
void writeLines(const Path& path, const std::vector<std::string>& lines);

// The path as the user reads it in a message.
inline std::string pathText(const Path& path) {
    return path.string();
}

}  // namespace data
