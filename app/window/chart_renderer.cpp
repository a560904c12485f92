#include "app/window/chart_renderer.h"

#include <QBuffer>
#include <QByteArray>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QSvgGenerator>
#include <algorithm>
#include <cstdio>
#include <set>

#include "app/window/window_style.h"
#include "chart/pattern_catalogue.h"
#include "data/text_file.h"
#include "tables/convert.h"
#include "tables/errors.h"

namespace render {

namespace {

constexpr double kColumnWidth = 15;
constexpr double kRowHeight = 12;
constexpr double kMargin = 8;
constexpr double kLeftScale = 44;
constexpr double kRightScale = 96;
constexpr double kTitleGap = 6;

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

QFont boldFont(int pixelSize) {
    QFont font = windowFont(pixelSize);
    font.setBold(true);
    return font;
}

// The rows and columns a picture shows: a row above the chart for the signal tags and
// one below it for a support line under the lowest box; one empty column at the end.
struct PictureGrid {
    int topRow = 0;
    int bottomRow = -1;
    int lastCol = 2;
    int rows() const { return bottomRow - topRow + 1; }
    int columns() const { return lastCol - 1; }
};

// The row of a column's signal tag.
int tagRow(const chart::Column& column, int index) {
    return std::max(column.topRow - 1, 1) - index;
}

PictureGrid pictureGrid(const ChartScene& scene) {
    const chart::Chart& chart = scene.view().chart;
    PictureGrid grid;
    grid.lastCol = chart.lastColumn() + 1;
    if (const int first = chart.firstLevelRow(); first > 0) {
        grid.topRow = first - 1;
        grid.bottomRow = chart.lastLevelRow() + 1;
        // Tags stacked above a high column stay in the picture.
        for (const SignalTag& tag : scene.signalTags())
            if (const chart::Column* column = chart.column(tag.col); column && !column->empty())
                grid.topRow = std::min(grid.topRow, tagRow(*column, tag.index));
    }
    return grid;
}

double titleHeight(const std::vector<QString>& title) {
    return title.empty() ? 0 : 20 + 17 * static_cast<double>(title.size() - 1) + kTitleGap;
}

// A QGuiApplication for fonts and painting, also where no display is.
void ensureGuiApplication() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "dravik";
    static char* argv[] = {name, nullptr};
    // The platform's notes (no runtime folder, no display) are not the user's concern.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    // Lives as long as the program.
    new QGuiApplication(argc, argv);
}

}  // namespace

// ---------------------------------------------------------------------------
// ChartScene

ChartScene::ChartScene(app::ChartView view, bool months) : view_(std::move(view)), months_(months) {
    for (const auto& marker : view_.decorations.months) {
        monthAt_[{marker.col, marker.row}] = marker.letter;
        if (marker.year) yearAt_[{marker.col, marker.row}] = true;
    }
    // Per column: the ten's breakout, then each further formation, then the warnings.
    std::map<int, int> stacked;
    const auto add = [&](int col, std::string_view text, QColor colour) {
        tags_.push_back({col, stacked[col]++, qt(std::string(text)), colour});
    };
    for (const int col : signalColumns()) {
        bool breakout = false;
        for (const auto& signal : view_.decorations.history) {
            if (signal.col != col) continue;
            const chart::PatternInfo& info = chart::infoOf(signal.pattern);
            if (chart::isClassic(signal.pattern)) {
                if (breakout) continue;
                breakout = true;
                const bool buy = buyAt(col);
                add(col, buy ? "買" : "売", buy ? kRisingColour : kFallingColour);
            } else {
                add(col, info.tag, info.side == chart::Side::Buy ? kRisingColour : kFallingColour);
            }
        }
        for (const auto& warning : view_.decorations.warnings)
            if (warning.col == col) add(col, chart::infoOf(warning.pattern).tag, kWarningColour);
    }
}

bool ChartScene::yearAt(int col, int row) const {
    return months_ && yearAt_.count({col, row}) > 0;
}

QString ChartScene::boxTip(int col, int row) const {
    const chart::Column* column = view_.chart.column(col);
    const auto level = view_.chart.level(row);
    if (!column || !column->holds(row) || !level) return {};
    const std::string& date = view_.chart.dateAt(col, row);
    return qt((hasValue(date) ? date + "  " : std::string()) + chart::groupedNumber(*level));
}

std::optional<char> ChartScene::monthAt(int col, int row) const {
    if (!months_) return std::nullopt;
    const auto found = monthAt_.find({col, row});
    if (found == monthAt_.end()) return std::nullopt;
    return found->second;
}

