// The trading-date calendar (date-table column 0, the date file) and its update
// from the quote-history service at every start.
#include "app/form.h"
#include "data/collection_fetch.h"
#include "data/date_file.h"
#include "data/quote_pages.h"
#include "data/text_file.h"
#include "tables/convert.h"
#include "tables/layout.h"
#include "tables/settings_layout.h"

namespace {

constexpr int kDateFileLines = 1001;
constexpr int kFetchedRows = 300;
constexpr int kCalendarRows = 1000;
// Page-table rows the date extraction reads: 11 lines a data row, 50 rows.
constexpr int kHistoryPageRows = data::kHistoryLinesPerRow * (data::kRowsPerPage - 1) + 1;

std::chrono::sys_days calendarDate(std::string_view text) {
    if (auto day = parseDate(text)) return *day;
    throwVariantConversion();
}

}  // namespace

void TForm1::Button19Click() {
    WaitCursor wait(platform);
    if (services.quoteHistory.empty()) services = data::loadServiceHosts(options.root);
    Button20Click();
    // Without a quote-history service the calendar stays as the file has it.
    if (services.quoteHistory.empty()) return;
    const data::PageFetchGuard busy(this);

    for (int row = 0; row <= kFetchedRows; ++row) StringGrid4.setCell(1, row, "");
    const auto newest = calendarDate(StringGrid4.cell(0, 1));
    const auto todayText = platform.today();
    const long days = static_cast<long>((calendarDate(todayText) - newest).count());
    const int lastPage = data::lastHistoryPage(days);
    for (int page = 0; page <= lastPage; ++page) {
        StringGrid3.setCell(settings::kPageNumber, intToStr(page));
        const std::string text = data::fetchPageText(
            HttpClient1, services.quoteHistory,
            data::quoteHistoryPath(page, data::dateFields(todayText)), data::kCalendarFetchFailed);
        data::keepPage(options.root, text, data::kDateMarker, data::kHistoryCutChars);
        Button21Click();
        Button22Click();
    }
    Button23Click();
}

// Date file load: one line per date-table row, every comma ending a field.
void TForm1::Button20Click() {
    const auto lines = data::readLines(options.root.dateFile());
    StringGrid4.setRowCount(kDateFileLines);
    for (int row = 0; row < kDateFileLines; ++row) {
        if (static_cast<std::size_t>(row) >= lines.size()) throwListIndex(row);
        StringGrid4.fillRow(row, data::dateFileFields(lines[static_cast<std::size_t>(row)]));
    }
    for (int col = 1; col <= 2; ++col)
        for (int row = 0; row < kDateFileLines; ++row)
            if (StringGrid4.cell(col, row).find('"') != std::string::npos)
                StringGrid4.setCell(col, row, "");
}

// Page split: each line of the page file into its page-table row, cut at the date marker.
void TForm1::Button21Click() {
    const auto lines = data::readLines(options.root.pageFile());
    StringGrid6.setRowCount(static_cast<int>(lines.size()));
    // A short page leaves no rows of an earlier page behind for the date extraction.
    data::splitPageLines(StringGrid6, lines, data::kDateMarker, 10, kHistoryPageRows);
}

// Date extraction: the date of every 11th line, written yyyy/mm/dd, into date-table column 1.
// Rows a short page does not reach have no date cell and stay empty.
void TForm1::Button22Click() {
    for (int i = 0; i < data::kRowsPerPage; ++i)
        StringGrid6.setCell(0, i + 1,
                            std::string(data::charSlice(
                                StringGrid6.cell(1, data::kHistoryLinesPerRow * i + 1), 0, 10)));
    for (int r = 1; r <= data::kRowsPerPage; ++r)
        if (const std::string& cell = StringGrid6.cell(0, r); !cell.empty())
            StringGrid6.setCell(0, r, data::pageDate(cell));
    const int page = toInt(StringGrid3.cell(settings::kPageNumber));
    for (int r = 1; r <= data::kRowsPerPage; ++r)
        StringGrid4.setCell(1, data::kRowsPerPage * page + r, StringGrid6.cell(0, r));
}

// Calendar merge: the fetched dates newer than the calendar go in front of it, and
// the newest 1000 are written back to the date file.
void TForm1::Button23Click() {
    const auto newest = calendarDate(StringGrid4.cell(0, 1));
    int k = 0;
    for (int row = 1; row <= kFetchedRows; ++row) {
        const std::string& fetched = StringGrid4.cell(1, row);
        if (!hasValue(fetched)) continue;
        const auto day = parseDate(fetched);
        if (!day) throwNotDate(fetched);
        if (*day == newest) k = row;
    }
    if (k == 0) {
        platform.showMessage(
            "過去のデータが不足しています。サイトより\rquendalsetup."
            "exeを再ダウンロードして下さい。");
        return;
    }
    if (k > 1) {
        for (int row = kCalendarRows; row >= 1; --row)
            StringGrid4.setCell(0, row + k - 1, StringGrid4.cell(0, row));
        for (int row = 1; row < k; ++row) StringGrid4.setCell(0, row, StringGrid4.cell(1, row));
    }
    std::vector<std::string> lines;
    lines.reserve(kDateFileLines);
    for (int row = 0; row < kDateFileLines; ++row)
        lines.push_back(data::dateFileLine(
            {StringGrid4.cell(0, row), StringGrid4.cell(1, row), StringGrid4.cell(2, row)}));
    data::writeLines(options.root.dateFile(), lines);
    calendarUpdated = true;
}
