#pragma once
#include <QAbstractTableModel>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace pitbox::ui {

// A table gadget's rows as Qt asks for them: each cell is made only when it is
// shown, from the program's rows.
class RowTableModel : public QAbstractTableModel {
public:
    explicit RowTableModel(std::vector<Column> columns, QObject* parent = nullptr);

    void setRows(TableRows* rows);
    // The program's rows, which hold the selection; none before the first.
    TableRows* source() const { return rows_; }
    // The rows' texts changed, not their number.
    void contentChanged();
    std::size_t size() const { return count_; }
    // The text of a cell, as shown.
    QString cell(std::size_t row, std::size_t column) const;
    // Type-to-find over the rows the view has been told of.
    std::optional<std::size_t> findRow(const QString& typed, std::size_t from) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<Column> columns_;
    TableRows* rows_ = nullptr;
    std::size_t count_ = 0;  // rows the view has been told of
    mutable std::string scratch_;
};

}  // namespace pitbox::ui
