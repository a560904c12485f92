#include "app/form.h"
#include "data/program_tables.h"
#include "data/text_file.h"

// Code list load: each line of the code list, tabs turned into commas, whole into
// column 0 of its row of the code table.
void TForm1::Button25Click() {
    WaitCursor wait(platform);
    data::fillCodeTable(StringGrid8, data::readLines(options.root.codeListFile()));
}
