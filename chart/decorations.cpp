#include "chart/decorations.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>

#include "chart/box_scale.h"
#include "chart/pattern_catalogue.h"
#include "tables/convert.h"

namespace chart {

namespace {

std::optional<int> yearMonth(const std::string& date) {
    const auto day = parseDate(date);
    if (!day) return std::nullopt;
    const std::chrono::year_month_day ymd{*day};
    return static_cast<int>(ymd.year()) * 12 + static_cast<int>(unsigned(ymd.month())) - 1;
}

// The column of [from, to) with the lowest 〇 (for a support line) or the highest ×
// (for a resistance line); the later one of equals.
const Column* extremeColumn(const Chart& chart, bool lowestFalling, int from, int to) {
    const Column* found = nullptr;
    for (int col = from; col < to; ++col) {
        const Column* column = chart.column(col);
        if (!column || column->empty() || column->rising == lowestFalling) continue;
        if (!found || (lowestFalling ? column->bottomRow >= found->bottomRow
                                     : column->topRow <= found->topRow))
            found = column;
    }
    return found;
}

std::optional<TrendLine> lineFrom(const Chart& chart, LineKind kind, int from, int to) {
    const bool support = kind == LineKind::BullishSupport;
    const Column* anchor = extremeColumn(chart, support, from, to);
    if (!anchor) return std::nullopt;
    TrendLine line{kind, anchor->col, support ? anchor->bottomRow + 1 : anchor->topRow - 1,
                   chart.lastColumn(), false};
    // The price crosses the line when a column reaches past the line's box.
    for (int col = anchor->col + 1; col <= chart.lastColumn(); ++col) {
        const Column* column = chart.column(col);
        if (column->empty()) continue;
        if (support ? column->bottomRow > line.rowAt(col) : column->topRow < line.rowAt(col)) {
            line.endCol = col;
            line.crossed = true;
            break;
        }
    }
    return line;
}

// The smallest level whose next level down, by the ratio, is the given one.
std::optional<long long> levelAbove(long long level, long double factor) {
    constexpr long long kLargest = 1'000'000'000'000'000LL;
    if (level >= kLargest) return std::nullopt;
    // Casts truncate toward zero like the scale's own steps; the values are positive.
    const auto below = [factor](long long m) {
        return static_cast<long long>(static_cast<long double>(m) * factor);
    };
    const long double quotient = static_cast<long double>(level) / factor;
    long long m = static_cast<long long>(quotient);
    if (static_cast<long double>(m) < quotient) ++m;
    m = std::max(level + 1, m);
    while (m - 1 > level && below(m - 1) >= level) --m;
    while (below(m) < level) ++m;
    return m;
}

}  // namespace

// ---------------------------------------------------------------------------
// Month markers

char monthLetter(int month) {
    return month <= 9 ? static_cast<char>('0' + month) : static_cast<char>('A' + month - 10);
}

std::vector<MonthMarker> monthMarkers(const Chart& chart) {
    std::vector<MonthMarker> markers;
    std::optional<int> current;
    std::string_view currentText;  // the date that gave the current month
    for (const Column& column : chart.columns) {
        if (column.empty()) continue;
        const int step = column.rising ? -1 : 1;
        const int first = column.rising ? column.bottomRow : column.topRow;
        for (int row = first; column.holds(row); row += step) {
            const std::string& date = chart.dateAt(column.col, row);
            // Most boxes share their year and month ("yyyy/mm/") with the box before.
            if (current && date.size() == 10 && currentText.size() == 10 &&
                date.compare(0, 8, currentText.substr(0, 8)) == 0)
                continue;
            const auto month = yearMonth(date);
            if (!month) continue;
            if (current && *month / 12 != *current / 12)
                markers.push_back(
                    {column.col, row, static_cast<char>('0' + *month / 12 % 10), true});
            else if (month != current)
                markers.push_back({column.col, row, monthLetter(*month % 12 + 1)});
            current = month;
            currentText = date;
        }
    }
    return markers;
}

// ---------------------------------------------------------------------------
// Signals

namespace {

// The catalogue's patterns at every column, signals and warnings apart.
void patternHistory(const Chart& chart, std::vector<Signal>* signals,
                    std::vector<Signal>* warnings) {
    const PatternReader reader(chart);
    const auto add = [&](int col, Pattern pattern, int row, const std::string& date) {
        std::vector<Signal>* into = infoOf(pattern).warning ? warnings : signals;
        if (into) into->push_back({col, pattern, row, date});
    };
    const int last = chart.lastColumn();
    for (int col = 2; col <= last; ++col) {
        // The newest column's patterns are those the screening's own build lists, where
        // that build starts on another day than the drawing.
        if (col == last && chart.screened) {
            for (const auto& found : chart.screened->found)
                add(col, found.pattern, found.row, chart.dateOfDay(found.day));
            continue;
        }
        for (const Completion& found : reader.at(col))
            add(col, found.pattern, found.row, chart.dateAt(col, found.row));
    }
}

}  // namespace

std::vector<Signal> signalHistory(const Chart& chart) {
    std::vector<Signal> history;
    patternHistory(chart, &history, nullptr);
    return history;
}

std::vector<Signal> warningHistory(const Chart& chart) {
    std::vector<Signal> warnings;
    patternHistory(chart, nullptr, &warnings);
    return warnings;
}

// ---------------------------------------------------------------------------
// Trend lines

std::vector<TrendLine> trendLines(const Chart& chart, const std::vector<Signal>& history) {
    std::vector<TrendLine> lines;
    const auto first = std::find_if(history.begin(), history.end(),
                                    [](const Signal& s) { return isBreakout(s.pattern); });
    if (first == history.end()) return lines;
    LineKind kind = first->pattern == Pattern::DoubleTop ? LineKind::BullishSupport
                                                         : LineKind::BearishResistance;
    auto line = lineFrom(chart, kind, 2, first->col);
    while (line) {
        lines.push_back(*line);
        if (!line->crossed) break;
        kind = kind == LineKind::BullishSupport ? LineKind::BearishResistance
                                                : LineKind::BullishSupport;
        // Each new line starts right of the one before, so the chain ends.
        line = lineFrom(chart, kind, line->startCol, line->endCol);
    }
    return lines;
}

std::optional<LineKind> lineInForce(const std::vector<TrendLine>& lines) {
    if (lines.empty() || lines.back().crossed) return std::nullopt;
    return lines.back().kind;
}

// ---------------------------------------------------------------------------
// Price objectives

std::optional<long long> priceAtRow(const Chart& chart, const BoxScale& scale, int row) {
    const int first = chart.firstLevelRow();
    const int last = chart.lastLevelRow();
    if (first == 0) return std::nullopt;
    if (row >= first && row <= last) return chart.level(row);
    const long long top = *chart.level(first);
    // Along a ladder: the chart's first level's place on it, then row by row.
    const auto alongLadder = [&](const std::vector<long long>& ladder) -> std::optional<long long> {
        const auto at = std::lower_bound(ladder.begin(), ladder.end(), top, std::greater<>());
        if (at == ladder.end() || *at != top) return std::nullopt;
        const long long index = (at - ladder.begin()) + (row - first);
        if (index < 0 || index >= static_cast<long long>(ladder.size())) return std::nullopt;
        return ladder[static_cast<std::size_t>(index)];
    };
    std::optional<long long> price;
    if (scale.cohen) {
        price = alongLadder(cohenLadder());
    } else if (const auto& ladder = fixedPercentageLadder(scale.ratio);
               scale.fixed && !ladder.empty() && top <= ladder.front()) {
        price = alongLadder(ladder);
    } else {
        const long double factor = 1.0L - scale.ratio;
        if (!(factor > 0.0L && factor < 1.0L)) return std::nullopt;
        long long level = *chart.level(row < first ? first : last);
        if (row < first) {
            for (int r = first; r > row; --r) {
                const auto above = levelAbove(level, factor);
                if (!above) return std::nullopt;
                level = *above;
            }
        } else {
            for (int r = last; r < row && level > 0; ++r)
                level = static_cast<long long>(static_cast<long double>(level) * factor);
        }
        price = level;
    }
    if (!price || *price <= 0) return std::nullopt;
    return price;
}

TriggerPrices triggerPrices(const Chart& chart, const BoxScale& scale) {
    TriggerPrices triggers;
    for (auto column = chart.columns.rbegin(); column != chart.columns.rend(); ++column) {
        if (column->empty()) continue;
        if (column->rising && triggers.buyRow == 0) {
            triggers.buyRow = column->topRow - 1;
            triggers.buy = priceAtRow(chart, scale, triggers.buyRow);
        }
        if (!column->rising && triggers.sellRow == 0) {
            triggers.sellRow = column->bottomRow + 1;
            triggers.sell = priceAtRow(chart, scale, triggers.sellRow);
        }
        if (triggers.buyRow != 0 && triggers.sellRow != 0) break;
    }
    return triggers;
}

std::optional<PriceObjectives> priceObjectives(const Chart& chart, const BoxScale& scale,
                                               const std::vector<Signal>& history) {
    const auto newest = std::find_if(history.rbegin(), history.rend(),
                                     [](const Signal& s) { return isBreakout(s.pattern); });
    if (newest == history.rend()) return std::nullopt;
    PriceObjectives objectives;
    const bool buy = objectives.buy = newest->pattern == Pattern::DoubleTop;
    const int k = objectives.signalCol = newest->col;
    objectives.signalRow = newest->row;
    const int reversal = std::max(chart.reversal, 1);
    // A count is an objective only beyond the signal's box, on the signal's side.
    const auto objective = [&](int row) -> std::optional<long long> {
        if (buy ? row >= newest->row : row <= newest->row) return std::nullopt;
        return priceAtRow(chart, scale, row);
    };

    // Vertical: the signal's column, complete once the next column has begun.
    const Column* count = chart.column(k);
    if (count && !count->empty()) {
        objectives.provisional = k == chart.lastColumn();
        const int boxes = count->boxes();
        objectives.verticalRow = buy ? count->bottomRow - boxes * reversal
                                     : count->topRow + boxes * std::max(reversal - 1, 1);
        objectives.vertical = objective(objectives.verticalRow);
    }

    // Horizontal: back from the signal's column to the wall, the nearest column that
    // reached past the broken top (bottom).
    const int broken = buy ? newest->row + 1 : newest->row - 1;
    for (int col = k - 1; col >= 2; --col) {
        const Column* column = chart.column(col);
        if (!column || column->empty()) break;
        if (buy ? column->topRow < broken : column->bottomRow > broken) {
            objectives.wallCol = col;
            break;
        }
    }
    if (objectives.wallCol == 0) return objectives;
    const int width = k - objectives.wallCol + 1;
    // The base's low is made by its 〇 columns (its high by its × columns).
    const Column* extreme = nullptr;
    for (int col = objectives.wallCol; col < k; ++col) {
        const Column* column = chart.column(col);
        if (column->empty() || column->rising == buy) continue;
        if (!extreme ||
            (buy ? column->bottomRow >= extreme->bottomRow : column->topRow <= extreme->topRow))
            extreme = column;
    }
    if (!extreme) return objectives;
    const int baseRow = buy ? extreme->bottomRow : extreme->topRow;
    objectives.horizontalRow = buy ? baseRow - width * reversal : baseRow + width * reversal;
    objectives.horizontal = objective(objectives.horizontalRow);
    return objectives;
}

// ---------------------------------------------------------------------------
// All of it

Decorations decorate(const Chart& chart, const BoxScale& scale) {
    Decorations decorations;
    decorations.months = monthMarkers(chart);
    patternHistory(chart, &decorations.history, &decorations.warnings);
    decorations.lines = trendLines(chart, decorations.history);
    decorations.objectives = priceObjectives(chart, scale, decorations.history);
    if (const Column* last = chart.column(chart.lastColumn()); last && !last->empty())
        decorations.newestBox = std::pair{last->col, last->newestRow()};
    decorations.triggers = triggerPrices(chart, scale);
    if (chart.newestClose) decorations.currentRow = chart.rowHolding(*chart.newestClose);
    if (decorations.currentRow == 0 && decorations.newestBox)
        decorations.currentRow = decorations.newestBox->second;
    return decorations;
}

std::string groupedNumber(long long value) {
    const std::string digits = intToStr(value < 0 ? -value : value);
    std::string text = value < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

std::optional<std::string> newestSignalText(const Decorations& decorations) {
    if (decorations.history.empty()) return std::nullopt;
    const int col = decorations.history.back().col;
    std::string captions;
    std::string date;
    for (const Signal& signal : decorations.history) {
        if (signal.col != col) continue;
        if (!captions.empty()) captions += "・";
        captions += caption(signal.pattern);
        date = signal.date;
    }
    std::string text = "最新シグナル " + captions;
    if (hasValue(date)) text += " " + date;
    return text;
}

std::optional<std::string> lineInForceText(const Decorations& decorations) {
    const auto kind = lineInForce(decorations.lines);
    if (!kind) return std::nullopt;
    return std::string(kind == LineKind::BullishSupport ? "強気支持線" : "弱気抵抗線");
}

std::optional<std::string> objectivesText(const Decorations& decorations) {
    if (!decorations.objectives) return std::nullopt;
    const auto price = [](const std::optional<long long>& value) {
        return value ? groupedNumber(*value) : std::string("−");
    };
    const PriceObjectives& objectives = *decorations.objectives;
    std::string vertical = price(objectives.vertical);
    if (objectives.vertical && objectives.provisional) vertical += "（暫定）";
    return "目標値 垂直 " + vertical + " / 水平 " + price(objectives.horizontal);
}

std::optional<std::string> triggerText(const Decorations& decorations) {
    const TriggerPrices& triggers = decorations.triggers;
    if (triggers.buyRow == 0 && triggers.sellRow == 0) return std::nullopt;
    const auto price = [](const std::optional<long long>& value) {
        return value ? groupedNumber(*value) : std::string("-");
    };
    return "買い点 " + price(triggers.buy) + " / 売り点 " + price(triggers.sell);
}

std::optional<std::string> warningText(const Decorations& decorations) {
    if (!decorations.newestBox) return std::nullopt;
    std::string names;
    for (const Signal& warning : decorations.warnings) {
        if (warning.col != decorations.newestBox->first) continue;
        if (!names.empty()) names += "・";
        names += caption(warning.pattern);
    }
    if (names.empty()) return std::nullopt;
    return "警告 " + names;
}

}  // namespace chart
