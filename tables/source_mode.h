#pragma once
// The data-source mode: the stocks of the price file ("quendal", found by column) or of
// the candidate file ("kouho", found by row). The mode field and the settings cell keep
// the word; any other word finds stocks as "kouho" does but is not "kouho" where the
// actions ask for that word itself.
#include <string_view>

enum class SourceMode { Quendal, Kouho, Other };

inline constexpr std::string_view kQuendalWord = "quendal";
inline constexpr std::string_view kKouhoWord = "kouho";

inline SourceMode sourceModeOf(std::string_view word) {
    if (word == kQuendalWord) return SourceMode::Quendal;
    if (word == kKouhoWord) return SourceMode::Kouho;
    return SourceMode::Other;
}

inline std::string_view modeWord(SourceMode mode) {
    return mode == SourceMode::Quendal ? kQuendalWord : kKouhoWord;
}
