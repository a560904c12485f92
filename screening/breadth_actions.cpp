// The screening run's notes on the form: taken by the pattern check of each stock.
#include "app/form.h"
#include "chart/decorations.h"
#include "chart/pattern_catalogue.h"
#include "screening/breadth.h"
#include "screening/pattern_detection_actions.h"
#include "tables/convert.h"

namespace screening {

namespace {

std::string priceText(const std::optional<long long>& price) {
    return price ? intToStr(*price) : std::string();
}

}  // namespace

void noteScreenedStock(TForm1& form, const chart::ChartCells& chart, int lastColumn) {
    RunNotes& notes = form.screeningNotes;
    ++notes.screened;
    if (const auto side = chart::newestBreakout(chart, lastColumn))
        ++(*side == chart::Side::Buy ? notes.buys : notes.sells);
    // The chart value of the same run, when the form holds it: the further formations and
    // the trigger prices are read from its columns.
    const chart::Chart* shown = form.shownChart && form.shownChart->lastColumn() == lastColumn
                                    ? &*form.shownChart
                                    : nullptr;
    const auto found = chart::detectPatterns(chart, lastColumn);
    std::vector<chart::Completion> formations;
    if (shown) formations = chart::PatternReader(*shown).formationsAt(lastColumn);
    if (found.empty() && formations.empty()) return;

    chart::TriggerPrices triggers;
    if (shown) triggers = chart::triggerPrices(*shown, {shown->scale.cohen, shown->scale.ratio});
    const auto note = [&](chart::Pattern pattern, int row) {
        notes.listed.push_back({pattern, form.Edit1.text(), form.StringGrid5.cell(lastColumn, row),
                                form.StringGrid1.cell(1, row), priceText(triggers.buy),
                                priceText(triggers.sell)});
    };
    if (!found.empty()) {
        const int row = chart::breakoutRow(chart, found.front(), lastColumn);
        for (const chart::Pattern pattern : found) note(pattern, row);
    }
    for (const chart::Completion& formation : formations) note(formation.pattern, formation.row);
}

}  // namespace screening
