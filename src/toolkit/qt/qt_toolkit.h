#pragma once
#include <QPointer>
#include <QWidget>

#include "toolkit/qt/qt_text_painter.h"
#include "toolkit/toolkit_core.h"

class QTableView;

class QAbstractButton;

namespace pitbox::ui {

// The toolkit over Qt Widgets. Qt's signals become events on the core's queue,
// which the program's own loops take with waitEvent. Needs a QApplication.
class QtToolkit : public ToolkitCore {
public:
    QtToolkit() = default;
    ~QtToolkit() override;
    QtToolkit(const QtToolkit&) = delete;
    QtToolkit& operator=(const QtToolkit&) = delete;

    // For tests and the window system: the widgets behind the numbers.
    QWidget* windowWidget(int window) const { return static_cast<QWidget*>(windowHandle(window)); }
    QWidget* gadgetWidget(int window, int gadget) const { return static_cast<QWidget*>(gadgetHandle(window, gadget)); }
    QTableView* tableView(int window, int gadget) const;

    void loadFont(int id, const FontSpec& wanted) override { text_.loadFont(id, wanted); }
    void drawText(Picture& picture, int font, int x, int y, const std::string& utf8, Colour front,
                  Colour back) override {
        text_.drawText(picture, font, x, y, utf8, front, back);
    }
    void openWindow(const WindowSpec& layout) override;
    void closeWindow(int window) override;
    void setTitle(int window, const std::string& title) override;
    void raiseWindow(int window) override;
    bool shiftHeld() const override;
    WindowPlace windowPlace(int window) const override;
    void placeWindow(int window, const WindowPlace& place) override;
    std::vector<int> columnWidths(int window, int gadget) const override;
    void setColumnWidths(int window, int gadget, const std::vector<int>& widths) override;
    void addTable(int window, int gadget, Rect r, const std::vector<Column>& columns) override;
    void addImageButton(int window, int gadget, Rect r, int picture) override;
    void addText(int window, int gadget, Rect r, Align align, int font) override;
    void addImage(int window, int gadget, Rect r, int picture) override;
    void addTextButton(int window, int gadget, Rect r, const std::string& caption) override;
    void addTextField(int window, int gadget, Rect r, int downTo, const std::string& hint) override;
    void addProgressBar(int window, int gadget, Rect r) override;
    void setButtonPicture(int window, int gadget, int picture) override;
    void showProgress(int window, int gadget, std::size_t done, std::size_t total) override;
    void hideProgress(int window, int gadget) override;
    void setText(int window, int gadget, const std::string& text) override;
    std::string text(int window, int gadget) const override;
    void setEnabled(int window, int gadget, bool enabled) override;
    void setFocus(int window, int gadget) override;
    void setTableRows(int window, int gadget, TableRows* rows) override;
    void refreshTable(int window, int gadget) override;
    void showTableSelection(int window, int gadget, std::size_t focus) override;
    void setSortIndicator(int window, int gadget, int column, bool ascending) override;
    void wake() override;
    Event waitEvent() override;
    Event waitEvent(int milliseconds) override;
    void sleep(int milliseconds) override;
    std::string folderRequester(const std::string& title, const std::string& startFolder) override;
    SaveAnswer saveFileRequester(const std::string& title, const std::string& proposedPath,
                                 const std::vector<FileFilter>& types) override;
    void addCheckBox(int window, int gadget, Rect r, const std::string& caption) override;
    void setChecked(int window, int gadget, bool checked) override;
    bool isChecked(int window, int gadget) const override;
    bool questionRequester(const std::string& title, const std::string& question, const std::string& action) override;
    std::string textRequester(const std::string& title, const std::string& message,
                              const std::string& initial) override;

    // Called by a window that was resized.
    void windowResized(int window, int width, int height);
    // Whether table changes come from the program, which reports nothing.
    bool quiet() const { return quiet_; }

protected:
    void pictureChanged(int id) override;

private:
    // Gives a table's last column the room the others leave.
    void fitLastColumn(int window, int gadget);
    QWidget* dialogParent() const;
    QWidget* place(int window, int gadget, QWidget* w, Rect r);
    // A button of text (a push button, a check box) whose clicks are reported.
    void placeButton(int window, int gadget, QAbstractButton* button, Rect r);

    QtTextPainter text_;
    QObject wakeTarget_;               // wake()'s queued calls die with the toolkit
    QPointer<QWidget> disabledFocus_;  // a gadget disabled while it had the focus
    bool quiet_ = false;
};

}  // namespace pitbox::ui
