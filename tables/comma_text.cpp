#include "tables/comma_text.h"

namespace tables {

std::vector<std::string> splitCommaText(std::string_view text) {
    std::vector<std::string> fields;
    std::size_t p = 0;
    const std::size_t n = text.size();
    auto skipBlanks = [&] {
        while (p < n && isBlank(text[p])) ++p;
    };
    skipBlanks();
    while (p < n) {
        std::string field;
        if (text[p] == '"') {
            ++p;
            while (p < n) {
                if (text[p] == '"') {
                    if (p + 1 < n && text[p + 1] == '"') {
                        field += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                field += text[p++];
            }
        } else {
            const std::size_t start = p;
            while (p < n && !isBlank(text[p]) && text[p] != ',') ++p;
            field.assign(text.substr(start, p - start));
        }
        fields.push_back(std::move(field));
        skipBlanks();
        if (p < n && text[p] == ',') {
            ++p;
            skipBlanks();
        }
    }
    return fields;
}

std::string csvField(std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(field);
    std::string quoted = "\"";
    for (const char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string quoteField(std::string_view field) {
    bool needsQuotes = false;
    for (char c : field) {
        if (c == '\0') break;  // the text ends at a NUL, as it is written
        if (isBlank(c) || c == '"' || c == ',') {
            needsQuotes = true;
            break;
        }
    }
    if (!needsQuotes) return std::string(field);
    std::string out;
    out.reserve(field.size() + 2);
    out += '"';
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t p = 0;
    const std::size_t n = text.size();
    while (p < n) {
        const std::size_t start = p;
        while (p < n && text[p] != '\r' && text[p] != '\n') ++p;
        lines.emplace_back(text.substr(start, p - start));
        if (p < n && text[p] == '\r') ++p;
        if (p < n && text[p] == '\n') ++p;
    }
    return lines;
}

}  // namespace tables
