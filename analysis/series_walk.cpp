#include "analysis/series_walk.h"

#include <stdexcept>

#include "analysis/bytes.h"
#include "chart/box_scale.h"
#include "chart/decorations.h"

namespace analysis {

namespace {

using chart::Pattern;

chart::LevelColumn levelColumnOf(const std::vector<long long>& levels) {
    // From row 2, as the percentage scale lays its levels, one empty row after them.
    chart::LevelColumn column(levels.size() + 3);
    for (std::size_t i = 0; i < levels.size(); ++i) column[i + 2] = levels[i];
    return column;
}

std::uint32_t bitOf(Pattern pattern) {
    return 1u << (chart::listColumn(pattern) - 1);
}

// Whether the trend line is crossed by the column (a column past the line's box), as the
// lines are found to end.
bool crosses(const chart::TrendLine& line, const chart::Column& column) {
    if (column.empty() || column.col <= line.startCol) return false;
    return line.kind == chart::LineKind::BullishSupport ? column.bottomRow > line.rowAt(column.col)
                                                        : column.topRow < line.rowAt(column.col);
}

}  // namespace

std::uint32_t patternBitsAt(const chart::Chart& chart, int col) {
    std::uint32_t found = 0;
    for (const chart::Completion& completion : chart::patternsAt(chart, col))
        found |= bitOf(completion.pattern);
    return found;
}

std::string patternCaption(int pattern) {
    if (pattern < 1 || pattern > chart::kCatalogueCount) return {};
    return std::string(chart::infoOf(static_cast<Pattern>(pattern)).name);
}

// ---------------------------------------------------------------------------------

Ladder::Ladder(const std::vector<long long>& levels)
    : levels_(levelColumnOf(levels)), rows_(levels_) {}

Ladder Ladder::percentage(long double ratio) {
    return Ladder(chart::fixedPercentageLadder(ratio));
}

Ladder Ladder::cohen() {
    return Ladder(chart::cohenLadder());
}

Ladder Ladder::steps(long long top, long long bottom, long long step) {
    return Ladder(chart::stepLevels(top, bottom, step));
}

// ---------------------------------------------------------------------------------

SeriesWalk::SeriesWalk(const Ladder& ladder, int reversal, bool decorated)
    : ladder_(&ladder), reversal_(reversal), decorated_(decorated) {
    shape_.construction = chart::Construction::Textbook;
    shape_.reversal = reversal;
}

std::uint8_t SeriesWalk::day(int index, std::optional<long long> value,
                             std::vector<Event>* events) {
    if (!value) return bits_;
    const chart::TextbookState before = drawing_;
    chart::drawTextbookDay(ladder_->rows(), reversal_, drawing_, index, *value, *value);
    if (drawing_.started && !(drawing_ == before))
        columnsChanged(index, !before.started || drawing_.lastColumn != before.lastColumn, events);
    if (decorated_) checkTargets(index, *value, events);
    bits_ = composeBits();
    return bits_;
}

void SeriesWalk::columnsChanged(int index, bool newColumn, std::vector<Event>* events) {
    // The shape follows the drawing: the current column is the last one.
    auto& columns = shape_.columns;
    while (static_cast<int>(columns.size()) < drawing_.lastColumn - 1) {
        chart::Column column;
        column.col = static_cast<int>(columns.size()) + 2;
        columns.push_back(std::move(column));
    }
    chart::Column& last = columns.back();
    last.rising = drawing_.rising;
    last.topRow = drawing_.top;
    last.bottomRow = drawing_.bottom;
    if (newColumn) patternsAtLast_ = 0;

    const chart::ChartPatternCells cells(shape_);
    const int col = drawing_.lastColumn;
    const Pattern breakout = drawing_.rising ? Pattern::DoubleTop : Pattern::DoubleBottom;
    const std::uint32_t found = decorated_                             ? patternBitsAt(shape_, col)
                                : chart::matches(breakout, cells, col) ? bitOf(breakout)
                                                                       : 0u;
    const std::uint32_t fresh = found & ~patternsAtLast_;
    patternsAtLast_ |= found;
    if (fresh & bitOf(breakout)) status_ = breakout == Pattern::DoubleTop ? 1 : 2;
    if (!decorated_) return;
    if (events)
        for (int pattern = 1; pattern <= chart::kCatalogueCount; ++pattern)
            if (fresh & (1u << (pattern - 1)))
                events->push_back({index, Event::Kind::signal, pattern, 0});
    if (fresh & bitOf(breakout)) newBreakout(breakout, index, events);
    if (!lines_.empty() && !lines_.back().crossed && crosses(lines_.back(), last))
        recomputeLines(index, events);
}

void SeriesWalk::newBreakout(Pattern breakout, int index, std::vector<Event>* events) {
    const int col = drawing_.lastColumn;
    if (firstBreakoutColumn_ == 0) {
        firstBreakoutColumn_ = col;
        firstBreakout_ = breakout;
        recomputeLines(index, events);
    }
    // The objectives of the newest breakout, priced by the ladder.
    const chart::ChartPatternCells cells(shape_);
    const std::vector<chart::Signal> history{
        {col, breakout, chart::breakoutRow(cells, breakout, col), {}}};
    const auto objectives = chart::priceObjectives(shape_, chart::BoxScale{}, history);
    buyTargets_ = breakout == Pattern::DoubleTop;
    targets_[0] = targets_[1] = Target{};
    if (!objectives) return;
    const int rows[2] = {objectives->verticalRow, objectives->horizontalRow};
    for (int i = 0; i < 2; ++i) {
        if (i == 0 && rows[0] == 0) continue;  // no column rose off the base's low
        if (const auto price = ladder_->level(rows[i])) targets_[i] = {*price, true, false};
    }
}

void SeriesWalk::recomputeLines(int index, std::vector<Event>* events) {
    const std::vector<chart::Signal> first{{firstBreakoutColumn_, firstBreakout_, 0, {}}};
    auto lines = chart::trendLines(shape_, first);
    // The lines before stand as they were; a line crossed by the column being drawn was
    // crossed today.
    if (events)
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const bool before = i < lines_.size() && lines_[i].crossed;
            if (lines[i].crossed && !before && lines[i].endCol == drawing_.lastColumn)
                events->push_back(
                    {index, Event::Kind::lineCrossed, static_cast<int>(lines[i].kind), 0});
        }
    lines_ = std::move(lines);
}

