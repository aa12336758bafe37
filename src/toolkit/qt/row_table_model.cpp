#include "toolkit/qt/row_table_model.h"

namespace pitbox::ui {

RowTableModel::RowTableModel(std::vector<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

void RowTableModel::setRows(TableRows* rows) {
    beginResetModel();
    rows_ = rows;
    count_ = rows ? rows->rowCount() : 0;
    endResetModel();
}

void RowTableModel::contentChanged() {
    if (count_ > 0) emit dataChanged(index(0, 0), index(static_cast<int>(count_) - 1, columnCount() - 1));
}

std::optional<std::size_t> RowTableModel::findRow(const QString& typed, std::size_t from) const {
    if (!rows_ || count_ == 0) return std::nullopt;
    const auto found = rows_->findRow(typed.toStdString(), from % count_);
    return found && *found < count_ ? found : std::nullopt;
}

QString RowTableModel::cell(std::size_t row, std::size_t column) const {
    if (!rows_ || row >= count_) return {};
    scratch_.clear();
    rows_->appendCell(row, column, scratch_);
    return QString::fromUtf8(scratch_.data(), static_cast<qsizetype>(scratch_.size()));
}

int RowTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(count_); }

int RowTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RowTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const auto column = static_cast<std::size_t>(index.column());
    const bool whole = role == Qt::ToolTipRole && column < columns_.size() && columns_[column].elideMiddle;
    if (role != Qt::DisplayRole && !whole) return {};
    return cell(static_cast<std::size_t>(index.row()), column);
}

QVariant RowTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(columns_.size()))
        return {};
    return QString::fromStdString(columns_[static_cast<std::size_t>(section)].title);
}

}  // namespace pitbox::ui
