#include "tables/code_lookup.h"

#include <array>
#include <unordered_map>

namespace tables {

namespace {

// The last row of each code in one column range of one table, valid while the table
// keeps its serial and revision.
struct CodeIndex {
    std::uint64_t serial = 0, revision = 0;
    int col = 0, first = 0, end = 0;
    bool built = false;  // the first search of a range only notes it
    std::unordered_map<std::string, int> lastRow;

    bool covers(const WorkingTable& table, int c, int f, int e) const {
        return serial == table.serial() && revision == table.revision() && col == c && first == f &&
               end == e;
    }
};

// The code table and the candidate table are searched for every stock of a screening.
thread_local std::array<CodeIndex, 4> indexes;
thread_local std::size_t nextIndex = 0;

int scan(const WorkingTable& table, int col, int first, int end, std::string_view code) {
    int found = 0;
    for (int row = first; row < end; ++row)
        if (sameCode(table.cell(col, row), code)) found = row;
    return found;
}

}  // namespace

int lastRowWithCode(const WorkingTable& table, int col, int first, int end, std::string_view code) {
    CodeIndex* index = nullptr;
    for (auto& candidate : indexes)
        if (candidate.covers(table, col, first, end)) index = &candidate;
    if (!index) {
        CodeIndex& noted = indexes[nextIndex++ % indexes.size()];
        noted = CodeIndex{table.serial(), table.revision(), col, first, end, false, {}};
        return scan(table, col, first, end, code);
    }
    if (!index->built) {
        for (int row = first; row < end; ++row)
            index->lastRow[std::string(codeKey(table.cell(col, row)))] = row;
        index->built = true;
    }
    const auto found = index->lastRow.find(std::string(codeKey(code)));
    return found == index->lastRow.end() ? 0 : found->second;
}

bool isLetterCode(std::string_view key) {
    if (key.size() != 4 || key[0] < '0' || key[0] > '9') return false;
    bool letter = false;
    for (const char c : key) {
        if (c >= 'A' && c <= 'Z')
            letter = true;
        else if (c < '0' || c > '9')
            return false;
    }
    return letter;
}

int compareCodes(std::string_view a, std::string_view b) {
    const std::string_view keyA = codeKey(a), keyB = codeKey(b);
    if (isLetterCode(keyA) || isLetterCode(keyB)) return keyA.compare(keyB);
    const int numberA = toInt(keyA), numberB = toInt(keyB);
    return numberA < numberB ? -1 : numberA > numberB ? 1 : 0;
}

void checkCode(std::string_view text) {
    const std::string_view key = codeKey(text);
    if (!isLetterCode(key)) toInt(key);
}

std::string normalizedCodeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    for (int chars = 0; chars < 4 && i < text.size(); ++chars) {
        // U+FF10..FF19, U+FF21..FF3A and U+FF41..FF5A are EF BC 90..99, EF BC A1..BA and
        // EF BD 81..9A in UTF-8; each stands for the ASCII character 0xFEE0 below it.
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
        if (i + 2 < text.size() && byte(i) == 0xEF &&
            (byte(i + 1) == 0xBC || byte(i + 1) == 0xBD) && byte(i + 2) >= 0x80 &&
            byte(i + 2) <= 0xBF) {
            const unsigned code =
                0xFF00u + (byte(i + 1) == 0xBD ? 0x40u : 0u) + byte(i + 2) - 0x80u;
            if ((code >= 0xFF10 && code <= 0xFF19) || (code >= 0xFF21 && code <= 0xFF3A) ||
                (code >= 0xFF41 && code <= 0xFF5A)) {
                out.push_back(static_cast<char>(code - 0xFEE0u));
                i += 3;
                continue;
            }
        }
        // One character, whatever its length.
        do out.push_back(text[i++]);
        while (i < text.size() && (byte(i) & 0xC0) == 0x80);
    }
    const std::size_t codeEnd = out.size();
    out.append(text.substr(i));
    if (!out.empty() && out[0] >= '0' && out[0] <= '9')
        for (std::size_t k = 1; k < codeEnd; ++k)
            if (out[k] >= 'a' && out[k] <= 'z') out[k] = static_cast<char>(out[k] - 'a' + 'A');
    return out;
}

}  // namespace tables