void SeriesWalk::checkTargets(int index, long long value, std::vector<Event>* events) {
    for (int i = 0; i < 2; ++i) {
        Target& target = targets_[i];
        if (!target.set || target.reached) continue;
        if (buyTargets_ ? value < target.price : value > target.price) continue;
        target.reached = true;
        if (events) events->push_back({index, Event::Kind::targetReached, i, target.price});
    }
}

std::uint8_t SeriesWalk::composeBits() const {
    if (!drawing_.started) return 0;
    std::uint8_t bits = kHasColumn;
    if (drawing_.rising) bits |= kRising;
    if (status_ == 1) bits |= kBuy;
    if (status_ == 2) bits |= kSell;
    if (decorated_ && !lines_.empty() && !lines_.back().crossed &&
        lines_.back().kind == chart::LineKind::BullishSupport)
        bits |= kAboveSupport;
    return bits;
}

// ---------------------------------------------------------------------------------

void SeriesWalk::save(std::string& out) const {
    using bytes::putInt;
    putInt(out, drawing_.top);
    putInt(out, drawing_.bottom);
    putInt(out, drawing_.lastColumn);
    putInt(out, (drawing_.rising ? 1 : 0) | (drawing_.placed ? 2 : 0) | (drawing_.started ? 4 : 0));
    putInt(out, bits_);
    putInt(out, patternsAtLast_);
    putInt(out, status_);
    // A walk without decorations reads only the last column and the one two before it.
    const auto& columns = shape_.columns;
    const std::size_t from = decorated_ || columns.size() < 3 ? 0 : columns.size() - 3;
    putInt(out, static_cast<long long>(columns.size()));
    putInt(out, static_cast<long long>(from));
    for (std::size_t i = from; i < columns.size(); ++i) {
        putInt(out, columns[i].empty() ? 0 : columns[i].topRow);
        putInt(out, columns[i].empty() ? 0 : columns[i].bottomRow);
    }
    if (!decorated_) return;
    putInt(out, firstBreakoutColumn_);
    putInt(out, chart::listColumn(firstBreakout_));
    putInt(out, static_cast<long long>(lines_.size()));
    for (const auto& line : lines_) {
        putInt(out, static_cast<int>(line.kind));
        putInt(out, line.startCol);
        putInt(out, line.startRow);
        putInt(out, line.endCol);
        putInt(out, line.crossed ? 1 : 0);
    }
    putInt(out, buyTargets_ ? 1 : 0);
    for (const Target& target : targets_) {
        putInt(out, target.price);
        putInt(out, (target.set ? 1 : 0) | (target.reached ? 2 : 0));
    }
}

