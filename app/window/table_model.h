#pragma once
// A visible working table as a Qt model. The fixed row and column of the table are
// the view's headers, so they stay in place while the cells scroll. Cells are read
// live from the table; refresh() catches up with changes of cells and counts.
#include <QAbstractTableModel>
#include <QColor>
#include <QStyledItemDelegate>
#include <cstdint>

#include "tables/working_table.h"

class WorkingTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    WorkingTableModel(WorkingTable& table, QColor background, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Table cell of a model index and of header sections.
    int tableColumn(int modelColumn) const { return modelColumn + table_.fixedCols(); }
    int tableRow(int modelRow) const { return modelRow + table_.fixedRows(); }

    // Brings the views up to date; cheap when nothing changed. Returns whether it did anything.
    bool refresh();

  private:
    WorkingTable& table_;
    QColor background_;
    int rows_;
    int columns_;
    int fixedRows_;
    int fixedCols_;
    std::uint64_t revision_;
};

// Draws a cell's text from its left edge without the style's margins, so a mark
// fits a narrow column.
class CellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
