// Quick collection: a stock the loaded data lacks, from the quick-collection list
// (StringGrid7) when it was collected before, else from the price-table service.
#include "app/form.h"
#include "data/collection_fetch.h"
#include "tables/convert.h"
#include "tables/layout.h"

namespace {

using layout::kSeriesColumn;
constexpr int kSlots = 20;
constexpr int kStoredRows = 1000;
constexpr int kRestoreClearedRows = 4800;

// The last list column holding the code, 0 when none does.
int storedSlot(const WorkingTable& list, std::string_view codeField) {
    int found = 0;
    for (int col = 1; col <= kSlots; ++col) {
        const std::string& code = list.cell(col, 0);
        if (!code.empty() && sameCode(code, codeField)) found = col;
    }
    return found;
}

}  // namespace

void TForm1::Button24Click() {
    const data::PageFetchGuard busy(this);
    if (const int slot = storedSlot(StringGrid7, Edit1.text())) {
        for (int row = 0; row <= kStoredRows; ++row)
            StringGrid2.setCell(kSeriesColumn, row, StringGrid7.cell(slot, row));
        for (int row = kStoredRows + 1; row <= kRestoreClearedRows; ++row)
            StringGrid2.setCell(kSeriesColumn, row, "");
        return;
    }
    Button8Click();
    const int n = ++quickCollectedCount;
    if (n > kSlots)
        platform.showMessage(
            "簡易収集の一時保存銘柄数は20銘柄までです。\r先データに上書きします。");
    const int slot = (n - 1) % kSlots + 1;
    if (StringGrid7.colCount() <= slot) StringGrid7.setColCount(slot + 1);
    for (int row = 0; row <= kStoredRows; ++row)
        StringGrid7.setCell(slot, row, StringGrid2.cell(kSeriesColumn, row));
}