void SeriesWalk::load(const std::string& in, std::size_t& at) {
    using bytes::getInt;
    constexpr long long kRows = 1 << 20;
    drawing_.top = static_cast<int>(getInt(in, at, -kRows, kRows));
    drawing_.bottom = static_cast<int>(getInt(in, at, -kRows, kRows));
    drawing_.lastColumn = static_cast<int>(getInt(in, at, 2, kRows));
    const auto flags = getInt(in, at, 0, 7);
    drawing_.rising = flags & 1;
    drawing_.placed = flags & 2;
    drawing_.started = flags & 4;
    bits_ = static_cast<std::uint8_t>(getInt(in, at, 0, 255));
    patternsAtLast_ = static_cast<std::uint32_t>(getInt(in, at, 0, 0xFFFFFFFFLL));
    status_ = static_cast<int>(getInt(in, at, 0, 2));
    const auto count = static_cast<std::size_t>(getInt(in, at, 0, kRows));
    const auto from = static_cast<std::size_t>(getInt(in, at, 0, static_cast<long long>(count)));
    shape_.columns.assign(count, chart::Column{});
    for (std::size_t i = 0; i < count; ++i) {
        chart::Column& column = shape_.columns[i];
        column.col = static_cast<int>(i) + 2;
        // Rising columns take the odd grid columns.
        column.rising = column.col % 2 == 1;
        if (i < from) continue;
        column.topRow = static_cast<int>(getInt(in, at, -kRows, kRows));
        column.bottomRow = static_cast<int>(getInt(in, at, -kRows, kRows));
    }
    if (!decorated_) return;
    firstBreakoutColumn_ = static_cast<int>(getInt(in, at, 0, kRows));
    firstBreakout_ = static_cast<Pattern>(getInt(in, at, 1, 2));
    const auto lines = static_cast<std::size_t>(getInt(in, at, 0, kRows));
    lines_.assign(lines, chart::TrendLine{});
    for (auto& line : lines_) {
        line.kind = static_cast<chart::LineKind>(getInt(in, at, 0, 1));
        line.startCol = static_cast<int>(getInt(in, at, 0, kRows));
        line.startRow = static_cast<int>(getInt(in, at, -kRows, kRows));
        line.endCol = static_cast<int>(getInt(in, at, 0, kRows));
        line.crossed = getInt(in, at, 0, 1) != 0;
    }
    buyTargets_ = getInt(in, at, 0, 1) != 0;
    for (Target& target : targets_) {
        target.price = getInt(in, at);
        const auto state = getInt(in, at, 0, 3);
        target.set = state & 1;
        target.reached = state & 2;
    }
}

}  // namespace analysis
