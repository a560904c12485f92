#include "chart/chart.h"

#include <algorithm>

#include "chart/box_scale.h"
#include "chart/pattern_catalogue.h"
#include "chart/patterns.h"
#include "chart/textbook.h"

namespace chart {

namespace {

const std::string kNoDate;

struct Range {
    long long high = 0, low = 0;
    int highDay = 0, lowDay = 0;
};

// The highest and lowest price of days 1 to `days`: each day is compared only when the
// next more recent day also has a price. Starts from day 1, or day 2 when day 1 has none.
std::optional<Range> priceRangeOf(std::span<const Close> closes, int days) {
    const auto at = [&](int day) -> const Close& {
        static const Close none;
        return day >= 1 && static_cast<std::size_t>(day) <= closes.size()
                   ? closes[static_cast<std::size_t>(day) - 1]
                   : none;
    };
    const int first = at(1).priced() ? 1 : 2;
    if (!at(first).priced()) return std::nullopt;
    Range range{at(first).price, at(first).price, first, first};
    const int last = std::min(days, static_cast<int>(closes.size()));
    for (int a = 1; a < last; ++a) {
        if (!at(a).priced() || !at(a + 1).priced()) continue;
        const long long price = at(a + 1).price;
        if (price > range.high) {
            range.high = price;
            range.highDay = a + 1;
        }
        if (price < range.low) {
            range.low = price;
            range.lowDay = a + 1;
        }
    }
    return range;
}

// The textbook construction's range: every priced day's high (or close) and low (or close).
std::optional<Range> fullRangeOf(const ChartRequest& request, int days) {
    std::optional<Range> range;
    const bool highLow = byHighLow(request);
    for (int day = 1; day <= days; ++day) {
        const Close& close = request.closes[static_cast<std::size_t>(day) - 1];
        if (!close.priced()) continue;
        long long high = close.price, low = close.price;
        if (highLow) {
            if (static_cast<std::size_t>(day) <= request.highs.size()) {
                const Close& h = request.highs[static_cast<std::size_t>(day) - 1];
                if (h.priced()) high = std::max(high, h.price);
            }
            if (static_cast<std::size_t>(day) <= request.lows.size()) {
                const Close& l = request.lows[static_cast<std::size_t>(day) - 1];
                if (l.priced()) low = std::min(low, l.price);
            }
        }
        if (!range) range = Range{high, low, day, day};
        if (high > range->high) {
            range->high = high;
            range->highDay = day;
        }
        if (low < range->low) {
            range->low = low;
            range->lowDay = day;
        }
    }
    return range;
}

// The levels into the chart's rows: from row 2 for the percentage scale, from row 1 for
// the Cohen scale (row 1 a box without a level when the high lies above the ladder).
void layLevels(Chart& chart, const Range& range, const Scale& scale, Construction construction) {
    int firstRow = 2;
    std::vector<long long> levels;
    if (scale.cohen) {
        levels = cohenLevels(range.high, range.low);
        chart.openTop = cohenLadderRow(range.high) == 0;
        firstRow = chart.openTop ? 2 : 1;
        // The textbook construction also needs the ladder's level at or below the low.
        if (construction == Construction::Textbook && !levels.empty()) {
            const auto& ladder = cohenLadder();
            const auto at = std::find(ladder.begin(), ladder.end(), levels.back());
            if (at != ladder.end() && at + 1 != ladder.end()) levels.push_back(*(at + 1));
        }
    } else if (scale.fixed) {
        levels = fixedPercentageLevels(range.high, range.low, scale.ratio);
    } else {
        levels = percentageLevels(range.high, range.low, scale.ratio);
    }
    chart.levels.assign(static_cast<std::size_t>(firstRow) + levels.size() + 1, std::nullopt);
    for (std::size_t i = 0; i < levels.size(); ++i)
        chart.levels[static_cast<std::size_t>(firstRow) + i] = levels[i];
}

// The box index of each priced day, oldest first; a price in no box keeps the index of
// the day before (0 before any).
void indexBoxes(Chart& chart, std::span<const Close> closes, int days) {
    const BoxFinder boxes(chart.levels, chart.openTop);
    chart.boxIndexByDay.assign(static_cast<std::size_t>(days) + 1, std::nullopt);
    int index = 0;
    for (int day = days; day >= 1; --day) {
        const Close& close = closes[static_cast<std::size_t>(day) - 1];
        if (!close.priced()) continue;
        index = boxes.boxIndexOf(close.price).value_or(index);
        chart.boxIndexByDay[static_cast<std::size_t>(day)] = index;
    }
}

void collectColumns(Chart& chart, const Drawing& drawing) {
    chart.columns.resize(static_cast<std::size_t>(std::max(drawing.lastColumn, 2) - 1));
    for (std::size_t i = 0; i < chart.columns.size(); ++i)
        chart.columns[i].col = static_cast<int>(i) + 2;
    // First each column's extent, then the day of each of its boxes.
    for (const DrawnBox& box : drawing.boxes) {
        Column& column = chart.columns[static_cast<std::size_t>(box.col - 2)];
        if (column.empty()) {
            column.rising = box.rising;
            column.topRow = column.bottomRow = box.row;
        }
        column.topRow = std::min(column.topRow, box.row);
        column.bottomRow = std::max(column.bottomRow, box.row);
    }
    for (Column& column : chart.columns)
        column.days.assign(static_cast<std::size_t>(column.boxes()), 0);
    for (const DrawnBox& box : drawing.boxes) {
        Column& column = chart.columns[static_cast<std::size_t>(box.col - 2)];
        column.days[static_cast<std::size_t>(box.row - column.topRow)] = box.day;
    }
}

// The days of 1 to `days` the series has, and those with a price.
struct DayCounts {
    int present = 0;
    int priced = 0;
    int of(DayCount count) const { return count == DayCount::SeriesDays ? present : priced; }
};

DayCounts countDays(const ChartRequest& request, int days) {
    DayCounts counts;
    for (int day = 1; day <= days; ++day) {
        const Close& close = request.closes[static_cast<std::size_t>(day) - 1];
        counts.present += close.present() ? 1 : 0;
        counts.priced += close.priced() ? 1 : 0;
    }
    return counts;
}

// The oldest day drawn: the days shown, or the newest day before them that has a box.
int startOf(const Chart& chart, int daysShown) {
    int start = daysShown;
    while (start >= 1 && !chart.boxIndexByDay[static_cast<std::size_t>(start)]) --start;
    return std::max(start, 0);
}

Drawing drawFrom(const Chart& chart, const ChartRequest& request, int startDay, bool keepRecords) {
    if (request.construction == Construction::Textbook) {
        const bool highLow = byHighLow(request);
        return drawTextbook(
            {&chart.levels, request.closes, highLow ? request.highs : std::span<const Close>{},
             highLow ? request.lows : std::span<const Close>{}, startDay, request.reversal});
    }
    return drawColumns(chart.boxIndexByDay, startDay, {request.reversal, keepRecords});
}

// The textbook columns' extreme records as the screening build keeps them: each column's
// highest and lowest box, dated except for the start day.
void recordColumns(Chart& chart) {
    for (const Column& column : chart.columns) {
        if (column.empty()) continue;
        const auto record = [&](int row) {
            const int day = column.dayAt(row);
            return ExtremeRecord{row - 1, day, day != chart.startDay};
        };
        chart.records.push_back({column.col, record(column.topRow), record(column.bottomRow)});
    }
}

// What the screening lists for the series when its build starts on another day than the
// drawing: the patterns of its last column.
Chart::Screened screenedFrom(const Chart& chart, const ChartRequest& request, int startDay) {
    Chart build;
    build.levels = chart.levels;
    build.construction = request.construction;
    build.reversal = request.reversal;
    build.startDay = startDay;
    if (startDay > 0) collectColumns(build, drawFrom(chart, request, startDay, false));
    Chart::Screened screened;
    const Column* last = build.column(build.lastColumn());
    for (const Completion& completion : cataloguePatternsOf(build))
        screened.found.push_back(
            {completion.pattern, completion.row, last ? last->dayAt(completion.row) : 0});
    return screened;
}

}  // namespace

const Column* Chart::column(int col) const {
    if (col < 2 || col - 2 >= static_cast<int>(columns.size())) return nullptr;
    return &columns[static_cast<std::size_t>(col - 2)];
}

std::optional<long long> Chart::level(int row) const {
    if (row < 0 || row >= static_cast<int>(levels.size())) return std::nullopt;
    return levels[static_cast<std::size_t>(row)];
}

int Chart::firstLevelRow() const {
    for (std::size_t row = 0; row < levels.size(); ++row)
        if (levels[row]) return static_cast<int>(row);
    return 0;
}

int Chart::lastLevelRow() const {
    for (std::size_t row = levels.size(); row-- > 0;)
        if (levels[row]) return static_cast<int>(row);
    return 0;
}

const std::string& Chart::dateOfDay(int day) const {
    if (day < 1 || static_cast<std::size_t>(day) > dates.size()) return kNoDate;
    return dates[static_cast<std::size_t>(day) - 1];
}

const std::string& Chart::dateAt(int col, int row) const {
    const Column* c = column(col);
    return c ? dateOfDay(c->dayAt(row)) : kNoDate;
}

int Chart::rowHolding(long long price) const {
    if (construction == Construction::Textbook) {
        const int last = lastLevelRow();
        for (int row = firstLevelRow(); row >= 1 && row <= last; ++row)
            if (const auto& level = levels[static_cast<std::size_t>(row)]; level && *level <= price)
                return row;
        return 0;
    }
    const auto index = BoxFinder(levels, openTop).boxIndexOf(price);
    return index ? *index + 1 : 0;
}

Chart chartOfDrawing(const Drawing& drawing, LevelColumn levels, bool openTop) {
    Chart chart;
    chart.levels = std::move(levels);
    chart.openTop = openTop;
    collectColumns(chart, drawing);
    chart.rising = drawing.rising;
    chart.lastBox = drawing.lastBox;
    chart.records = drawing.records;
    return chart;
}

namespace {

// A chart with the request's settings and nothing drawn yet.
Chart emptyChartOf(const ChartRequest& request) {
    Chart chart;
    chart.scale = request.scale;
    chart.construction = request.construction;
    chart.reversal = request.reversal;
    chart.daysShown = request.days;
    return chart;
}

// Days past the series' end have no price.
int daysOf(const ChartRequest& request) {
    return std::max(0, std::min(request.days, static_cast<int>(request.closes.size())));
}

// The rest of the run once the chart has its levels: the box of each day, the days shown,
// the start day and the columns.
Chart drawOnLevels(Chart chart, const ChartRequest& request, int days) {
    const bool textbook = request.construction == Construction::Textbook;
    indexBoxes(chart, request.closes, days);

    const DayCounts counts = countDays(request, days);
    if (counts.of(request.count) < request.days) chart.daysShown = counts.of(request.count);
    chart.startDay = startOf(chart, chart.daysShown);
    if (!request.dates.empty()) {
        const std::size_t kept = std::min(request.dates.size(), static_cast<std::size_t>(days));
        chart.dates.assign(request.dates.begin(), request.dates.begin() + static_cast<long>(kept));
    }
    if (chart.startDay == 0) return chart;
    for (int day = 1; day <= chart.startDay; ++day)
        if (const Close& close = request.closes[static_cast<std::size_t>(day) - 1];
            close.priced()) {
            chart.newestClose = close.price;
            chart.newestCloseDay = day;
            break;
        }

    const Drawing drawing = drawFrom(chart, request, chart.startDay, request.keepRecords);
    collectColumns(chart, drawing);
    chart.rising = drawing.rising;
    chart.lastBox = drawing.lastBox;
    chart.records = drawing.records;
    if (textbook && request.keepRecords) recordColumns(chart);

    if (request.count == DayCount::SeriesDays) {
        const int screenedStart = startOf(chart, std::min(counts.priced, request.days));
        if (screenedStart != chart.startDay)
            chart.screened = screenedFrom(chart, request, screenedStart);
    }
    return chart;
}

}  // namespace

Chart runChart(const ChartRequest& request) {
    Chart chart = emptyChartOf(request);
    const int days = daysOf(request);
    const bool textbook = request.construction == Construction::Textbook;
    const auto range = textbook ? fullRangeOf(request, days) : priceRangeOf(request.closes, days);
    if (!range) return chart;
    chart.highDay = range->highDay;
    chart.lowDay = range->lowDay;
    chart.highPrice = range->high;
    chart.lowPrice = range->low;
    layLevels(chart, *range, request.scale, request.construction);
    return drawOnLevels(std::move(chart), request, days);
}

std::vector<long long> stepLevels(long long top, long long bottom, long long step) {
    std::vector<long long> levels;
    if (step <= 0) return levels;
    for (long long level = top; level >= bottom; level -= step) levels.push_back(level);
    return levels;
}

Chart runChartOnLevels(const ChartRequest& request, const std::vector<long long>& levels) {
    Chart chart = emptyChartOf(request);
    const int days = daysOf(request);
    const auto range = fullRangeOf(request, days);
    if (!range || levels.empty()) return chart;
    chart.highDay = range->highDay;
    chart.lowDay = range->lowDay;
    chart.highPrice = range->high;
    chart.lowPrice = range->low;
    chart.levels.assign(levels.size() + 3, std::nullopt);
    for (std::size_t i = 0; i < levels.size(); ++i) chart.levels[i + 2] = levels[i];
    return drawOnLevels(std::move(chart), request, days);
}

}  // namespace chart
