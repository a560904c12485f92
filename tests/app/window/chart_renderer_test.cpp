// The renderer drawing a constructed chart offscreen: the picture's size and the pixels
// where the newest box, a trend line, a signal tag, a month letter and the current
// price must show.
#include "app/window/chart_renderer.h"

#include <gtest/gtest.h>

#include <QImage>

#include "app/window/window_style.h"
#include "chart/box_scale.h"
#include "chart/decorations.h"
#include "tests/app/window/qt_application.h"

namespace {

// Falls from 10 to 20, rises to 15, falls to 18 and breaks out to 13 (a double top in
// column 5), falls to 16 and rises to 10: a support line from below column 2's low.
render::ChartScene scene(bool months) {
    const std::vector<int> oldestFirst = {10, 20, 15, 18, 13, 16, 10};
    const std::vector<std::string> dates = {"2025/01/30", "2025/01/31", "2025/02/03", "2025/02/04",
                                            "2025/02/05", "2025/03/03", "2025/03/04"};
    const std::size_t n = oldestFirst.size();
    std::vector<std::optional<int>> byDay(n + 1);
    std::vector<std::string> dateByDay(n + 1);
    for (std::size_t i = 0; i < n; ++i) {
        byDay[n - i] = oldestFirst[i];
        dateByDay[n - i] = dates[i];
    }
    const auto levels = chart::percentageLevels(1000, 600, 0.02L);
    chart::LevelColumn rows(levels.size() + 3);
    for (std::size_t i = 0; i < levels.size(); ++i) rows[i + 2] = levels[i];
    app::ChartView view;
    view.chart = chart::chartOfDrawing(chart::drawColumns(byDay, static_cast<int>(n)), rows, false);
    view.chart.dates.assign(dateByDay.begin() + 1, dateByDay.end());
    view.decorations = chart::decorate(view.chart, {false, 0.02L});
    view.latestClose = 905;
    return render::ChartScene(view, months);
}

QImage picture(const render::ChartScene& scene, const std::vector<QString>& title) {
    QImage image(render::pictureSize(scene, title), QImage::Format_RGB32);
    QPainter painter(&image);
    render::paintPicture(painter, scene, title);
    return image;
}

// Whether a pixel next to the point (the lines are smoothed) has about the colour.
bool drawnNear(const QImage& image, QPointF point, QColor wanted) {
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy) {
            const QColor seen = image.pixelColor(point.toPoint() + QPoint(dx, dy));
            if (std::abs(seen.red() - wanted.red()) <= 40 &&
                std::abs(seen.green() - wanted.green()) <= 40 &&
                std::abs(seen.blue() - wanted.blue()) <= 40)
                return true;
        }
    return false;
}

QColor at(const QImage& image, QPointF point) {
    return image.pixelColor(point.toPoint());
}

