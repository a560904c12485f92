// A series walked day by day shows on every day what the engine shows for the chart of
// the days up to it: the same columns, the newest double top or bottom, the trend line
// in force; the walk carried on from its saved state goes on exactly as the whole walk.
#include "analysis/series_walk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "chart/box_scale.h"
#include "chart/decorations.h"

namespace {

using analysis::Ladder;
using analysis::SeriesWalk;

// Closes of a random walk, oldest first; some days without a price.
std::vector<std::optional<long long>> randomCloses(unsigned seed, int days, double volatility) {
    std::mt19937 random(seed);
    std::normal_distribution<double> move(0, volatility);
    std::uniform_int_distribution<int> gap(0, 30);
    std::vector<std::optional<long long>> closes;
    double price = 500 + seed * 37 % 5000;
    for (int d = 0; d < days; ++d) {
        price = std::max(5.0, price * (1 + move(random)));
        closes.push_back(gap(random) == 0 ? std::nullopt
                                          : std::optional<long long>(std::llround(price)));
    }
    return closes;
}

// The engine's chart of days 0 .. last, newest first as it takes them.
chart::Chart engineChart(const std::vector<std::optional<long long>>& closes, std::size_t last,
                         const chart::Scale& scale) {
    std::vector<chart::Close> series;
    for (std::size_t d = last + 1; d-- > 0;)
        series.push_back(closes[d] ? chart::Close::of(*closes[d]) : chart::Close::none());
    chart::ChartRequest request;
    request.closes = series;
    request.days = static_cast<int>(series.size());
    request.scale = scale;
    request.construction = chart::Construction::Textbook;
    return chart::runChart(request);
}

// The columns as direction and levels, which do not depend on where the rows begin.
std::vector<std::string> columnsOf(const chart::Chart& chart,
                                   const std::function<std::optional<long long>(int)>& level) {
    std::vector<std::string> columns;
    for (const auto& column : chart.columns)
        if (!column.empty())
            columns.push_back(std::string(column.rising ? "X" : "O") +
                              std::to_string(level(column.topRow).value_or(-1)) + "-" +
                              std::to_string(level(column.bottomRow).value_or(-1)));
    return columns;
}

TEST(SeriesWalk, EveryDayShowsWhatTheChartOfTheDaysUpToItShows) {
    struct Case {
        unsigned seed;
        double volatility;
        bool cohen;
    };
    for (const Case c :
         {Case{1, 0.02, false}, Case{2, 0.035, false}, Case{3, 0.02, true}, Case{4, 0.05, true}}) {
        SCOPED_TRACE(c.seed);
        const chart::Scale scale{c.cohen, 0.015L, true};
        const Ladder ladder = c.cohen ? Ladder::cohen() : Ladder::percentage(0.015L);
        const auto closes = randomCloses(c.seed, 260, c.volatility);
        SeriesWalk walk(ladder, 3, true);
        for (std::size_t d = 0; d < closes.size(); ++d) {
            const std::uint8_t bits = walk.day(static_cast<int>(d), closes[d], nullptr);
            if (d % 7 != 6 && d + 1 != closes.size()) continue;
            SCOPED_TRACE(d);
            const chart::Chart chart = engineChart(closes, d, scale);
            ASSERT_EQ(columnsOf(walk.shape(), [&](int row) { return ladder.level(row); }),
                      columnsOf(chart, [&](int row) { return chart.level(row); }));
            const chart::ChartPatternCells cells(chart);
            const auto breakout = chart::newestBreakout(cells, chart.lastColumn());
            EXPECT_EQ(static_cast<bool>(bits & analysis::kBuy), breakout == chart::Side::Buy);
            EXPECT_EQ(static_cast<bool>(bits & analysis::kSell), breakout == chart::Side::Sell);
            const auto history = chart::signalHistory(chart);
            EXPECT_EQ(static_cast<bool>(bits & analysis::kAboveSupport),
                      chart::lineInForce(chart::trendLines(chart, history)) ==
                          chart::LineKind::BullishSupport);
            if (!chart.columns.empty() && !chart.columns.back().empty()) {
                EXPECT_EQ(static_cast<bool>(bits & analysis::kRising), chart.columns.back().rising);
            }
        }
    }
}

TEST(SeriesWalk, AWalkCarriedOnFromItsSavedStateGoesOnAsTheWholeWalk) {
    const Ladder ladder = Ladder::percentage(0.015L);
    const auto closes = randomCloses(7, 300, 0.03);
    for (const bool decorated : {true, false}) {
        SeriesWalk whole(ladder, 3, decorated);
        SeriesWalk first(ladder, 3, decorated);
        std::vector<analysis::Event> wholeEvents, events;
        std::vector<std::uint8_t> wholeBits, bits;
        for (std::size_t d = 0; d < closes.size(); ++d) {
            wholeBits.push_back(whole.day(static_cast<int>(d), closes[d], &wholeEvents));
            if (d < 200) bits.push_back(first.day(static_cast<int>(d), closes[d], &events));
        }
        std::string saved;
        first.save(saved);
        SeriesWalk carried(ladder, 3, decorated);
        std::size_t at = 0;
        carried.load(saved, at);
        EXPECT_EQ(at, saved.size());
        for (std::size_t d = 200; d < closes.size(); ++d)
            bits.push_back(carried.day(static_cast<int>(d), closes[d], &events));
        EXPECT_EQ(bits, wholeBits);
        EXPECT_EQ(events, wholeEvents);
        std::string a, b;
        whole.save(a);
        carried.save(b);
        EXPECT_EQ(a, b);
    }
    SeriesWalk damaged(ladder, 3, true);
    std::size_t at = 0;
    EXPECT_THROW(damaged.load(std::string("\x02\x04", 2), at), std::runtime_error);
}

// The events of a day: a double top's signal, its objectives reached, the support line
// crossed by the fall that makes a double bottom.
TEST(SeriesWalk, EventsComeOnTheDayTheyHappen) {
    const Ladder ladder = Ladder::steps(100, 0, 1);
    SeriesWalk walk(ladder, 3, true);
    std::vector<analysis::Event> events;
    // Down to 40, up to 45, down to 41, up past 45 (a double top; objectives 57 and 52),
    // to 60, then down to 30 through the support line from 39 and below 41.
    const std::vector<long long> closes = {50, 45, 40, 45, 41, 44, 46, 60, 30};
    std::vector<std::uint8_t> bits;
    for (std::size_t d = 0; d < closes.size(); ++d)
        bits.push_back(walk.day(static_cast<int>(d), closes[d], &events));
    using Kind = analysis::Event::Kind;
    const int doubleTop = chart::listColumn(chart::Pattern::DoubleTop);
    const int doubleBottom = chart::listColumn(chart::Pattern::DoubleBottom);
    EXPECT_EQ(events,
              (std::vector<analysis::Event>{
                  {6, Kind::signal, doubleTop, 0},
                  {7, Kind::targetReached, 0, 57},
                  {7, Kind::targetReached, 1, 52},
                  {8, Kind::signal, doubleBottom, 0},
                  // The pole of 60 given back at once: the catalogue's high pole.
                  {8, Kind::signal, chart::listColumn(chart::Pattern::HighPole), 0},
                  {8, Kind::lineCrossed, static_cast<int>(chart::LineKind::BullishSupport), 0},
                  // The double bottom's horizontal count: 5 columns under the high of 60.
                  {8, Kind::targetReached, 1, 45},
              }));
    EXPECT_EQ(bits[5], analysis::kHasColumn | analysis::kRising);
    EXPECT_EQ(bits[6],
              analysis::kHasColumn | analysis::kRising | analysis::kBuy | analysis::kAboveSupport);
    EXPECT_EQ(bits[8], analysis::kHasColumn | analysis::kSell);
}

}  // namespace
