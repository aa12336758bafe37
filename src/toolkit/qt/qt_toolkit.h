#pragma once
#include <QPointer>
#include <QWidget>
#include <deque>
#include <map>

#include "toolkit/qt/qt_text_painter.h"
#include "toolkit/toolkit.h"

class QTableView;

namespace pitbox::ui {

class RowTableModel;

// The toolkit over Qt Widgets. Qt's signals become events on one queue, which the
// program's own loops take with waitEvent. Needs a QApplication.
class QtToolkit : public Toolkit {
public:
    QtToolkit();
    ~QtToolkit() override;

    // For tests and the window system: the widgets behind the numbers.
    QWidget* windowWidget(int window) const;
    QWidget* gadgetWidget(int window, int gadget) const;
    QTableView* tableView(int window, int gadget) const;
    std::size_t queuedEvents() const { return queue_.size(); }

    void loadFont(int id, const FontSpec& wanted) override { text_.loadFont(id, wanted); }
    void drawText(Picture& picture, int font, int x, int y, const std::string& utf8, Colour front,
                  Colour back) override {
        text_.drawText(picture, font, x, y, utf8, front, back);
    }
    void openWindow(const WindowSpec& layout) override;
    void closeWindow(int window) override;
    bool isWindowOpen(int window) const override { return windows_.count(window) != 0; }
    void addTable(int window, int gadget, Rect r, const std::vector<Column>& columns) override;
    void addImageButton(int window, int gadget, Rect r, int picture) override;
    void addText(int window, int gadget, Rect r, Align align, int font) override;
    void addImage(int window, int gadget, Rect r, int picture) override;
    void setText(int window, int gadget, const std::string& text) override;
    std::string text(int window, int gadget) const override;
    void setEnabled(int window, int gadget, bool enabled) override;
    void setFocus(int window, int gadget) override;
    void clearRows(int window, int gadget) override;
    void appendRow(int window, int gadget, std::string_view rowText) override;
    void setRows(int window, int gadget, RowTexts rows) override;
    std::size_t rowCount(int window, int gadget) const override;
    std::vector<std::size_t> selectedRows(int window, int gadget) const override;
    Event waitEvent() override;
    Event waitEvent(int milliseconds) override;
    void sleep(int milliseconds) override;
    void keepPainted() override;
    std::string folderRequester(const std::string& title, const std::string& startFolder) override;
    std::string saveFileRequester(const std::string& title, const std::string& proposedPath,
                                  const std::string& filter) override;
    std::string textRequester(const std::string& title, const std::string& message,
                              const std::string& initial) override;

    void post(Event e);

protected:
    void pictureChanged(int id) override;

private:
    struct Table {
        QTableView* view = nullptr;
        RowTableModel* model = nullptr;
    };
    QWidget* dialogParent() const;
    void place(int window, int gadget, QWidget* w, Rect r);
    Table* table(int window, int gadget) const;
    void flushTables();
    Event pop();

    QtTextPainter text_;
    std::map<int, QPointer<QWidget>> windows_;
    std::map<std::pair<int, int>, QPointer<QWidget>> gadgets_;
    std::map<std::pair<int, int>, Table> tables_;
    std::map<std::pair<int, int>, int> imageGadgets_;  // gadget -> picture it shows
    std::deque<Event> queue_;
    bool dropInput_ = false;
    QPointer<QWidget> disabledFocus_;  // a gadget disabled while it had the focus
    bool quiet_ = false;               // programmatic table changes report nothing
};

}  // namespace pitbox::ui
