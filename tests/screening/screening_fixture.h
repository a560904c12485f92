#pragma once
// A headless form with small in-memory price, code and candidate tables, for the
// stepping, screening and candidate tests.
#include <algorithm>
#include <string>
#include <vector>

#include "data/text_file.h"
#include "tables/comma_text.h"
#include "tests/support.h"

namespace screening_testing {

// Price series, oldest day first, that the chart engine turns into known patterns
// with the default box ratio.
inline const std::vector<std::string> kDoubleTop = {"900", "700", "950", "750", "1000"};
inline const std::vector<std::string> kTripleTop = {"900", "700", "950", "750",
                                                    "950", "750", "1000"};
inline const std::vector<std::string> kDoubleBottom = {"800", "1000", "750", "950", "700"};
inline const std::vector<std::string> kNoPattern = {"1000", "950", "900", "850", "800"};

inline std::string dateOfDay(int day) {
    return "2024/" + std::string(day < 200 ? "05/" : "04/") + std::to_string(day % 200);
}

struct ScreeningForm : testing_support::FormFixture {
    ScreeningForm() {
        form->StringGrid2.setColCount(200);
        form->StringGrid3.setCell(3, 13, "0");
        form->StringGrid3.setCell(3, 14, "0");
        form->StringGrid3.setCell(1, 16, "0");
    }

    // A price-table stock column; prices oldest first, so the last one is day 1.
    void stock(int col, const std::string& header, std::vector<std::string> oldestFirst) {
        WorkingTable& prices = form->StringGrid2;
        prices.setCell(col, 0, header);
        std::reverse(oldestFirst.begin(), oldestFirst.end());
        for (std::size_t i = 0; i < oldestFirst.size(); ++i) {
            const int day = static_cast<int>(i) + 1;
            prices.setCell(col, day, oldestFirst[i]);
            prices.setCell(0, day, dateOfDay(day));
        }
        prices.setRowCount(std::max(prices.rowCount(), static_cast<int>(oldestFirst.size()) + 1));
    }

    // The code table: one listed stock per row from row 1 on.
    void codes(const std::vector<std::string>& lines) {
        form->StringGrid8.setRowCount(static_cast<int>(lines.size()) + 1);
        for (std::size_t i = 0; i < lines.size(); ++i)
            form->StringGrid8.setCell(0, static_cast<int>(i) + 1, lines[i]);
    }

    // The candidate file: line 0 the dates, then one line per code-table row with its
    // prices oldest first (an empty series gives a line with the code only).
    void candidateFile(const std::vector<std::string>& lineCodes,
                       const std::vector<std::vector<std::string>>& series, int days = 12) {
        std::vector<std::string> lines;
        std::string header = "日付";
        for (int day = 1; day <= days; ++day) header += "," + dateOfDay(day);
        lines.push_back(header);
        for (std::size_t i = 0; i < lineCodes.size(); ++i) {
            std::string line = tables::quoteField(lineCodes[i]);
            std::vector<std::string> prices =
                i < series.size() ? series[i] : std::vector<std::string>{};
            std::reverse(prices.begin(), prices.end());
            for (const auto& price : prices) line += "," + price;
            lines.push_back(line);
        }
        writeCandidateLines(lines);
    }

    void writeCandidateLines(const std::vector<std::string>& lines) {
        std::filesystem::create_directories(root().candidateFile().parent_path());
        data::writeLines(root().candidateFile(), lines);
    }

    // The candidate rows as the range load leaves them, without reading a file.
    void candidateRow(int row, const std::string& code, std::vector<std::string> oldestFirst) {
        WorkingTable& candidates = form->StringGrid10;
        candidates.setColCount(402);
        candidates.setRowCount(std::max(candidates.rowCount(), row + 1));
        candidates.setCell(0, row, code);
        std::reverse(oldestFirst.begin(), oldestFirst.end());
        for (std::size_t i = 0; i < oldestFirst.size(); ++i) {
            candidates.setCell(static_cast<int>(i) + 1, row, oldestFirst[i]);
            candidates.setCell(static_cast<int>(i) + 1, 0, dateOfDay(static_cast<int>(i) + 1));
        }
    }

    std::vector<std::string> listed(int col) const {
        std::vector<std::string> codes;
        for (int row = 1; !form->StringGrid11.cell(col, row).empty(); ++row)
            codes.push_back(form->StringGrid11.cell(col, row));
        return codes;
    }

    std::string firstError() const {
        return platform.errors.empty() ? std::string() : platform.errors.front();
    }
};

}  // namespace screening_testing
