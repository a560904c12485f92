#include <algorithm>
#include <string>

#include "app/form.h"
#include "data/text_file.h"

// Code list load: each line of the code list, tabs turned into commas, whole into
// column 0 of its row of the code table.
void TForm1::Button25Click() {
    WaitCursor wait(platform);
    const auto lines = data::readLines(options.root.codeListFile());
    StringGrid8.setColCount(5);
    StringGrid8.setRowCount(static_cast<int>(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        std::replace(line.begin(), line.end(), '\t', ',');
        StringGrid8.rowFromLineList(static_cast<int>(i), line);
    }
}
