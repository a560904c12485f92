#pragma once
// A stock's series as the tables and files hold it, made into chart values: the text of
// a price cell into a Close, the box-ratio field into a Scale.
#include <optional>
#include <string_view>
#include <vector>

#include "chart/chart.h"
#include "tables/working_table.h"

namespace chart {

// The box-ratio field's keyword for the Cohen box method.
inline constexpr std::string_view kCohenWord = "コーエン";
// The smallest box ratio a chart takes; a smaller one becomes this.
inline constexpr long double kSmallestRatio = 0.002L;

// "" is no day, " " a day without a price, a whole number a price; nothing for any
// other text.
std::optional<Close> closeOfCell(std::string_view text);

// The Cohen scale for "コーエン", else the ratio of the text (throws EConvertError when
// it is no real number).
Scale scaleOfField(std::string_view text);

// Days 1 to `days` of a column of a table whose rows are days (row 1 the newest), or of a
// row whose columns are days; nothing when a cell holds text that is no price.
std::optional<std::vector<Close>> closesOfColumn(const WorkingTable& table, int col, int days);
std::optional<std::vector<Close>> closesOfRow(const WorkingTable& table, int row, int days);

}  // namespace chart
