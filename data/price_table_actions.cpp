// The shipped price file: one column per stock, one row per trading day.
#include "app/form.h"
#include "data/program_tables.h"
#include "data/text_file.h"

void TForm1::Button2Click() {
    WaitCursor wait(platform);
    const auto lines = data::readLines(options.root.priceFile());
    platform.splashStatus("データ読み込み中...");
    data::fillPriceTable(StringGrid2, lines);
}
