// Series collection: a stock's daily closing prices from the price-table service,
// 50 days a page, into the working series (price-table column 199), newest first.
#include "app/form.h"
#include "data/collection_fetch.h"
#include "data/quote_pages.h"
#include "data/text_file.h"
#include "tables/convert.h"
#include "tables/layout.h"
#include "tables/settings_layout.h"

namespace {

using layout::kSeriesColumn;
constexpr int kLastPage = 20;
constexpr int kSeriesRowsCleared = 4860;

}  // namespace

void TForm1::Button8Click() {
    WaitCursor wait(platform);
    if (Edit1.text().empty()) {
        platform.showMessage("銘柄コードを入れ直して下さい。");
        return;
    }
    if (services.priceTable.empty()) services = data::loadServiceHosts(options.root);
    if (services.priceTable.empty()) {
        if (collectFromExchange()) return;
        platform.showMessage("株価データの取得先が設定されていません。");
        throw EAbort("");
    }
    // The working series names its stock in cell (199,0) only once the whole history is
    // in: a chart run asking for the code again then collects it again, instead of
    // charting a series cut short by a failed request as if it were complete.
    auto clearSeries = [this] {
        for (int row = 0; row <= kSeriesRowsCleared; ++row)
            StringGrid2.setCell(kSeriesColumn, row, "");
    };
    const std::string codeField = Edit1.text();
    clearSeries();
    const std::string code(codeKey(codeField));
    const std::string sentCode = data::queryCode(code);

    try {
        for (int page = 0; page <= kLastPage; ++page) {
            const auto today = data::dateFields(platform.today());
            StringGrid3.setCell(settings::kPageNumber, intToStr(page));
            const std::string text = data::fetchPageText(
                HttpClient1, services.priceTable, data::priceTablePath(page, today, sentCode),
                data::kPriceFetchFailed);
            Edit1.setText(code + "-" + intToStr(page) + " 収集中");
            platform.processEvents();
            data::keepPage(options.root, text, data::kPriceRowMarker, data::kPriceCutChars);
            Button9Click();
            Button10Click();
            Button13Click();
            Button11Click();
            // Only a page without data rows ends the history; a day without a price is " ".
            if (StringGrid2.cell(kSeriesColumn, data::kRowsPerPage * page + 1).empty()) break;
        }
    } catch (...) {
        clearSeries();
        throw;
    }
    StringGrid2.setCell(kSeriesColumn, 0, codeField);
    Edit1.setText(code);
}

// Page split: each line of the page file into its page-table row, cut at the row marker.
void TForm1::Button9Click() {
    // A short page leaves no rows of an earlier page behind for the page copy.
    data::splitPageLines(StringGrid6, data::readLines(options.root.pageFile()),
                         data::kPriceRowMarker, 50, data::kRowsPerPage);
}

// Price extraction: the text of each row's last cell. A data row whose price cell is
// empty is a day without trading: it keeps its place in the series as " ", so that an
// empty cell still means "no more rows".
void TForm1::Button10Click() {
    for (int row = 1; row <= data::kRowsPerPage; ++row) {
        const std::string& rowText = StringGrid6.cell(1, row);
        const std::string price = data::isolateLastCell(rowText);
        StringGrid6.setCell(1, row, price.empty() && !rowText.empty() ? " " : price);
    }
}

// Price extraction: grouping commas removed.
void TForm1::Button13Click() {
    for (int row = 1; row <= data::kRowsPerPage; ++row)
        StringGrid6.setCell(1, row, data::removeGroupingCommas(StringGrid6.cell(1, row)));
}

// Page copy: the page's prices into the working series at the page's rows.
void TForm1::Button11Click() {
    const int page = toInt(StringGrid3.cell(settings::kPageNumber));
    for (int r = 1; r <= data::kRowsPerPage; ++r)
        StringGrid2.setCell(kSeriesColumn, data::kRowsPerPage * page + r, StringGrid6.cell(1, r));
}
