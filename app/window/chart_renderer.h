#pragma once
// The one renderer of the decorated chart. The window's chart grid paints its cells,
// trend lines, signal tags and the scale on its right edge with it; the pictures (PNG,
// SVG) are drawn by it whole, with a title and the levels on both edges.
#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "app/chart_view.h"

namespace render {

inline const QColor kRisingColour{200, 30, 30};
inline const QColor kFallingColour{30, 70, 200};
inline const QColor kSupportColour{0, 150, 70};
inline const QColor kResistanceColour{230, 120, 0};
inline const QColor kNewestColour{255, 215, 0};
inline const QColor kGridLineColour{200, 200, 200};
inline const QColor kYearColour{0, 120, 60};
inline const QColor kObjectiveColour{0, 120, 140};
// The tags of warnings (traps, poles), apart from the buy and sell signals.
inline const QColor kWarningColour{140, 60, 170};

// A tag above a column where patterns completed: the ten's breakout ("買" or "売"), or
// one further formation's short tag. Index 0 sits just above the column, the next ones
// above it.
struct SignalTag {
    int col = 0;
    int index = 0;
    QString text;
    QColor colour;
};

// A chart ready to draw: the decorated chart and what is switched on.
class ChartScene {
  public:
    ChartScene() = default;
    ChartScene(app::ChartView view, bool months);

    const app::ChartView& view() const { return view_; }
    bool months() const { return months_; }
    // The month letter shown in place of a box's mark, when months are shown (a year's
    // last digit where a year begins).
    std::optional<char> monthAt(int col, int row) const;
    bool yearAt(int col, int row) const;
    bool isNewest(int col, int row) const;
    // The columns with signals or warnings; a column's first tag reads "買" when its
    // breakout is a double top.
    std::vector<int> signalColumns() const;
    bool buyAt(int col) const;
    // Every tag, column by column.
    const std::vector<SignalTag>& signalTags() const { return tags_; }
    // "ダブルトップ 2026/11/20", one line per pattern of the column, the warnings last
    // ("警告 ブルトラップ 2026/11/20").
    QString signalTip(int col) const;
    // "現在値 1,234": the newest close, or the level of its box without one.
    QString currentPriceText() const;
    // "2026/11/20  1,234": the date and the level of a box; empty outside the columns.
    QString boxTip(int col, int row) const;

  private:
    app::ChartView view_;
    bool months_ = true;
    std::map<std::pair<int, int>, char> monthAt_;
    std::vector<SignalTag> tags_;
    std::map<std::pair<int, int>, bool> yearAt_;
};

// A chart-grid cell's rectangle on the paint device.
using CellRect = std::function<QRectF(int col, int row)>;

// One cell: its background, then a box's mark in its column's colour (or its month
// letter), the newest box highlighted; other text as the grid shows it.
void paintCell(QPainter& painter, const QRectF& rect, const ChartScene& scene, int col, int row,
               const QString& text, const QFont& font);

// The trend lines through the box centres (the one in force solid, the crossed ones
// faint), the signal tags above their columns (warnings in their own colour) and a frame
// around the objectives' count column.
void paintDecorations(QPainter& painter, const ChartScene& scene, const CellRect& cellRect);

// Where a column's signal tag is drawn: the first in the cell above the column's highest
// box, each next one a cell higher.
QRectF signalTagRect(const ChartScene& scene, const CellRect& cellRect, int col, int index = 0);

// The levels of the chart's rows in a strip from `left`, `width` wide, each beside its
// row; with `current`, the row of the box holding the newest close holds "現在値" and the
// price, and the objectives' rows a short line with "垂直" or "水平" and the price (at the
// strip's top or bottom edge, with an arrow, when they lie beyond the chart).
void paintScale(QPainter& painter, const ChartScene& scene, const CellRect& cellRect, double left,
                double width, bool alignRight, bool current);

// The picture: title lines, then the chart with the levels on both edges.
QSize pictureSize(const ChartScene& scene, const std::vector<QString>& title);
// Where the picture draws a chart-grid cell.
CellRect pictureCells(const ChartScene& scene, const std::vector<QString>& title);
void paintPicture(QPainter& painter, const ChartScene& scene, const std::vector<QString>& title);

enum class PictureFormat { Png, Svg };
// ".svg" names an SVG picture, anything else a PNG one.
PictureFormat pictureFormatOf(const std::filesystem::path& path);

// The decorated chart with its title, `width` pixels wide (0: its natural width). Works
// without a display. Throws EFileError when the file cannot be written.
void saveChartPicture(const app::ChartView& view, const app::ChartCaption& caption,
                      const std::filesystem::path& path, PictureFormat format, int width,
                      bool months = true);

}  // namespace render
