#include "app/cli_chart.h"

#include <iostream>

#include "app/chart_view.h"
#include "app/cli_pictures.h"
#include "app/form.h"
#include "chart/series.h"
#include "chart/stored_prices.h"
#include "data/program_tables.h"
#include "data/text_file.h"
#include "tables/code_lookup.h"
#include "tables/convert.h"
#include "tables/errors.h"
#include "tables/layout.h"
#include "tables/settings_layout.h"
#include "tables/source_mode.h"

namespace app {

void TerminalPlatform::showMessage(const std::string& text) {
    std::cerr << text << '\n';
    ++shown;
}

void TerminalPlatform::showError(const std::string& text) {
    std::cerr << "dravik: " << text << '\n';
    ++shown;
    ++errors;
}

namespace {

constexpr const char* kCheckCode = "コードを確認して下さい。";

// A stock's series as a file holds it: the header (code and name), its prices and
// dates by day, day 1 the newest.
struct FoundSeries {
    std::string header;
    std::vector<std::string> cells;  // cells[d - 1]: the price text of day d
    std::vector<std::string> dates;
};

// The fields a chart starts from: the saved settings, then the options.
struct ChartFields {
    std::string days = "500";
    std::string ratio = "0.015";
};

ChartFields fieldsOf(const std::filesystem::path& root, const ChartCommand& command) {
    ChartFields fields;
    // Without a settings file the fields keep their defaults, as at start-up.
    try {
        WorkingTable saved(settings::kColumns, settings::kSavedRows);
        settings::fromFileLines(saved, data::readLines(data::DataRoot{root}.settingsFile()));
        fields.days = saved.cell(settings::kSavedDays);
        fields.ratio = saved.cell(settings::kSavedRatio);
    } catch (const Exception&) {
    }
    if (command.days) fields.days = *command.days;
    if (command.ratio) fields.ratio = *command.ratio;
    if (command.cohen) fields.ratio = chart::kCohenWord;
    return fields;
}

WorkingTable codeTableOf(const data::DataRoot& root) {
    WorkingTable codes(5, 5);
    try {
        data::fillCodeTable(codes, data::readLines(root.codeListFile()));
    } catch (const Exception&) {
        // Without a code list the chart has no name beside its code.
    }
    return codes;
}

// The stock's column of the price file: its header, prices and dates, up to `days` days.
std::optional<FoundSeries> fromPriceFile(const WorkingTable& prices, const std::string& code,
                                         int days) {
    const int col = tables::lastColumnWithCode(prices, 0, 1, layout::kLastStockColumn + 1, code);
    if (col == 0) return std::nullopt;
    FoundSeries series{prices.cell(col, 0), {}, {}};
    const int copied = std::max(0, std::min(days, prices.storedRowCount()));
    for (int row = 1; row <= copied; ++row) {
        series.cells.push_back(prices.cell(col, row));
        series.dates.push_back(prices.cell(0, row));
    }
    return series;
}

// What the chart run does with a found series: its chart, or the message it stops with.
int chartSeries(const data::DataRoot& root, const FoundSeries& series, const ChartFields& fields,
                const WorkingTable& codes, const ChartCommand& command) {
    const std::string& ratioText = fields.ratio;
    const int days = toInt(fields.days);

    std::vector<chart::Close> closes;
    for (const std::string& cell : series.cells) {
        const auto close = chart::closeOfCell(cell);
        // A price that is no number stops the chart as the price range stops it.
        if (!close) throwNotInteger(cell);
        closes.push_back(*close);
    }
    const auto cellOf = [&](int day) -> std::string {
        return day >= 1 && static_cast<std::size_t>(day) <= series.cells.size()
                   ? series.cells[static_cast<std::size_t>(day) - 1]
                   : std::string();
    };
    chart::ChartRequest request;
    request.closes = closes;
    request.dates = series.dates;
    request.days = days;
    request.scale = chart::scaleOfField(ratioText);
    chart::applyStyle(request, command.style);
    chart::HighsLows highsLows;
    if (command.style.highLow && command.style.construction == chart::Construction::Textbook) {
        highsLows = chart::storedHighsLows(root, series.header, series.dates);
        if (highsLows.any) {
            request.highs = highsLows.highs;
            request.lows = highsLows.lows;
        } else {
            std::cerr << chart::kClosesOnlyNotice << '\n';
        }
    }
    chart::Chart chart = chart::runChart(request);
    // Without a price on either of the first two days there is no range to scale.
    if (chart.levels.empty()) throwNotInteger(cellOf(2));
    if (chart.startDay == 0) throwNotInteger("");

    ChartCaption caption;
    caption.codeText = series.header;
    caption.name = tables::stockName(codes, series.header);
    caption.daysText = chart.daysShown < days ? intToStr(chart.daysShown) : fields.days;
    caption.ratioText = ratioText;
    const int shownDays = tryToInt(caption.daysText).value_or(0);
    const auto dateOf = [&](int day) -> std::string {
        return day >= 1 && static_cast<std::size_t>(day) <= series.dates.size()
                   ? series.dates[static_cast<std::size_t>(day) - 1]
                   : std::string();
    };
    caption.oldestDate = dateOf(std::max(shownDays, 1));
    caption.newestDate = dateOf(1);

    const chart::BoxScale scale = boxScaleOf(ratioText, chart);
    // The program's percentage levels start at the highest close as the file writes it.
    const bool fromHigh = !chart.scale.cohen && !chart.scale.fixed &&
                          chart.construction == chart::Construction::Program;
    const std::string firstLevelText = fromHigh ? cellOf(chart.highDay) : std::string();
    const auto latest = tryToInt(cellOf(1));
    ChartView view =
        viewOf(std::move(chart), scale, latest ? std::optional<long long>(*latest) : std::nullopt,
               firstLevelText);
    if (view.latestClose)
        view.exactClose = chart::storedClose(root, series.header, dateOf(view.chart.newestCloseDay),
                                             *view.latestClose);
    std::cout << chartText(view, caption, command.text);
    return writeChartPictures(view, caption, command.pictures);
}

// The chart run's checks of the fields, in its order: a box ratio below the smallest
// becomes the smallest; both fields must hold numbers.
void checkFields(ChartFields& fields) {
    if (fields.ratio != chart::kCohenWord && toFloat(fields.ratio) < chart::kSmallestRatio)
        fields.ratio = "0.002";
    toInt(fields.days);
}

// A stock neither file holds: the form's chart run collects it (the quick collection,
// from the exchange or the price-table service) and charts it.
int chartCollected(const std::filesystem::path& root, const ChartCommand& command,
                   const std::string& code, TerminalPlatform& platform) {
    TForm1 form(platform, TForm1::Options{data::DataRoot{root}, {}});
    if (!loadFormFiles(form, platform)) return 1;
    const ChartFields fields = fieldsOf(root, command);
    form.Edit1.setText(code);
    form.Edit2.setText(fields.days);
    form.Edit3.setText(fields.ratio);
    form.chartStyle = command.style;
    form.run([&] {
        if (command.kouho) form.loadCandidateRangeOf(code);
        form.Button3Click();
    });
    if (platform.shown != 0) return 1;
    const ChartView view = chartViewOf(form);
    const ChartCaption caption = chartCaptionOf(form);
    std::cout << chartText(view, caption, command.text);
    if (form.staleDatesNotice.visible) std::cout << form.staleDatesNotice.caption << '\n';
    if (form.closesOnlyNotice.visible) std::cerr << form.closesOnlyNotice.caption << '\n';
    return writeChartPictures(view, caption, command.pictures);
}

// The candidate file's row of a stock of the code list, as "読込" loads a range holding
// the stock alone; nothing after a message (printed) when the code is not listed.
std::optional<FoundSeries> fromCandidateFile(const data::DataRoot& root, const WorkingTable& codes,
                                             const std::string& code, int days, bool& noPrices,
                                             TerminalPlatform& platform) {
    const int row = tables::lastRowWithCode(codes, 0, 1, codes.rowCount(), code);
    if (row == 0) {
        platform.showMessage(kCheckCode);
        return std::nullopt;
    }
    const auto lines = data::readLines(root.candidateFile());
    if (lines.empty()) throwListIndex(0);
    if (static_cast<std::size_t>(row) >= lines.size()) throwListIndex(row);
    WorkingTable candidates(data::kCandidateColumns, 2);
    candidates.rowFromCommaText(0, lines[0]);
    candidates.rowFromCommaText(1, lines[static_cast<std::size_t>(row)]);
    data::blankDaysWithoutPrice(candidates, 1);
    // A stock with fewer than five days in the file is not charted.
    noPrices = candidates.cell(5, 1).empty();
    if (noPrices || !sameCode(candidates.cell(0, 1), code)) return std::nullopt;
    FoundSeries series{candidates.cell(0, 1), {}, {}};
    const int copied = std::max(
        0, std::min(days, std::max(candidates.storedColCount(1), candidates.storedColCount(0))));
    for (int day = 1; day <= copied; ++day) {
        series.cells.push_back(candidates.cell(day, 1));
        series.dates.push_back(candidates.cell(day, 0));
    }
    return series;
}

}  // namespace

bool loadFormFiles(TForm1& form, TerminalPlatform& platform) {
    try {
        form.Button18Click();
        form.FieldsFromSettings();
    } catch (const Exception&) {
    }
    for (auto optional : {&TForm1::Button25Click, &TForm1::Button20Click}) {
        try {
            (form.*optional)();
        } catch (const Exception&) {
        }
    }
    form.run(&TForm1::Button2Click);
    return platform.shown == 0;
}

int runChartCommand(const std::filesystem::path& root, const ChartCommand& command) {
    TerminalPlatform platform;
    const data::DataRoot dataRoot{root};
    const std::string code = tables::normalizedCodeText(command.code);
    ChartFields fields = fieldsOf(root, command);
    try {
        const WorkingTable codes = codeTableOf(dataRoot);
        WorkingTable prices(5, 5);
        data::fillPriceTable(prices, data::readLines(dataRoot.priceFile()));
        if (!command.kouho) {
            checkFields(fields);
            if (const auto series = fromPriceFile(prices, code, toInt(fields.days)))
                return chartSeries(dataRoot, *series, fields, codes, command);
            return chartCollected(root, command, code, platform);
        }
        // The candidate's own checks come before the fields'.
        bool noPrices = false;
        const auto series = fromCandidateFile(
            dataRoot, codes, code, tryToInt(fields.days).value_or(0), noPrices, platform);
        if (platform.shown != 0) return 1;
        if (noPrices) {
            // Nothing is charted: the fields as they are, and no chart.
            const ChartCaption caption{code, {}, fields.days, fields.ratio, {}, {}};
            const ChartView empty;
            std::cout << chartText(empty, caption, command.text);
            return writeChartPictures(empty, caption, command.pictures);
        }
        checkFields(fields);
        if (!series) return chartCollected(root, command, code, platform);
        return chartSeries(dataRoot, *series, fields, codes, command);
    } catch (const Exception& e) {
        platform.showError(errorBoxText(e.message()));
        return 1;
    } catch (const std::exception& e) {
        platform.showError(errorBoxText(foreignErrorMessage(e)));
        return 1;
    }
}

}  // namespace app