bool ChartScene::isNewest(int col, int row) const {
    return view_.decorations.newestBox == std::pair{col, row};
}

std::vector<int> ChartScene::signalColumns() const {
    std::set<int> columns;
    for (const auto* list : {&view_.decorations.history, &view_.decorations.warnings})
        for (const auto& signal : *list) columns.insert(signal.col);
    return {columns.begin(), columns.end()};
}

bool ChartScene::buyAt(int col) const {
    for (const auto& signal : view_.decorations.history)
        if (signal.col == col) return chart::infoOf(signal.pattern).side == chart::Side::Buy;
    return false;
}

QString ChartScene::signalTip(int col) const {
    QStringList lines;
    for (const auto& signal : view_.decorations.history)
        if (signal.col == col)
            lines << qt(std::string(chart::caption(signal.pattern)) + " " + signal.date);
    for (const auto& warning : view_.decorations.warnings)
        if (warning.col == col)
            lines << qt("警告 " + std::string(chart::caption(warning.pattern)) + " " +
                        warning.date);
    return lines.join('\n');
}

QString ChartScene::currentPriceText() const {
    if (!view_.decorations.newestBox) return {};
    return qt(view_.currentPriceText());
}

// ---------------------------------------------------------------------------
// Cells, decorations, scales

void paintCell(QPainter& painter, const QRectF& rect, const ChartScene& scene, int col, int row,
               const QString& text, const QFont& font) {
    painter.save();
    painter.fillRect(rect, kChartBackground);
    const bool rising = text == QString::fromUtf8(chart::kRisingMark);
    const bool falling = text == QString::fromUtf8(chart::kFallingMark);
    if (!rising && !falling) {
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
        painter.restore();
        return;
    }
    if (scene.isNewest(col, row)) painter.fillRect(rect, kNewestColour);
    painter.setPen(rising ? kRisingColour : kFallingColour);
    if (const auto month = scene.monthAt(col, row)) {
        QFont letterFont = font;
        letterFont.setBold(true);
        painter.setFont(letterFont);
        if (scene.yearAt(col, row)) painter.setPen(kYearColour);
        painter.drawText(rect, Qt::AlignCenter, QString(QChar(*month)));
    } else {
        painter.setFont(font);
        painter.drawText(rect, Qt::AlignCenter, text);
    }
    painter.restore();
}

QRectF signalTagRect(const ChartScene& scene, const CellRect& cellRect, int col, int index) {
    const chart::Column* column = scene.view().chart.column(col);
    if (!column || column->empty()) return {};
    return cellRect(col, tagRow(*column, index)).adjusted(1, 1, -1, -1);
}