TEST(ChartRenderer, DrawsTheDecorationsWhereTheyBelong) {
    testing_support::application();
    const std::vector<QString> title = {"6154 見本",
                                        QString::fromUtf8("最新シグナル ダブルトップ")};
    const render::ChartScene shown = scene(true);
    const QImage image = picture(shown, title);
    const auto cell = render::pictureCells(shown, title);
    const auto& decorations = shown.view().decorations;

    // Seven columns (2 to 7 and the empty one after), the scales, the two title lines and
    // rows 1 to 28: the levels 1000 to 594 in rows 2 to 27 and a row on either side.
    EXPECT_EQ(image.width(), 8 + 44 + 7 * 15 + 96 + 8);
    EXPECT_EQ(image.height(), 8 + 20 + 17 + 6 + 28 * 12 + 8);

    // The newest box: the top of column 7, in row 11.
    ASSERT_EQ(decorations.newestBox, std::pair(7, 11));
    EXPECT_EQ(at(image, cell(7, 11).topLeft() + QPointF(3, 3)), render::kNewestColour);
    // The objectives' count column, column 7 still growing, is framed; the vertical
    // count lies above the chart, so its line is at the right scale's top row with an
    // arrow, the horizontal count's in row 3.
    ASSERT_TRUE(decorations.objectives);
    EXPECT_EQ(decorations.objectives->signalCol, 7);
    bool framed = false;
    for (double y = cell(7, 11).top(); y < cell(7, 16).bottom(); y += 1)
        for (int dx : {0, 1, 2}) {
            // The frame's colour, faint while the column grows: teal over the background.
            const QColor seen = image.pixelColor(
                QPoint(static_cast<int>(cell(7, 11).left()) + dx, static_cast<int>(y)));
            framed = framed || (seen.green() > seen.red() + 30 && seen.blue() > seen.red() + 30);
        }
    EXPECT_TRUE(framed);
    EXPECT_LT(decorations.objectives->verticalRow, 2);
    EXPECT_EQ(decorations.objectives->horizontalRow, 3);
    for (const int row : {2, 3})
        EXPECT_EQ(at(image, QPointF(cell(8, row).right() + 5, cell(8, row).center().y())),
                  render::kObjectiveColour);
    // Beside it on the right scale: "現在値" and the price on the highlight.
    EXPECT_EQ(at(image, QPointF(cell(8, 11).right() + 92, cell(8, 11).top() + 1)),
              render::kNewestColour);

    // The support line from below column 2's low (row 22) rises one box per column: it
    // crosses the empty cell of column 4 in row 20 at its centre.
    ASSERT_EQ(decorations.lines.size(), 1u);
    EXPECT_TRUE(drawnNear(image, cell(4, 20).center(), render::kSupportColour));
    EXPECT_FALSE(drawnNear(image, cell(4, 18).center(), render::kSupportColour));

    // The double top's tag above column 5's top (row 14), in the buy colour.
    const QRectF tag = cell(5, 13);
    EXPECT_EQ(at(image, QPointF(tag.left() + 2, tag.center().y())), render::kRisingColour);

    // February begins at the bottom of column 3, in row 20: with months shown the cell
    // holds "2" instead of "×"; the box above it holds its mark either way.
    const QImage plain = picture(scene(false), title);
    EXPECT_NE(image.copy(cell(3, 20).toRect()), plain.copy(cell(3, 20).toRect()));
    EXPECT_EQ(image.copy(cell(3, 19).toRect()), plain.copy(cell(3, 19).toRect()));
}

// A warning's tag in its own colour, stacked above the breakout's tag of its column.
TEST(ChartRenderer, TagsEachFormationWarningsInTheirOwnColour) {
    testing_support::application();
    // Box indices oldest first: tops in boxes 22, 22, then 21 (a triple top broken by one
    // box in column 7) and at once a fall (a bull trap in column 8); then a rise to box 20.
    const std::vector<int> oldestFirst = {5, 30, 22, 27, 22, 27, 21, 25, 20};
    const std::size_t n = oldestFirst.size();
    std::vector<std::optional<int>> byDay(n + 1);
    for (std::size_t i = 0; i < n; ++i) byDay[n - i] = oldestFirst[i];
    const auto levels = chart::percentageLevels(1000, 400, 0.02L);
    chart::LevelColumn rows(levels.size() + 3);
    for (std::size_t i = 0; i < levels.size(); ++i) rows[i + 2] = levels[i];
    app::ChartView view;
    view.chart = chart::chartOfDrawing(chart::drawColumns(byDay, static_cast<int>(n)), rows, false);
    view.chart.dates.assign(n, "2025/01/31");
    view.decorations = chart::decorate(view.chart, {false, 0.02L});
    const render::ChartScene shown(view, false);

    std::vector<std::pair<int, QString>> tags;
    for (const auto& tag : shown.signalTags()) tags.push_back({tag.col, tag.text});
    // Also a long tail (column 2 falls 25 boxes) and, in column 9, an ascending triple top
    // and a catapult besides the double top.
    EXPECT_EQ(tags, (std::vector<std::pair<int, QString>>{{3, QString::fromUtf8("尾")},
                                                          {7, QString::fromUtf8("買")},
                                                          {8, QString::fromUtf8("罠")},
                                                          {9, QString::fromUtf8("買")},
                                                          {9, QString::fromUtf8("昇")},
                                                          {9, QString::fromUtf8("カ")}}));
    EXPECT_TRUE(shown.signalTip(8).contains(QString::fromUtf8("警告 ブルトラップ 2025/01/31")));

    const QImage image = picture(shown, {});
    const auto cell = render::pictureCells(shown, {});
    const auto tagAt = [&](int col, int index) {
        return render::signalTagRect(shown, cell, col, index);
    };
    const auto left = [&](const QRectF& rect) { return rect.topLeft() + QPointF(2, 2); };
    EXPECT_EQ(at(image, left(tagAt(8, 0))), render::kWarningColour);
    EXPECT_EQ(at(image, left(tagAt(9, 1))), render::kRisingColour);
    EXPECT_EQ(tagAt(9, 1), tagAt(9, 0).translated(0, -tagAt(9, 0).height() - 2));
}

}  // namespace
