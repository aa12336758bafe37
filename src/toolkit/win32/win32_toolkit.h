#pragma once
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"
#include "toolkit/win32/gdi_text_painter.h"

namespace pitbox::ui {

// The toolkit over the Win32 API: numbered windows of our own class, common
// controls as gadgets (a virtual report list view as the table), one event queue
// fed by the message loop. Windows handles are kept as void* so that this header
// needs no <windows.h>.
class Win32Toolkit : public Toolkit {
public:
    Win32Toolkit();
    ~Win32Toolkit() override;
    Win32Toolkit(const Win32Toolkit&) = delete;
    Win32Toolkit& operator=(const Win32Toolkit&) = delete;

    // For tests and the entry: the handles behind the numbers.
    void* windowHandle(int window) const;
    void* gadgetHandle(int window, int gadget) const;
    std::size_t queuedEvents() const { return queue_.size(); }

    void loadFont(int id, const FontSpec& wanted) override;
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

    // Called by the window procedures.
    void post(Event e);
    bool quiet() const { return quiet_; }
    const RowTexts* tableRows(int window, int gadget) const;
    const Picture* imagePicture(int window, int gadget) const;

protected:
    void pictureChanged(int id) override;

private:
    struct Table {
        void* view = nullptr;
        RowTexts rows;
        std::size_t shown = 0;  // rows the view has been told of
    };
    void* place(int window, int gadget, const wchar_t* className, unsigned long style, unsigned long exStyle, Rect r);
    Table* table(int window, int gadget);
    const Table* table(int window, int gadget) const;
    void flushTables();
    bool pumpOne(bool wait);
    Event pop();
    void* dialogOwner() const;

    GdiTextPainter text_;
    std::map<int, void*> windows_;                  // HWND by number
    std::map<std::pair<int, int>, void*> gadgets_;  // HWND by (window, gadget)
    std::map<std::pair<int, int>, Table> tables_;
    std::map<std::pair<int, int>, int> imageGadgets_;  // image gadget -> picture it shows
    std::map<int, void*> fonts_;                       // HFONT by id
    std::map<int, void*> buttonBitmaps_;               // HBITMAP by picture id
    std::deque<Event> queue_;
    bool dropInput_ = false;
    bool quiet_ = false;  // programmatic table changes report nothing
};

}  // namespace pitbox::ui
