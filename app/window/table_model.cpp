#include "app/window/table_model.h"

#include <QPainter>
#include <algorithm>

namespace {
QString qt(const std::string& text) {
    return QString::fromStdString(text);
}
}  // namespace

WorkingTableModel::WorkingTableModel(WorkingTable& table, QColor background, QObject* parent)
    : QAbstractTableModel(parent),
      table_(table),
      background_(background),
      rows_(std::max(0, table.rowCount() - table.fixedRows())),
      columns_(std::max(0, table.colCount() - table.fixedCols())),
      fixedRows_(table.fixedRows()),
      fixedCols_(table.fixedCols()),
      revision_(table.revision()) {}

int WorkingTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}
int WorkingTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant WorkingTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole:
            return qt(table_.cell(tableColumn(index.column()), tableRow(index.row())));
        case Qt::BackgroundRole:
            return background_;
        default:
            return {};
    }
}

QVariant WorkingTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal)
        return fixedRows_ > 0 ? qt(table_.cell(tableColumn(section), 0)) : QVariant();
    return fixedCols_ > 0 ? qt(table_.cell(0, tableRow(section))) : QVariant();
}

bool WorkingTableModel::refresh() {
    const int rows = std::max(0, table_.rowCount() - table_.fixedRows());
    const int columns = std::max(0, table_.colCount() - table_.fixedCols());
    if (table_.fixedRows() != fixedRows_ || table_.fixedCols() != fixedCols_) {
        beginResetModel();
        fixedRows_ = table_.fixedRows();
        fixedCols_ = table_.fixedCols();
        rows_ = rows;
        columns_ = columns;
        revision_ = table_.revision();
        endResetModel();
        return true;
    }
    if (table_.revision() == revision_ && rows == rows_ && columns == columns_) return false;
    // Growing and shrinking by rows and columns keeps the scroll position and the
    // widths the view has set.
    if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    } else if (rows < rows_) {
        beginRemoveRows({}, rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    }
    if (columns > columns_) {
        beginInsertColumns({}, columns_, columns - 1);
        columns_ = columns;
        endInsertColumns();
    } else if (columns < columns_) {
        beginRemoveColumns({}, columns, columns_ - 1);
        columns_ = columns;
        endRemoveColumns();
    }
    revision_ = table_.revision();
    if (rows_ > 0 && columns_ > 0)
        emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1), {Qt::DisplayRole});
    if (columns_ > 0) emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
    if (rows_ > 0) emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
    return true;
}

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    const QVariant background = index.data(Qt::BackgroundRole);
    if (selected)
        painter->fillRect(option.rect, option.palette.highlight());
    else if (background.canConvert<QColor>())
        painter->fillRect(option.rect, background.value<QColor>());
    painter->setFont(option.font);
    painter->setPen(selected ? option.palette.highlightedText().color()
                             : option.palette.text().color());
    painter->drawText(option.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
}
