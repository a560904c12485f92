#pragma once
// One series' Point-and-Figure chart carried on a day at a time (the engine's textbook
// drawing, one day each), with what each day shows: the column the newest box stands in,
// the newest double top (buy) or double bottom (sell) so far, and, for a stock's price,
// the trend line in force, and the pattern signals, line crossings and price objectives
// reached on the day. Walking a whole history gives every day's state from one drawing;
// the state after the last day carries the walk on when a day is added.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "chart/chart.h"
#include "chart/decorations.h"
#include "chart/pattern_catalogue.h"
#include "chart/patterns.h"
#include "chart/textbook.h"

namespace analysis {

// The levels a kind of series is drawn on: a whole fixed ladder, so a row means the same
// level on every day of every series of the kind (a new high never moves the rows).
class Ladder {
  public:
    // The fixed percentage ladder of the ratio (from 100,000,000 down).
    static Ladder percentage(long double ratio);
    // The Cohen ladder.
    static Ladder cohen();
    // Levels `step` apart from `top` down to `bottom` (a bullish percent's 2-point boxes).
    static Ladder steps(long long top, long long bottom, long long step);

    const chart::LevelRows& rows() const { return rows_; }
    const chart::LevelColumn& levels() const { return levels_; }
    std::optional<long long> level(int row) const { return rows_.at(row); }

  private:
    explicit Ladder(const std::vector<long long>& levels);
    chart::LevelColumn levels_;
    chart::LevelRows rows_;
};

// What a day of a series shows, as bits.
enum DayBits : std::uint8_t {
    kHasColumn = 1,     // the chart has a column (its first move is made)
    kRising = 2,        // the newest box stands in an X column
    kBuy = 4,           // the newest breakout so far is a double top
    kSell = 8,          // ... a double bottom
    kAboveSupport = 16  // the trend line in force is the bullish support line
};

// Something a stock's chart did on a day.
struct Event {
    enum class Kind : std::uint8_t {
        signal,         // a pattern completed: `detail` is its number (chart::Pattern)
        lineCrossed,    // the line in force was crossed: `detail` is its chart::LineKind
        targetReached,  // a price objective was reached: `detail` 0 vertical, 1 horizontal
    };
    int day = 0;  // the index of the day
    Kind kind = Kind::signal;
    int detail = 0;
    long long value = 0;  // a target's price
    bool operator==(const Event&) const = default;
};

// A series walked day by day. `decorated` walks keep trend lines, pattern signals and
// objectives (a stock's price); the others only the columns and breakouts (relative
// strength, a bullish percent).
class SeriesWalk {
  public:
    SeriesWalk(const Ladder& ladder, int reversal, bool decorated);

    // Carries the chart on by one day: its value, or nothing for a day without one (the
    // chart stays as it stood). Events of the day go to `events` when given. Returns the
    // day's bits.
    std::uint8_t day(int index, std::optional<long long> value, std::vector<Event>* events);

    std::uint8_t bits() const { return bits_; }
    const chart::TextbookState& drawing() const { return drawing_; }
    // The columns drawn so far: each column's rows and direction (no levels, no days).
    const chart::Chart& shape() const { return shape_; }
    // The trend lines as they stand (decorated walks).
    const std::vector<chart::TrendLine>& lines() const { return lines_; }

    // The state as bytes, and back (the ladder and the settings are the caller's).
    void save(std::string& out) const;
    // Throws std::runtime_error for bytes it cannot read.
    void load(const std::string& in, std::size_t& at);

  private:
    void columnsChanged(int index, bool newColumn, std::vector<Event>* events);
    void newBreakout(chart::Pattern breakout, int index, std::vector<Event>* events);
    void recomputeLines(int index, std::vector<Event>* events);
    void checkTargets(int index, long long value, std::vector<Event>* events);
    std::uint8_t composeBits() const;

    const Ladder* ladder_;
    int reversal_;
    bool decorated_;
    chart::TextbookState drawing_;
    chart::Chart shape_;
    std::uint8_t bits_ = 0;
    std::uint32_t patternsAtLast_ = 0;  // patterns already found at the last column
    int status_ = 0;                    // 0 none, 1 buy, 2 sell
    // The first breakout, where the trend lines start.
    int firstBreakoutColumn_ = 0;
    chart::Pattern firstBreakout_ = chart::Pattern::DoubleTop;
    std::vector<chart::TrendLine> lines_;
    // The objectives of the newest breakout: price, reached.
    struct Target {
        long long price = 0;
        bool set = false;
        bool reached = false;
    };
    bool buyTargets_ = true;
    Target targets_[2];
};

// The patterns the analyses look for (every pattern the screening knows), at the chart's
// column `col` as the column stands: bit (pattern number - 1) for each.
std::uint32_t patternBitsAt(const chart::Chart& chart, int col);
// The caption of a pattern number ("ダブルトップ").
std::string patternCaption(int pattern);

}  // namespace analysis
