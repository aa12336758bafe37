#pragma once
#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace pitbox::ui {

// The rows of a table gadget: one text per row with the cells joined by line
// feeds, split only when a cell is shown. Appended rows wait in a batch until the
// view next needs them, so a scan that appends row by row stays cheap.
class RowTableModel : public QAbstractTableModel {
public:
    explicit RowTableModel(std::vector<Column> columns, QObject* parent = nullptr);

    void clear();
    void append(std::string_view row) { rows_.add(row); }
    void replace(RowTexts rows);
    void flush();
    std::size_t size() const { return rows_.size(); }
    const std::vector<Column>& columns() const { return columns_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<Column> columns_;
    RowTexts rows_;
    std::size_t shown_ = 0;  // rows the view has been told of
};

}  // namespace pitbox::ui
