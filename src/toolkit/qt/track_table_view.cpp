#include "toolkit/qt/track_table_view.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <algorithm>

#include "toolkit/qt/file_urls.h"
#include "toolkit/qt/row_table_model.h"

namespace pitbox::ui {
namespace {

// Paints a row as selected when the view's own flags say so.
class SelectionDelegate : public QStyledItemDelegate {
public:
    explicit SelectionDelegate(TrackTableView* view) : QStyledItemDelegate(view), view_(view) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (view_->isRowSelected(index.row()))
            option->state |= QStyle::State_Selected;
        else
            option->state &= ~QStyle::State_Selected;
    }

private:
    TrackTableView* view_;
};

}  // namespace

TrackTableView::TrackTableView(QWidget* parent) : QTableView(parent) {
    setSelectionMode(QAbstractItemView::NoSelection);
    setItemDelegate(new SelectionDelegate(this));
}

RowTableModel* TrackTableView::rows() const { return static_cast<RowTableModel*>(model()); }

int TrackTableView::count() const { return rows() ? static_cast<int>(rows()->size()) : 0; }

bool TrackTableView::isRowSelected(int row) const {
    return row >= 0 && row < count() && rows()->source()->isSelected(static_cast<std::size_t>(row));
}

void TrackTableView::rowsReset() { anchor_ = -1; }

void TrackTableView::clearAll() {
    if (count() > 0) rows()->source()->clearSelection();
}

void TrackTableView::selectRange(int from, int to) {
    if (from > to) std::swap(from, to);
    from = std::max(from, 0);
    to = std::min(to, count() - 1);
    if (from <= to) rows()->source()->setSelected(static_cast<std::size_t>(from), static_cast<std::size_t>(to), true);
}

void TrackTableView::toggle(int row) {
    const auto at = static_cast<std::size_t>(row);
    rows()->source()->setSelected(at, at, !isRowSelected(row));
}

void TrackTableView::setFocusRow(int row) {
    const QModelIndex at = model()->index(row, currentIndex().isValid() ? currentIndex().column() : 0);
    selectionModel()->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
    scrollTo(at);
}

void TrackTableView::changed() {
    viewport()->update();
    if (onUserChange) onUserChange();
}

void TrackTableView::showSelection(std::size_t focus) {
    if (focus < static_cast<std::size_t>(count())) {
        anchor_ = static_cast<int>(focus);
        const QModelIndex at = model()->index(anchor_, 0);
        selectionModel()->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
        scrollTo(at);
    }
    viewport()->update();
}

void TrackTableView::mousePressEvent(QMouseEvent* e) {
    const QModelIndex at = indexAt(e->position().toPoint());
    const Qt::KeyboardModifiers mods = e->modifiers();
    pressedSelected_ = -1;
    if (e->button() == Qt::LeftButton && mods == Qt::NoModifier && at.isValid() && isRowSelected(at.row())) {
        // It may be the start of a drag of the whole selection.
        pressedSelected_ = at.row();
        pressedAt_ = e->position().toPoint();
    } else if (e->button() == Qt::LeftButton || !isRowSelected(at.row())) {
        if (!at.isValid()) {
            // A click below the last row: nothing stays selected.
            if (!(mods & (Qt::ControlModifier | Qt::ShiftModifier))) clearAll();
        } else if (mods & Qt::ShiftModifier) {
            if (!(mods & Qt::ControlModifier)) clearAll();
            selectRange(anchor_ >= 0 ? anchor_ : at.row(), at.row());
        } else if (mods & Qt::ControlModifier) {
            toggle(at.row());
            anchor_ = at.row();
        } else {
            clearAll();
            selectRange(at.row(), at.row());
            anchor_ = at.row();
        }
    }
    if (at.isValid()) selectionModel()->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
    setFocus(Qt::MouseFocusReason);
    changed();
    // Qt's own handling for the rest (double clicks, the context menu), with no
    // selection of its own.
    QTableView::mousePressEvent(e);
}

QMimeData* TrackTableView::dragData() const {
    const std::vector<std::string> files =
        rows() && rows()->source() ? rows()->source()->dragFiles() : std::vector<std::string>();
    return files.empty() ? nullptr : fileDragData(files);
}

