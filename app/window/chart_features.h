#pragma once
// The decorated chart in the window, drawn by the chart renderer: the chart grid's marks
// in their columns' colours with the month letters and the newest box, the trend lines,
// signal tags and the objectives' count column over the grid, the levels beside the last
// column with the current price and the objectives, the panel texts and the chart style
// under the menus; a box's date and price in its tooltip; the View menu's "月表示", the
// File menu's picture and CSV exports, and the bullish percent above the results list.
#include <QObject>
#include <QRectF>
#include <QString>
#include <cstdint>

#include "app/window/chart_renderer.h"

class MainWindow;
class QAction;
class QLabel;
class QWidget;
class TForm1;

class ChartFeatures : public QObject {
    Q_OBJECT
  public:
    ChartFeatures(MainWindow& window, TForm1& form);

    const render::ChartScene& scene() const { return scene_; }
    // A chart-grid cell in the coordinates of the chart view's viewport.
    QRectF cellRect(int col, int row) const;

    QLabel* panel() const { return panel_; }
    QLabel* stylePanel() const { return stylePanel_; }
    QWidget* rightScale() const { return scale_; }
    QLabel* resultsCaption() const { return resultsCaption_; }
    QAction* monthsAction() const { return months_; }

    // The menu entries' work, without their file dialogs.
    void savePicture(const QString& path);
    void saveResults(const QString& path);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void refresh(bool force = false);
    void layout();
    void repaint();

    MainWindow& window_;
    TForm1& form_;
    render::ChartScene scene_;
    std::uint64_t shownRevision_ = ~std::uint64_t{0};
    QWidget* overlay_ = nullptr;
    QWidget* scale_ = nullptr;
    QLabel* panel_ = nullptr;
    QLabel* stylePanel_ = nullptr;
    QString panelText_;
    QLabel* resultsCaption_ = nullptr;
    QAction* months_ = nullptr;
};
