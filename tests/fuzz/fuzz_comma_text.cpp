// The comma-text reader on any text: every line splits, and its fields written back as
// comma text read back as the same fields (a trailing empty field aside, which a comma
// at the very end never gives).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tables/comma_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::string& line : tables::splitLines(text)) {
        auto fields = tables::splitCommaText(line);
        if (line.find('\0') != std::string::npos) continue;  // a written text ends at a NUL
        std::string written;
        for (std::size_t i = 0; i < fields.size(); ++i)
            written += (i ? "," : "") + tables::quoteField(fields[i]);
        if (!fields.empty() && fields.back().empty()) fields.pop_back();
        if (tables::splitCommaText(written) != fields) __builtin_trap();
    }
    return 0;
}
