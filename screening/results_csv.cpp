#include "screening/results_csv.h"

#include "screening/screening.h"
#include "tables/code_lookup.h"
#include "tables/comma_text.h"

namespace screening {

using tables::csvField;

std::string resultsCsv(const WorkingTable& settingsTable, const WorkingTable& results,
                       const WorkingTable& codeTable, const RunNotes& notes) {
    std::string csv = "パターン,コード,銘柄名,日付,株価,買い点,売り点\r\n";
    const auto lines = [&](chart::Pattern pattern, const std::vector<std::string>& codes) {
        std::vector<const ListedSignal*> noted;
        for (const ListedSignal& entry : notes.listed)
            if (entry.pattern == pattern) noted.push_back(&entry);
        const bool matching = noted.size() == codes.size();
        for (std::size_t row = 0; row < codes.size(); ++row) {
            const std::string& code = codes[row];
            const ListedSignal* where = matching && noted[row]->code == code ? noted[row] : nullptr;
            const auto field = [where](std::string ListedSignal::*member) {
                return csvField(where ? where->*member : std::string());
            };
            csv += csvField(chart::caption(pattern)) + ',' + csvField(codeKey(code)) + ',' +
                   csvField(tables::stockName(codeTable, code)) + ',' + field(&ListedSignal::date) +
                   ',' + field(&ListedSignal::level) + ',' + field(&ListedSignal::buyPoint) + ',' +
                   field(&ListedSignal::sellPoint) + "\r\n";
        }
    };
    const auto columns = resultColumns(settingsTable, results);
    for (std::size_t i = 0; i < columns.size(); ++i)
        lines(static_cast<chart::Pattern>(i + 1), columns[i]);
    // The further formations, while the list shows them.
    const auto formations = formationColumns(results);
    for (std::size_t i = 0; i < formations.size(); ++i)
        lines(static_cast<chart::Pattern>(chart::kPatternCount + 1 + static_cast<int>(i)),
              formations[i]);
    return csv;
}

void saveResultsCsv(const data::Path& path, const std::string& csv) {
    data::writeBytes(path, "\xEF\xBB\xBF" + csv);
}

}  // namespace screening
