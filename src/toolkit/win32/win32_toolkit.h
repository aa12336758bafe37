#pragma once
#include <map>
#include <string>
#include <vector>

#include "toolkit/toolkit_core.h"
#include "toolkit/win32/gdi_text_painter.h"

struct tagMSG;  // the Win32 MSG, without <windows.h> here

namespace pitbox::ui {

// The toolkit over the Win32 API: numbered windows of our own class, common
// controls as gadgets (a virtual report list view as the table), the core's one
// event queue fed by the message loop. Windows handles are kept as void* so
// that this header needs no <windows.h>.
class Win32Toolkit : public ToolkitCore {
public:
    Win32Toolkit();
    ~Win32Toolkit() override;
    Win32Toolkit(const Win32Toolkit&) = delete;
    Win32Toolkit& operator=(const Win32Toolkit&) = delete;

    void loadFont(int id, const FontSpec& wanted) override;
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
    void setAnchor(int window, int gadget, unsigned anchor) override;
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

    // Called by the window procedures.
    bool quiet() const { return quiet_; }
    // The program lays out at 96 dpi; the screen may have more pixels an inch.
    int dpi() const { return dpi_; }
    int px(int v) const;
    Rect px(Rect r) const;
    int unpx(int v) const;
    // A window's monitor changed its pixels an inch (or the window moved to
    // another's): fonts and layout follow, the window taking `suggested`.
    void dpiChanged(int window, int dpi, const void* suggested);
    // Draws the picture an image gadget shows.
    void paintImage(int window, int gadget, void* dc);
    void windowResized(int window, int width, int height);
    // A table's column got a new width, from the user or from us.
    void columnResized(int window, int gadget, int column);
    // A cell's text as a table of ours shows it: cut in its middle to fit a
    // column that asks for that.
    std::wstring shownCell(void* view, int column, std::wstring text) const;
    // The whole text of the cut cell under the mouse in a table, for its
    // tooltip; empty where nothing was cut.
    std::wstring cellTip(void* view) const;
    // The user may have changed a table's selection: reported, and taken into
    // the table's rows before the report is taken.
    void tableTouched(int window, int gadget);
    // A drag begun in a table: the selected rows' files go out as copies.
    void dragRowsOut(int window, int gadget);
    // Whether a drag of ours is under way (its drop on our windows is none).
    bool draggingOut() const { return draggingOut_; }
    // A mouse message from the queue: a table's tooltip is given it, and
    // follows the mouse from cell to cell.
    void mouseMessage(const tagMSG& msg);
    // Draws an image button (a DRAWITEMSTRUCT): its frame, pressed or not, and
    // its picture, greyed while it is disabled.
    void drawImageButton(int window, const void* drawItem);

protected:
    void pictureChanged(int id) override;

private:
    // A text field's window and the gadget Down moves on to.
    struct Field {
        int window = -1, downTo = -1;
    };
    void* place(int window, int gadget, const wchar_t* className, unsigned long style, unsigned long exStyle, Rect r);
    // Takes one message off the queue, if there is one, and hands it on.
    bool pumpOne();
    // Waits at most `milliseconds` (INFINITE: for ever) for a message or a wake.
    void waitForInput(unsigned long milliseconds);
    bool fieldKey(const void* message);
    bool ruledKey(const void* message);
    // Gives a table's last column the room the others leave.
    void fitLastColumn(int window, int gadget);
    // Fonts and the gadgets' fonts made again for dpi_, the columns scaled.
    void applyDpi(int dpi);
    void scaleColumns(int oldDpi);
    // The list views' selections the user changed, copied into their rows.
    void takeTouchedSelections();
    // A table's rows' selection drawn in its list view.
    void drawSelection(int window, int gadget);
    void setFont(void* gadget, int font);
    Event take();
    void* dialogOwner() const;

    GdiTextPainter text_;
    std::map<int, void*> fonts_;         // HFONT by id, at dpi_
    std::map<int, FontSpec> fontSpecs_;  // what each was asked as
    void* dialogFont_ = nullptr;         // the system's dialog font at dpi_
    std::map<void*, int> gadgetFonts_;   // the font of each gadget that has one (kDialogFont)
    int dpi_ = 96;
    bool draggingOut_ = false;
    std::vector<std::pair<int, int>> tables_;  // window and gadget of each table made
    // Tables whose selection the user changed since the last event was taken.
    std::vector<std::pair<int, int>> touched_;
    // A table whose columns cut texts in the middle: which do, its tooltip,
    // and the cell the mouse was over.
    struct CutColumns {
        int window = -1, gadget = -1;
        std::vector<bool> middle;
        void* tip = nullptr;
        int row = -1, column = -1;
    };
    std::map<void*, CutColumns> cutColumns_;  // by the table's HWND
    static constexpr int kDialogFont = -1;
    std::map<int, void*> buttonBitmaps_;  // HBITMAP by picture id
    std::map<int, void*> greyBitmaps_;    // the same, greyed for a disabled button
    std::map<void*, Field> fields_;       // text fields by HWND
    bool quiet_ = false;                  // programmatic changes report nothing
    bool quit_ = false;                   // the queue said to quit
    void* wakeEvent_ = nullptr;           // set by wake(), from any thread
};

}  // namespace pitbox::ui
