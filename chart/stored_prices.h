#pragma once
// A stock's prices from the market store beside the closes of the program's files: the
// highs and lows the textbook chart may be drawn on, and the newest close as the data
// has it (with its fraction).
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "chart/chart.h"
#include "data/paths.h"

namespace chart {

// What the chart says when it is drawn on closes because the stock has no highs and lows.
inline constexpr const char* kClosesOnlyNotice =
    "高値・安値のデータがないため、終値で描いています。";

struct HighsLows {
    std::vector<Close> highs, lows;  // day 1 first, as the dates; no price where none
    bool any = false;                // some day has a high or a low
};

// The stored highs and lows of the stock (its code as the files write it, "7203…") on
// the dates (yyyy/mm/dd, day 1 first). A fractional high reaches the levels its whole
// part reaches, a fractional low falls to those its next whole yen falls to. None when
// the root has no store, the store does not know the stock or cannot be read.
HighsLows storedHighsLows(const data::DataRoot& root, std::string_view code,
                          std::span<const std::string> dates);

// The stored close of the stock on the date, when it rounds to the whole yen the files
// show (`shown`); nothing otherwise.
std::optional<double> storedClose(const data::DataRoot& root, std::string_view code,
                                  const std::string& date, long long shown);

// A price with at most two decimals, grouped: "1,234", "564.5".
std::string priceText(double price);

}  // namespace chart
