#pragma once
#include <QElapsedTimer>
#include <QTableView>
#include <cstdint>
#include <functional>
#include <vector>

class QMimeData;

namespace pitbox::ui {

class RowTableModel;

// A table of many rows whose selection is the program's rows' own, asked
// for as rows are painted and changed there as the user clicks: Qt's
// selection model would be a second copy, and it holds a selection as ranges
// of persistent indexes, testing every range for every cell it paints, which
// makes a scattered selection of 50,000 rows (after a sort) cost tens of
// milliseconds a paint.
// Mouse and keys select as an extended selection does: a click selects one
// row, Ctrl toggles, Shift extends from the anchor, Ctrl+A selects all,
// Ctrl+Space toggles the focus row. A press on a selected row that moves on
// drags the selected rows' files out, as copies; one that does not move
// selects that row alone. Typing letters makes the first row from
// the focus row (wrapping round) whose first cell starts with them current.
class TrackTableView : public QTableView {
public:
    explicit TrackTableView(QWidget* parent);

    // Called after every change the user made to the selection or focus row.
    std::function<void()> onUserChange;
    // Called when the view's width changed.
    std::function<void()> onResized;

    // The model's rows changed: a Shift click has nothing to extend from.
    void rowsReset();
    // The program changed the selection: it is painted again, the focus on
    // row `focus` (none for npos).
    void showSelection(std::size_t focus);
    bool isRowSelected(int row) const;

    void keyboardSearch(const QString& typed) override;
    // What a drag of the selected rows carries; none when they name no files.
    QMimeData* dragData() const;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    RowTableModel* rows() const;
    int count() const;
    void clearAll();
    void selectRange(int from, int to);
    void toggle(int row);
    void setFocusRow(int row);
    void changed();

    int anchor_ = -1;
    // A plain press on a selected row: where it was, until it moves (a drag)
    // or ends (a click on that row).
    int pressedSelected_ = -1;
    QPoint pressedAt_;
    QString search_;
    QElapsedTimer typing_;
};

}  // namespace pitbox::ui
