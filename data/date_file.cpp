#include "data/date_file.h"

#include "tables/comma_text.h"

namespace data {

namespace {

// Reads the quoted field starting at `start` into `value`, `end` after its closing
// quote; false when the field does not end there (at a comma or the line end).
bool readQuoted(std::string_view line, std::size_t start, std::string& value, std::size_t& end) {
    value.clear();
    std::size_t p = start + 1;
    while (p < line.size()) {
        if (line[p] != '"') {
            value += line[p++];
            continue;
        }
        if (p + 1 < line.size() && line[p + 1] == '"') {
            value += '"';
            p += 2;
            continue;
        }
        end = p + 1;
        return end == line.size() || line[end] == ',';
    }
    return false;
}

}  // namespace

std::vector<std::string> dateFileFields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t p = 0;
    while (p < line.size()) {
        std::string value;
        std::size_t end = 0;
        if (line[p] == '"' && readQuoted(line, p, value, end)) {
            p = end;
        } else {
            end = line.find(',', p);
            if (end == std::string_view::npos) end = line.size();
            value.assign(line.substr(p, end - p));
            p = end;
        }
        fields.push_back(std::move(value));
        if (p == line.size()) return fields;
        ++p;  // the comma
    }
    // The line is empty or ends with a comma: no field after it.
    return fields;
}

std::string dateFileLine(const std::vector<std::string>& cells) {
    std::string out;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) out += ',';
        if (cells[i] != " ") out += tables::quoteField(cells[i]);
    }
    return out;
}

}  // namespace data
