#include "chart/pattern_catalogue.h"

#include <algorithm>
#include <limits>

#include "chart/decorations.h"

namespace chart {

namespace {

constexpr Side kBuy = Side::Buy;
constexpr Side kSell = Side::Sell;

constexpr std::array<PatternInfo, kCatalogueCount> kCatalogue = {{
    {Pattern::DoubleTop, kPatternCaptions[0], "買", kBuy, false},
    {Pattern::DoubleBottom, kPatternCaptions[1], "売", kSell, false},
    {Pattern::BullishSignal, kPatternCaptions[2], "強", kBuy, false},
    {Pattern::BearishSignal, kPatternCaptions[3], "弱", kSell, false},
    {Pattern::TripleTop, kPatternCaptions[4], "三", kBuy, false},
    {Pattern::TripleBottom, kPatternCaptions[5], "三", kSell, false},
    {Pattern::ReversalUp, kPatternCaptions[6], "逆", kBuy, false},
    {Pattern::ReversalDown, kPatternCaptions[7], "逆", kSell, false},
    {Pattern::BullishTriangle, kPatternCaptions[8], "△", kBuy, false},
    {Pattern::BearishTriangle, kPatternCaptions[9], "▽", kSell, false},
    {Pattern::QuadrupleTop, kFormationCaptions[0], "四", kBuy, false},
    {Pattern::QuadrupleBottom, kFormationCaptions[1], "四", kSell, false},
    {Pattern::AscendingTripleTop, kFormationCaptions[2], "昇", kBuy, false},
    {Pattern::DescendingTripleBottom, kFormationCaptions[3], "降", kSell, false},
    {Pattern::SpreadTripleTop, kFormationCaptions[4], "散", kBuy, false},
    {Pattern::SpreadTripleBottom, kFormationCaptions[5], "散", kSell, false},
    {Pattern::BullishCatapult, kFormationCaptions[6], "カ", kBuy, false},
    {Pattern::BearishCatapult, kFormationCaptions[7], "カ", kSell, false},
    // A bull trap warns that the buy was false: it points down.
    {Pattern::BullTrap, kFormationCaptions[8], "罠", kSell, true},
    {Pattern::BearTrap, kFormationCaptions[9], "罠", kBuy, true},
    // Named by the formation reversed: the bearish signal reversed is a buy.
    {Pattern::BearishSignalReversed, kFormationCaptions[10], "反", kBuy, false},
    {Pattern::BullishSignalReversed, kFormationCaptions[11], "反", kSell, false},
    {Pattern::HighPole, kFormationCaptions[12], "柱", kSell, true},
    {Pattern::LowPole, kFormationCaptions[13], "柱", kBuy, true},
    {Pattern::LongTail, kFormationCaptions[14], "尾", kBuy, false},
    {Pattern::Shakeout, kFormationCaptions[15], "振", kBuy, false},
}};

// The long tail: a falling column of at least this many boxes.
constexpr int kLongTailBoxes = 20;
// The pole: a column at least this many boxes past the previous top (bottom) of its kind.
constexpr int kPoleBoxes = 3;

}  // namespace

const std::array<PatternInfo, kCatalogueCount>& catalogue() {
    return kCatalogue;
}

const PatternInfo& infoOf(Pattern pattern) {
    return kCatalogue[static_cast<std::size_t>(listColumn(pattern) - 1)];
}

std::array<Pattern, kCatalogueCount - kPatternCount> formations() {
    std::array<Pattern, kCatalogueCount - kPatternCount> all{};
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<Pattern>(kPatternCount + 1 + static_cast<int>(i));
    return all;
}

// ---------------------------------------------------------------------------
// PatternReader

PatternReader::PatternReader(const Chart& chart) : chart_(chart) {}

int PatternReader::reversalRow(int col) const {
    const Span column = span(col);
    const Span before = span(col - 1);
    const int reversal = std::max(chart_.reversal, 1);
    if (!before.drawn) return column.rising ? column.bottom : column.top;
    const int row = column.rising ? before.bottom - reversal : before.top + reversal;
    return std::clamp(row, column.top, column.bottom);
}

// Two earlier columns of the kind at one level with a column of the kind short of it
// between them, none past it between them or since: the row one box past that level when
// column k goes past it.
std::optional<int> PatternReader::spreadTriple(int k, bool top) const {
    const auto same = [&](int col) { return top ? x(col) : o(col); };
    // A level as the rows count it from column k's side: smaller is further out.
    const auto reach = [&](int col) { return top ? span(col).top : -span(col).bottom; };
    if (!same(k)) return std::nullopt;
    int level = std::numeric_limits<int>::max();
    bool shortSince = false;  // a column short of the level since the last one at it
    for (int col = k - 2; col >= 2 && same(col); col -= 2) {
        const int r = reach(col);
        if (r <= reach(k)) break;  // column k does not go past this one
        if (r < level) {
            level = r;
            shortSince = false;
        } else if (r > level) {
            shortSince = true;
        } else if (shortSince) {
            return top ? level - 1 : -level + 1;
        }
    }
    return std::nullopt;
}

bool PatternReader::aboveSupportLine(int col) const {
    if (!supportInForce_) {
        supportInForce_.emplace();
        // The lines start at the chart's first breakout, as the decorations draw them.
        const ChartPatternCells cells(chart_);
        std::vector<Signal> first;
        for (int c = 4; c <= chart_.lastColumn() && first.empty(); ++c)
            for (const Pattern breakout : {Pattern::DoubleTop, Pattern::DoubleBottom})
                if (matches(breakout, cells, c)) first.push_back({c, breakout, 0, {}});
        const auto lines = trendLines(chart_, first);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].kind != LineKind::BullishSupport) continue;
            // A line is in force from the breakout that draws it (or from the crossing of
            // the line before) up to the column before the one that crosses it.
            const int from =
                i == 0 ? std::max(lines[i].startCol + 1, first.front().col) : lines[i - 1].endCol;
            const int to = lines[i].crossed ? lines[i].endCol - 1 : chart_.lastColumn();
            supportInForce_->push_back({from, to});
        }
    }
    return std::any_of(supportInForce_->begin(), supportInForce_->end(), [col](const auto& range) {
        return col >= range.first && col <= range.second;
    });
}