void TrackTableView::mouseMoveEvent(QMouseEvent* e) {
    if (pressedSelected_ >= 0 && (e->buttons() & Qt::LeftButton)) {
        if ((e->position().toPoint() - pressedAt_).manhattanLength() < QApplication::startDragDistance()) return;
        pressedSelected_ = -1;
        if (QMimeData* carried = dragData()) {
            auto* drag = new QDrag(this);
            drag->setMimeData(carried);
            drag->exec(Qt::CopyAction, Qt::CopyAction);
            return;
        }
        // Rows that name no files extend the selection as any drag does.
    }
    // Dragging with the button held extends the selection from the anchor.
    if ((e->buttons() & Qt::LeftButton) && anchor_ >= 0) {
        const QModelIndex at = indexAt(e->position().toPoint());
        if (at.isValid() && at != currentIndex()) {
            if (!(e->modifiers() & Qt::ControlModifier)) clearAll();
            selectRange(anchor_, at.row());
            setFocusRow(at.row());
            changed();
        }
        return;
    }
    QTableView::mouseMoveEvent(e);
}

void TrackTableView::mouseReleaseEvent(QMouseEvent* e) {
    if (pressedSelected_ >= 0) {
        // A click on a selected row that did not drag: that row alone.
        clearAll();
        selectRange(pressedSelected_, pressedSelected_);
        anchor_ = pressedSelected_;
        pressedSelected_ = -1;
        changed();
    }
    QTableView::mouseReleaseEvent(e);
}

void TrackTableView::resizeEvent(QResizeEvent* e) {
    QTableView::resizeEvent(e);
    if (onResized) onResized();
}

void TrackTableView::keyPressEvent(QKeyEvent* e) {
    const Qt::KeyboardModifiers mods = e->modifiers();
    const bool control = mods & Qt::ControlModifier;
    if (e->matches(QKeySequence::SelectAll)) {
        selectRange(0, count() - 1);
        changed();
        return;
    }
    if (control && e->key() == Qt::Key_Space && currentIndex().isValid()) {
        toggle(currentIndex().row());
        anchor_ = currentIndex().row();
        changed();
        return;
    }
    CursorAction action{};
    switch (e->key()) {
        case Qt::Key_Up: action = MoveUp; break;
        case Qt::Key_Down: action = MoveDown; break;
        case Qt::Key_PageUp: action = MovePageUp; break;
        case Qt::Key_PageDown: action = MovePageDown; break;
        case Qt::Key_Home: action = MoveHome; break;
        case Qt::Key_End: action = MoveEnd; break;
        default: QTableView::keyPressEvent(e); return;
    }
    if (count() == 0) return;
    const QModelIndex next = currentIndex().isValid() ? moveCursor(action, mods) : model()->index(0, 0);
    if (!next.isValid()) return;
    const int row = next.row();
    if (mods & Qt::ShiftModifier) {
        if (anchor_ < 0) anchor_ = currentIndex().isValid() ? currentIndex().row() : row;
        if (!control) clearAll();
        selectRange(anchor_, row);
    } else if (!control) {
        clearAll();
        selectRange(row, row);
        anchor_ = row;
    }
    setFocusRow(row);
    changed();
}

void TrackTableView::keyboardSearch(const QString& typed) {
    const int n = count();
    if (n == 0 || typed.isEmpty()) return;
    if (!typing_.isValid() || typing_.elapsed() > QApplication::keyboardInputInterval()) search_.clear();
    typing_.start();
    search_ += typed;
    // A repeated single letter steps on to the next row that starts with it.
    const bool stepOn = search_.count(search_[0]) == search_.size();
    const QString wanted = stepOn ? search_.left(1) : search_;
    const int from = currentIndex().isValid() ? currentIndex().row() + (stepOn ? 1 : 0) : 0;
    const auto found = rows()->findRow(wanted, static_cast<std::size_t>(from));
    if (!found) return;
    const int row = static_cast<int>(*found);
    clearAll();
    selectRange(row, row);
    anchor_ = row;
    setFocusRow(row);
    changed();
}

}  // namespace pitbox::ui
