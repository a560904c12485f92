#pragma once
// The program's version, one number for both programs, set in the project's CMakeLists.txt,
// and the git description of the sources it was built from (empty outside a git checkout).
#include <string_view>

namespace dravik {

extern const std::string_view kVersion;
extern const std::string_view kGitDescription;

}  // namespace dravik
