#include "toolkit/qt/row_table_model.h"

namespace pitbox::ui {

RowTableModel::RowTableModel(std::vector<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

void RowTableModel::clear() { replace(RowTexts{}); }

void RowTableModel::replace(RowTexts rows) {
    beginResetModel();
    rows_ = std::move(rows);
    shown_ = rows_.size();
    endResetModel();
}

void RowTableModel::flush() {
    if (shown_ == rows_.size()) return;
    beginInsertRows({}, static_cast<int>(shown_), static_cast<int>(rows_.size()) - 1);
    shown_ = rows_.size();
    endInsertRows();
}

int RowTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(shown_); }

int RowTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RowTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const std::string_view cell =
        cellOf(rows_[static_cast<std::size_t>(index.row())], static_cast<std::size_t>(index.column()));
    return QString::fromUtf8(cell.data(), static_cast<qsizetype>(cell.size()));
}

QVariant RowTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(columns_.size()))
        return {};
    return QString::fromStdString(columns_[static_cast<std::size_t>(section)].title);
}

}  // namespace pitbox::ui