std::optional<int> PatternReader::test(Pattern pattern, int k) const {
    const auto top = [&](int col) { return span(col).top; };
    const auto bottom = [&](int col) { return span(col).bottom; };
    switch (pattern) {
        case Pattern::QuadrupleTop:
            if (x(k) && x(k - 2) && x(k - 4) && x(k - 6) && top(k - 2) == top(k - 4) &&
                top(k - 4) == top(k - 6) && top(k) < top(k - 2))
                return top(k - 2) - 1;
            break;
        case Pattern::QuadrupleBottom:
            if (o(k) && o(k - 2) && o(k - 4) && o(k - 6) && bottom(k - 2) == bottom(k - 4) &&
                bottom(k - 4) == bottom(k - 6) && bottom(k) > bottom(k - 2))
                return bottom(k - 2) + 1;
            break;
        case Pattern::AscendingTripleTop:
            if (x(k) && x(k - 2) && x(k - 4) && top(k - 2) < top(k - 4) && top(k) < top(k - 2))
                return top(k - 2) - 1;
            break;
        case Pattern::DescendingTripleBottom:
            if (o(k) && o(k - 2) && o(k - 4) && bottom(k - 2) > bottom(k - 4) &&
                bottom(k) > bottom(k - 2))
                return bottom(k - 2) + 1;
            break;
        case Pattern::SpreadTripleTop:
            return spreadTriple(k, true);
        case Pattern::SpreadTripleBottom:
            return spreadTriple(k, false);
        case Pattern::BullishCatapult:
            // A triple-top breakout, an O column that stops short of a double bottom, and a
            // double-top breakout.
            if (x(k) && o(k - 1) && x(k - 2) && o(k - 3) && x(k - 4) && x(k - 6) &&
                top(k - 4) == top(k - 6) && top(k - 2) < top(k - 4) &&
                bottom(k - 1) <= bottom(k - 3) && top(k) < top(k - 2))
                return top(k - 2) - 1;
            break;
        case Pattern::BearishCatapult:
            if (o(k) && x(k - 1) && o(k - 2) && x(k - 3) && o(k - 4) && o(k - 6) &&
                bottom(k - 4) == bottom(k - 6) && bottom(k - 2) > bottom(k - 4) &&
                top(k - 1) >= top(k - 3) && bottom(k) > bottom(k - 2))
                return bottom(k - 2) + 1;
            break;
        case Pattern::BullTrap:
            // A triple-top (or wider) breakout by exactly one box, then at once an O column.
            if (o(k) && x(k - 1) && x(k - 3) && x(k - 5) && top(k - 3) == top(k - 5) &&
                top(k - 1) == top(k - 3) - 1)
                return reversalRow(k);
            break;
        case Pattern::BearTrap:
            if (x(k) && o(k - 1) && o(k - 3) && o(k - 5) && bottom(k - 3) == bottom(k - 5) &&
                bottom(k - 1) == bottom(k - 3) + 1)
                return reversalRow(k);
            break;
        case Pattern::BearishSignalReversed:
            // Seven columns of falling tops and falling bottoms, then a double-top breakout.
            if (x(k) && x(k - 2) && x(k - 4) && x(k - 6) && o(k - 1) && o(k - 3) && o(k - 5) &&
                o(k - 7) && top(k - 6) < top(k - 4) && top(k - 4) < top(k - 2) &&
                bottom(k - 7) < bottom(k - 5) && bottom(k - 5) < bottom(k - 3) &&
                bottom(k - 3) < bottom(k - 1) && top(k) < top(k - 2))
                return top(k - 2) - 1;
            break;
        case Pattern::BullishSignalReversed:
            if (o(k) && o(k - 2) && o(k - 4) && o(k - 6) && x(k - 1) && x(k - 3) && x(k - 5) &&
                x(k - 7) && bottom(k - 6) > bottom(k - 4) && bottom(k - 4) > bottom(k - 2) &&
                top(k - 7) > top(k - 5) && top(k - 5) > top(k - 3) && top(k - 3) > top(k - 1) &&
                bottom(k) > bottom(k - 2))
                return bottom(k - 2) + 1;
            break;
        case Pattern::HighPole:
            // The pole: at least three boxes above the previous X column's top; the O
            // column after it gives back more than half of its boxes.
            if (o(k) && x(k - 1) && x(k - 3) && top(k - 1) <= top(k - 3) - kPoleBoxes) {
                const int half = boxes(k - 1) / 2 + 1;  // boxes given back past half
                if (bottom(k) - top(k - 1) >= half) return top(k - 1) + half;
            }
            break;
        case Pattern::LowPole:
            if (x(k) && o(k - 1) && o(k - 3) && bottom(k - 1) >= bottom(k - 3) + kPoleBoxes) {
                const int half = boxes(k - 1) / 2 + 1;
                if (bottom(k - 1) - top(k) >= half) return bottom(k - 1) - half;
            }
            break;
        case Pattern::LongTail:
            if (x(k) && o(k - 1) && boxes(k - 1) >= kLongTailBoxes) return reversalRow(k);
            break;
        case Pattern::Shakeout:
            // Two X columns at one top, an O column through the O column between them (a
            // double-bottom sell) that stays above the bullish support line, then an X column.
            if (x(k) && o(k - 1) && x(k - 2) && o(k - 3) && x(k - 4) && top(k - 2) == top(k - 4) &&
                bottom(k - 1) > bottom(k - 3) && aboveSupportLine(k - 1))
                return reversalRow(k);
            break;
        default:
            break;
    }
    return std::nullopt;
}

std::vector<Completion> PatternReader::formationsAt(int col) const {
    std::vector<Completion> found;
    const Span column = span(col);
    if (!column.drawn) return found;
    // Every formation completes in a column of its side: the buys in an X column, the
    // sells in an O column.
    const Side side = column.rising ? Side::Buy : Side::Sell;
    for (const Pattern pattern : formations())
        if (infoOf(pattern).side == side)
            if (const auto row = test(pattern, col)) found.push_back({pattern, *row});
    return found;
}

std::vector<Completion> PatternReader::at(int col) const {
    std::vector<Completion> found;
    const ChartPatternCells cells(chart_);
    const auto classic = detectPatterns(cells, col);
    if (!classic.empty()) {
        // The ten complete with their breakout.
        const int row = breakoutRow(cells, classic.front(), col);
        for (const Pattern pattern : classic) found.push_back({pattern, row});
    }
    for (const Completion& formation : formationsAt(col)) found.push_back(formation);
    return found;
}

std::vector<Completion> patternsAt(const Chart& chart, int col) {
    return PatternReader(chart).at(col);
}

std::vector<Completion> cataloguePatternsOf(const Chart& chart) {
    return patternsAt(chart, chart.lastColumn());
}

}  // namespace chart
