#include "ui/qt/row_table_model.h"

namespace pitbox::ui {

RowTableModel::RowTableModel(std::vector<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

void RowTableModel::clear() { replace({}); }

void RowTableModel::replace(std::vector<std::string> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    pending_.clear();
    endResetModel();
}

void RowTableModel::flush() {
    if (pending_.empty()) return;
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(pending_.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(pending_.begin()), std::make_move_iterator(pending_.end()));
    pending_.clear();
    endInsertRows();
}

int RowTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RowTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RowTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const std::string& row = rows_[static_cast<std::size_t>(index.row())];
    std::size_t start = 0;
    for (int cell = 0; cell < index.column(); ++cell) {
        start = row.find('\n', start);
        if (start == std::string::npos) return QString();
        ++start;
    }
    std::size_t end = row.find('\n', start);
    if (end == std::string::npos) end = row.size();
    return QString::fromUtf8(row.data() + start, static_cast<qsizetype>(end - start));
}

QVariant RowTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(columns_.size()))
        return {};
    return QString::fromStdString(columns_[static_cast<std::size_t>(section)].title);
}

}  // namespace pitbox::ui