void paintDecorations(QPainter& painter, const ChartScene& scene, const CellRect& cellRect) {
    const app::ChartView& view = scene.view();
    const int first = view.chart.firstLevelRow();
    const int last = view.chart.lastLevelRow();
    if (first == 0) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);

    const auto& lines = view.decorations.lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const chart::TrendLine& line = lines[i];
        // Only the part of the line beside the chart's rows is drawn.
        const auto shown = [&](int col) {
            const int row = line.rowAt(col);
            return row >= first && row <= last + 1;
        };
        int from = line.startCol;
        while (from <= line.endCol && !shown(from)) ++from;
        if (from > line.endCol) continue;
        int to = from;
        while (to < line.endCol && shown(to + 1)) ++to;
        const bool inForce = i + 1 == lines.size() && !line.crossed;
        QColor colour =
            line.kind == chart::LineKind::BullishSupport ? kSupportColour : kResistanceColour;
        if (!inForce) colour.setAlpha(120);
        painter.setPen(QPen(colour, inForce ? 2.0 : 1.2));
        painter.drawLine(cellRect(from, line.rowAt(from)).center(),
                         cellRect(to, line.rowAt(to)).center());
    }

    // The objectives' count column: a frame around its boxes.
    if (const auto& objectives = scene.view().decorations.objectives) {
        const chart::Column* count = scene.view().chart.column(objectives->signalCol);
        if (count && !count->empty()) {
            const QRectF top = cellRect(count->col, count->topRow);
            const QRectF bottom = cellRect(count->col, count->bottomRow);
            // Fainter while the column still grows.
            QColor colour = kObjectiveColour;
            if (objectives->provisional) colour.setAlpha(140);
            painter.setPen(QPen(colour, 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(
                QRectF(top.topLeft(), bottom.bottomRight()).adjusted(0.5, 0.5, -0.5, -0.5));
        }
    }

    for (const SignalTag& tag : scene.signalTags()) {
        const QRectF rect = signalTagRect(scene, cellRect, tag.col, tag.index);
        if (rect.isEmpty()) continue;
        // As large as the tag allows, at most 9 pixels (small cells of a zoomed-out chart).
        const QFont tagFont = boldFont(std::clamp(static_cast<int>(rect.height()), 4, 9));
        painter.setPen(Qt::NoPen);
        painter.setBrush(tag.colour);
        painter.drawRoundedRect(rect, 2, 2);
        painter.setPen(Qt::white);
        painter.setFont(tagFont);
        painter.drawText(rect, Qt::AlignCenter, tag.text);
    }
    painter.restore();
}

void paintScale(QPainter& painter, const ChartScene& scene, const CellRect& cellRect, double left,
                double width, bool alignRight, bool current) {
    const chart::Chart& chart = scene.view().chart;
    const int first = chart.firstLevelRow();
    if (first == 0) return;
    painter.save();
    // 11 pixels, smaller for rows lower than 12 (a zoomed-out chart): no text over the next.
    const int pixels = std::clamp(static_cast<int>(cellRect(1, first).height()) - 1, 4, 11);
    const QFont font = windowFont(pixels);
    const Qt::Alignment align = (alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    const auto strip = [&](int row) {
        const QRectF cell = cellRect(1, row);
        return QRectF(left, cell.top(), width, cell.height());
    };
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int row = first; row <= chart.lastLevelRow(); ++row)
        if (const auto level = chart.level(row))
            painter.drawText(strip(row).adjusted(2, 0, -2, 0), align,
                             qt(scene.view().levelNumberText(*level)));
    const auto& decorations = scene.view().decorations;
    if (current && decorations.objectives) {
        // The objectives' rows; those beyond the chart at its edge with an arrow.
        const int last = chart.lastLevelRow();
        struct Target {
            int row;
            std::optional<long long> price;
            const char* name;
        };
        std::vector<std::pair<int, std::string>> shown;  // strip row, text
        for (const Target& target :
             {Target{decorations.objectives->verticalRow, decorations.objectives->vertical, "垂直"},
              Target{decorations.objectives->horizontalRow, decorations.objectives->horizontal,
                     "水平"}}) {
            if (!target.price) continue;
            const char* arrow = target.row < first ? "↑" : target.row > last ? "↓" : "";
            const std::string text =
                std::string(target.name) + arrow + " " + chart::groupedNumber(*target.price);
            int row = std::clamp(target.row, first, last);
            // Both at one row: the same price shares it.
            if (!shown.empty() && target.row == decorations.objectives->verticalRow) {
                shown.back().second = "垂直・" + text;
                continue;
            }
            // One beyond the chart gives way, a row further in, to the other and to the
            // current price.
            const auto taken = [&](int r) {
                return r == decorations.currentRow || (!shown.empty() && shown.back().first == r);
            };
            if (*arrow)
                while (taken(row) && row >= first && row <= last)
                    row += target.row < first ? 1 : -1;
            shown.emplace_back(row, text);
        }
        for (const auto& [row, text] : shown) {
            const QRectF mark = strip(row);
            painter.fillRect(mark, Qt::white);
            painter.fillRect(QRectF(mark.left(), mark.center().y() - 1, 8, 2), kObjectiveColour);
            painter.setPen(kObjectiveColour);
            painter.setFont(boldFont(pixels));
            painter.drawText(mark.adjusted(10, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                             qt(text));
        }
        painter.setPen(Qt::black);
    }
    if (current && decorations.newestBox && decorations.currentRow > 0) {
        const QRectF mark = strip(decorations.currentRow);
        painter.fillRect(mark, kNewestColour);
        painter.setFont(boldFont(pixels));
        painter.drawText(mark.adjusted(2, 0, -2, 0), align, scene.currentPriceText());
    }
    painter.restore();
}

// ---------------------------------------------------------------------------
// Pictures

QSize pictureSize(const ChartScene& scene, const std::vector<QString>& title) {
    const PictureGrid grid = pictureGrid(scene);
    double width = 2 * kMargin + kLeftScale + grid.columns() * kColumnWidth + kRightScale;
    for (std::size_t i = 0; i < title.size(); ++i) {
        const QFontMetricsF metrics(i == 0 ? boldFont(14) : windowFont(12));
        width = std::max(width, 2 * kMargin + metrics.horizontalAdvance(title[i]));
    }
    const double height = 2 * kMargin + titleHeight(title) + grid.rows() * kRowHeight;
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
}

CellRect pictureCells(const ChartScene& scene, const std::vector<QString>& title) {
    const int topRow = pictureGrid(scene).topRow;
    const double gridTop = kMargin + titleHeight(title);
    return [topRow, gridTop](int col, int row) {
        return QRectF(kMargin + kLeftScale + (col - 2) * kColumnWidth,
                      gridTop + (row - topRow) * kRowHeight, kColumnWidth, kRowHeight);
    };
}

void paintPicture(QPainter& painter, const ChartScene& scene, const std::vector<QString>& title) {
    const QSize size = pictureSize(scene, title);
    painter.fillRect(QRectF(0, 0, size.width(), size.height()), Qt::white);
    double y = kMargin;
    for (std::size_t i = 0; i < title.size(); ++i) {
        const double height = i == 0 ? 20 : 17;
        painter.setFont(i == 0 ? boldFont(14) : windowFont(12));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(kMargin, y, size.width() - 2 * kMargin, height),
                         Qt::AlignLeft | Qt::AlignVCenter, title[i]);
        y += height;
    }
    if (!title.empty()) y += kTitleGap;

    const PictureGrid grid = pictureGrid(scene);
    const double gridLeft = kMargin + kLeftScale;
    const double gridTop = y;
    const CellRect cellRect = pictureCells(scene, title);
    const QRectF area(gridLeft, gridTop, grid.columns() * kColumnWidth, grid.rows() * kRowHeight);
    painter.fillRect(area, kChartBackground);

    const chart::Chart& chart = scene.view().chart;
    const QFont markFont = windowFont(12);
    const QString risingMark = QString::fromUtf8(chart::kRisingMark);
    const QString fallingMark = QString::fromUtf8(chart::kFallingMark);
    for (const chart::Column& column : chart.columns)
        for (int row = column.topRow; column.holds(row); ++row)
            paintCell(painter, cellRect(column.col, row), scene, column.col, row,
                      column.rising ? risingMark : fallingMark, markFont);

    painter.setPen(QPen(kGridLineColour, 0));
    for (int col = 0; col <= grid.columns(); ++col) {
        const double x = gridLeft + col * kColumnWidth;
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    for (int row = 0; row <= grid.rows(); ++row) {
        const double rowY = gridTop + row * kRowHeight;
        painter.drawLine(QPointF(area.left(), rowY), QPointF(area.right(), rowY));
    }

    paintDecorations(painter, scene, cellRect);
    paintScale(painter, scene, cellRect, kMargin, kLeftScale - 2, true, false);
    paintScale(painter, scene, cellRect, area.right() + 2, kRightScale - 2, false, true);
}

PictureFormat pictureFormatOf(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".svg" ? PictureFormat::Svg : PictureFormat::Png;
}

void saveChartPicture(const app::ChartView& view, const app::ChartCaption& caption,
                      const std::filesystem::path& path, PictureFormat format, int width,
                      bool months) {
    ensureGuiApplication();
    std::vector<QString> title;
    for (const std::string& line : app::chartTitleLines(view, caption)) title.push_back(qt(line));
    const ChartScene scene(view, months);

    const QSize natural = pictureSize(scene, title);
    const double factor = width > 0 ? static_cast<double>(width) / natural.width() : 1.0;
    const QSize size(std::max(1, static_cast<int>(std::lround(natural.width() * factor))),
                     std::max(1, static_cast<int>(std::lround(natural.height() * factor))));

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (format == PictureFormat::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setResolution(96);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(title.empty() ? QString("Dravik") : title.front());
        svg.setDescription(QString::fromUtf8("Dravik Point-and-Figure chart"));
        QPainter painter(&svg);
        painter.scale(factor, factor);
        paintPicture(painter, scene, title);
    } else {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::TextAntialiasing);
            painter.scale(factor, factor);
            paintPicture(painter, scene, title);
        }
        if (!image.save(&buffer, "PNG")) throwCannotCreate(data::pathText(path));
    }
    if (format == PictureFormat::Svg) {
        // Viewers without the window's font take the next family that they have.
        const QByteArray family = "font-family=\"" + windowFont(12).family().toUtf8() + "\"";
        bytes.replace(family, "font-family=\"" + windowFont(12).families().join(", ").toUtf8() +
                                  ", sans-serif\"");
    }
    data::writeBytes(path,
                     std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace render
