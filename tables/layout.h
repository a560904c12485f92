#pragma once
// Fixed places in the working tables that several actions share.
namespace layout {

// Price table: stock columns 1 to 197, then the system's own work columns.
inline constexpr int kLastStockColumn = 197;
inline constexpr int kBoxIndexColumn = 198;  // the box index of each shown day
inline constexpr int kSeriesColumn = 199;    // the working series of the charted stock

}  // namespace layout
