// The Win32 backend under Wine in an X server: real windows and controls,
// driven and read back through the Win32 API. The behaviours both backends
// share run here through the Win32 driver; what is Win32's own follows.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <algorithm>

#include "platform/utf16.h"
#include "support/backend_behaviours.h"
#include "toolkit/win32/win32_drag_drop.h"
#include "toolkit/win32/win32_toolkit.h"

namespace pitbox::test {
namespace {

// COM's interfaces have no virtual destructors: objects go by Release.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// A drop target that keeps the files dropped on it and the effects offered.
class DropTarget final : public IDropTarget {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        *effect &= DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect &= DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        offered = *effect;
        FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        if (data->GetData(&format, &medium) == S_OK) {
            files = ui::win32::droppedFiles(static_cast<HDROP>(medium.hGlobal));
            ReleaseStgMedium(&medium);
        }
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
    std::vector<std::string> files;
    DWORD offered = 0;
};

class Win32Driver : public BackendDriver {
public:
    Win32Driver() : state_(tk_) { startUp(state_, "C:\\"); }
    ui::Toolkit& tk() override { return tk_; }
    AppState& state() override { return state_; }
    HWND handle(int gadget) const { return static_cast<HWND>(tk_.gadgetHandle(ids::kMainWindow, gadget)); }
    HWND window(int number) const { return static_cast<HWND>(tk_.windowHandle(number)); }

    ui::Rect place(int gadget) override {
        RECT r{};
        GetWindowRect(handle(gadget), &r);
        MapWindowPoints(nullptr, window(ids::kMainWindow), reinterpret_cast<POINT*>(&r), 2);
        return {r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
    std::pair<int, int> clientSize(int number) override {
        RECT r{};
        GetClientRect(window(number), &r);
        return {r.right, r.bottom};
    }
    std::pair<int, int> frameCentre(int number) override {
        RECT r{};
        GetWindowRect(window(number), &r);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void resizeClient(int width, int height) override {
        RECT frame{};
        GetWindowRect(window(ids::kMainWindow), &frame);
        const auto [w, h] = clientSize(ids::kMainWindow);
        SetWindowPos(window(ids::kMainWindow), nullptr, 0, 0, frame.right - frame.left - w + width,
                     frame.bottom - frame.top - h + height, SWP_NOMOVE | SWP_NOZORDER);
    }
    int focused() override { return idOf(GetFocus()); }
    void focus(int gadget) override {
        SetForegroundWindow(window(ids::kMainWindow));
        SetFocus(handle(gadget));
    }
    int tabFrom(int gadget, bool backwards) override {
        return idOf(GetNextDlgTabItem(window(ids::kMainWindow), handle(gadget), backwards));
    }
    void click(int number, int gadget) override {
        PostMessageW(static_cast<HWND>(tk_.gadgetHandle(number, gadget)), BM_CLICK, 0, 0);
    }
    void clickHeader(int column) override {
        HWND header = ListView_GetHeader(handle(ids::kTable));
        RECT r{};
        Header_GetItemRect(header, column, &r);
        SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 5, 5));
        SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 5, 5));
    }
    void closeBox(int number) override { PostMessageW(window(number), WM_CLOSE, 0, 0); }
    void press(int number, int gadget, ui::Key key) override {
        HWND target = gadget >= 0 ? static_cast<HWND>(tk_.gadgetHandle(number, gadget)) : window(number);
        PostMessageW(target, WM_KEYDOWN, virtualKey(key), 0);
    }
    // As the keyboard sends them.
    void pressControl(char letter) override {
        INPUT keys[4] = {};
        for (INPUT& k : keys) k.type = INPUT_KEYBOARD;
        keys[0].ki.wVk = VK_CONTROL;
        keys[1].ki.wVk = static_cast<unsigned char>(letter);
        keys[2].ki.wVk = static_cast<unsigned char>(letter);
        keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
        keys[3].ki.wVk = VK_CONTROL;
        keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(4, keys, sizeof(INPUT));
    }
    void type(const std::string& text) override {
        for (char c : text) SendMessageW(handle(ids::kFilter), WM_CHAR, static_cast<WPARAM>(c), 0);
    }
    void selectRow(std::size_t row, bool control) override {
        HWND table = handle(ids::kTable);
        if (!control) ListView_SetItemState(table, -1, 0, LVIS_SELECTED);
        ListView_SetItemState(table, static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
    }
    std::string title(int number) override {
        wchar_t text[128] = {};
        GetWindowTextW(window(number), text, 128);
        return platform::narrow(text);
    }
    std::size_t rowsShown() override { return static_cast<std::size_t>(ListView_GetItemCount(handle(ids::kTable))); }
    std::vector<std::size_t> rowsShownSelected() override {
        std::vector<std::size_t> rows;
        HWND table = handle(ids::kTable);
        for (int i = ListView_GetNextItem(table, -1, LVNI_SELECTED); i >= 0;
             i = ListView_GetNextItem(table, i, LVNI_SELECTED))
            rows.push_back(static_cast<std::size_t>(i));
        return rows;
    }
    // A real drag: the table's LVN_BEGINDRAG, OLE's drag loop, and a drop
    // target of another window under the mouse, which takes what comes as
    // Explorer does, and only where a copy is offered alone.
    std::vector<std::string> draggedFiles() override {
        DropTarget target;
        HWND under = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE | SS_NOTIFY, 0, 0, 100, 100,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        RegisterDragDrop(under, &target);
        SetCursorPos(50, 50);
        NMLISTVIEW begin{};
        begin.hdr = {handle(ids::kTable), static_cast<UINT_PTR>(ids::kTable), LVN_BEGINDRAG};
        begin.iItem = 0;
        SendMessageW(window(ids::kMainWindow), WM_NOTIFY, ids::kTable, reinterpret_cast<LPARAM>(&begin));
        RevokeDragDrop(under);
        DestroyWindow(under);
        return target.offered == DROPEFFECT_COPY ? target.files : std::vector<std::string>{"offered more than a copy"};
    }
    // As Explorer drops on a window that takes files.
    void dropFiles(int number, const std::vector<std::string>& paths) override {
        if (!(GetWindowLongPtrW(window(number), GWL_EXSTYLE) & WS_EX_ACCEPTFILES)) return;
        PostMessageW(window(number), WM_DROPFILES, reinterpret_cast<WPARAM>(ui::win32::fileDropHandle(paths)), 0);
    }
    int shownColumnWidth(std::size_t column) override {
        return ListView_GetColumnWidth(handle(ids::kTable), static_cast<int>(column));
    }
    std::string cell(std::size_t row, std::size_t column) override {
        wchar_t text[256] = {};
        ListView_GetItemText(handle(ids::kTable), static_cast<int>(row), static_cast<int>(column), text, 256);
        return platform::narrow(text);
    }
    bool sortShownDescending() override {
        HWND header = ListView_GetHeader(handle(ids::kTable));
        for (int c = 0; c < Header_GetItemCount(header); ++c) {
            HDITEMW item{};
            item.mask = HDI_FORMAT;
            Header_GetItem(header, c, &item);
            if (item.fmt & HDF_SORTDOWN) return true;
        }
        return false;
    }

private:
    int idOf(HWND control) const {
        for (const auto& g : kMainWindowGadgets)
            if (handle(g.id) == control) return g.id;
        return -1;
    }
    static WPARAM virtualKey(ui::Key key) {
        switch (key) {
            case ui::Key::Up: return VK_UP;
            case ui::Key::Down: return VK_DOWN;
            case ui::Key::Left: return VK_LEFT;
            case ui::Key::Right: return VK_RIGHT;
            case ui::Key::PageUp: return VK_PRIOR;
            case ui::Key::PageDown: return VK_NEXT;
            case ui::Key::Escape: return VK_ESCAPE;
            case ui::Key::Delete: return VK_DELETE;
            case ui::Key::None: break;
        }
        return 0;
    }

public:
    ui::Win32Toolkit tk_;

private:
    AppState state_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, Backend, Win32Driver);

class Win32App : public ::testing::Test {
protected:
    Win32Driver d;
};

// Win32's own: the window and the list view's styles.
TEST_F(Win32App, MainWindowAsWin32HasIt) {
    HWND w = d.window(ids::kMainWindow);
    RECT frame{};
    GetWindowRect(w, &frame);
    if (d.tk_.dpi() == 96) {  // scaled, it may need the room
        EXPECT_EQ(frame.left, 10);
        EXPECT_EQ(frame.top, 10);
    }
    const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_SYSMENU);
    HWND table = d.handle(ids::kTable);
    EXPECT_TRUE(GetWindowLongPtrW(table, GWL_STYLE) & LVS_OWNERDATA);
    EXPECT_TRUE(GetWindowLongPtrW(table, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(ListView_GetExtendedListViewStyle(table) & LVS_EX_FULLROWSELECT);
    EXPECT_FALSE(GetWindowLongPtrW(d.handle(ids::kStatusLine1), GWL_STYLE) & WS_TABSTOP);
}

// Every caption fits its button at every scale: measured with the font it is
// drawn in, with room for the button's edges.
TEST_F(Win32App, EveryCaptionFitsItsButton) {
    for (const int gadget : {ids::kSaveCatalogue, ids::kMoveToTrash, ids::kSelectExtras, ids::kDuplicates}) {
        HWND button = d.handle(gadget);
        wchar_t caption[64] = {};
        const int length = GetWindowTextW(button, caption, 64);
        ASSERT_GT(length, 0);
        HDC dc = GetDC(button);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
        SIZE text{};
        GetTextExtentPoint32W(dc, caption, length, &text);
        SelectObject(dc, old);
        ReleaseDC(button, dc);
        RECT r{};
        GetClientRect(button, &r);
        EXPECT_LE(text.cx + 2 * GetSystemMetrics(SM_CXEDGE) + 4, r.right) << gadget;
        EXPECT_LE(text.cy, r.bottom) << gadget;
    }
}

// The paths, which begin alike, are cut in the middle, keeping their file
// names, and show whole as a tooltip over the cell; a path that fits is
// shown whole and has none.
TEST_F(Win32App, PathsAreCutInTheMiddleAndShowWholeAsATip) {
    AppState& s = d.state();
    for (const char* path : {"C:\\Kestrun\\Library\\Season Three\\Week One\\Green Ring.trk", "C:\\a.trk"}) {
        TrackEntry& e = s.catalogue.append();
        s.catalogue.setText(e.name, "x");
        s.catalogue.setPath(e, path);
    }
    s.view.reset(s.catalogue);
    fillList(s);
    d.tk().setColumnWidths(ids::kMainWindow, ids::kTable, {150, 60, 60, 200, 200, 160});
    d.resizeClient(980, 600);
    d.tk().waitEvent(20);
    HWND view = d.handle(ids::kTable);
    wchar_t shown[300] = {};
    ListView_GetItemText(view, 0, 5, shown, 300);
    const std::wstring text = shown;
    EXPECT_NE(text.find(L"..."), std::wstring::npos) << platform::narrow(text);
    EXPECT_TRUE(text.ends_with(L"\\Green Ring.trk")) << platform::narrow(text);
    EXPECT_TRUE(text.starts_with(L"C:\\")) << platform::narrow(text);
    RECT cell{};
    ListView_GetSubItemRect(view, 0, 5, LVIR_LABEL, &cell);
    POINT at{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(view, &at);
    SetCursorPos(at.x, at.y);
    EXPECT_EQ(d.tk_.cellTip(view), L"C:\\Kestrun\\Library\\Season Three\\Week One\\Green Ring.trk");
    // The mouse resting there shows the tip: the table's mouse messages reach it.
    const auto tipShown = [] {
        bool visible = false;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND w, LPARAM found) -> BOOL {
                wchar_t kind[32] = {};
                GetClassNameW(w, kind, 32);
                if (std::wstring_view(kind) == TOOLTIPS_CLASSW && IsWindowVisible(w))
                    *reinterpret_cast<bool*>(found) = true;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&visible));
        return visible;
    };
    // Each move starts the tip's wait anew: one move, then the wait.
    PostMessageW(view, WM_MOUSEMOVE, 0, MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2));
    for (int turn = 0; turn < 30 && !tipShown(); ++turn) d.tk().waitEvent(100);
    EXPECT_TRUE(tipShown());
    ListView_GetItemText(view, 1, 5, shown, 300);
    EXPECT_EQ(std::wstring(shown), L"C:\\a.trk");
    ListView_GetSubItemRect(view, 1, 5, LVIR_LABEL, &cell);
    at = {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(view, &at);
    SetCursorPos(at.x, at.y);
    EXPECT_EQ(d.tk_.cellTip(view), L"");
}

// Typing in the table finds the first row, from the start given, whose name
// begins with the letters typed (the list view asks its owner: its rows are virtual).
TEST_F(Win32App, TypingFindsARowByItsName) {
    fillWith(d.state(), {"alpha", "Beta", "bravo", "charlie"});
    d.tk().waitEvent(20);  // the rows reach the view
    const std::pair<const wchar_t*, int> cases[] = {{L"br", 2}, {L"BE", 1}, {L"c", 3}, {L"x", -1}, {L"alphas", -1}};
    for (const auto& [typed, row] : cases) {
        LVFINDINFOW find{};
        find.flags = LVFI_STRING | LVFI_PARTIAL;
        find.psz = typed;
        EXPECT_EQ(ListView_FindItem(d.handle(ids::kTable), -1, &find), row) << row;
    }
}

// The program lays out at 96 dpi; the window scales that by the screen's
// pixels an inch (PITBOX_TEST_DPI says what the test run set, 96 if nothing):
// client area, gadgets, fonts, columns, least size. The track picture keeps
// its pixels, at the whole-number scale the gadget has room for, centred.
TEST_F(Win32App, TheLayoutFollowsTheScreensPixelsAnInch) {
    const char* asked = std::getenv("PITBOX_TEST_DPI");
    const int dpi = asked ? std::atoi(asked) : 96;
    ASSERT_EQ(d.tk_.dpi(), dpi);
    const auto px = [dpi](int v) { return MulDiv(v, dpi, 96); };
    // Wholly on the screen, shrunk towards the least size where the scaled
    // layout is larger than the screen's work area.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(d.window(ids::kMainWindow), MONITOR_DEFAULTTONEAREST), &monitor);
    RECT frame{};
    GetWindowRect(d.window(ids::kMainWindow), &frame);
    const RECT& work = monitor.rcWork;
    EXPECT_GE(frame.left, work.left);
    EXPECT_GE(frame.top, work.top);
    EXPECT_TRUE(frame.right <= work.right || frame.left == work.left) << frame.right;
    EXPECT_TRUE(frame.bottom <= work.bottom || frame.top == work.top) << frame.bottom;
    const auto [width, height] = d.clientSize(ids::kMainWindow);
    const int frameHeight = frame.bottom - frame.top - height, frameWidth = frame.right - frame.left - width;
    const auto fitted = [](int wanted, int least, LONG room) {
        return std::max(least, std::min(wanted, static_cast<int>(room)));
    };
    EXPECT_EQ(width, fitted(px(1000), px(980), work.right - work.left - frameWidth));
    EXPECT_EQ(height, fitted(px(720), px(360), work.bottom - work.top - frameHeight));
    const ui::Rect shown = d.place(ids::kSortLength);  // the bottom right gadget, in the window
    EXPECT_LE(shown.y + shown.height, height);
    EXPECT_LE(shown.x + shown.width, width);
    d.resizeClient(px(1000), px(720));
    const ui::Rect load = d.place(ids::kLoad);
    EXPECT_EQ(std::tie(load.x, load.width), std::make_tuple(px(15), px(90)));
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(d.handle(ids::kStatusLine1), WM_GETFONT, 0, 0)), sizeof font,
               &font);
    EXPECT_EQ(font.lfHeight, -MulDiv(12, dpi, 72));
    d.tk().setColumnWidths(ids::kMainWindow, ids::kTable, {150});
    EXPECT_EQ(ListView_GetColumnWidth(d.handle(ids::kTable), 0), px(150));
    EXPECT_EQ(d.tk().columnWidths(ids::kMainWindow, ids::kTable).front(), 150);
    d.resizeClient(100, 100);
    EXPECT_EQ(d.clientSize(ids::kMainWindow), std::make_pair(px(980), px(360)));

    const raster::Colour colour = raster::rgb(200, 30, 40);
    d.tk().setPicture(ids::kPreviewPicture, raster::Picture(512, 560, colour));
    d.tk().openWindow({ids::kViewerWindow, "a.trk", 0, 0, 532, 580, ids::kMainWindow, true});
    d.tk().addImage(ids::kViewerWindow, ids::kViewerImage, {10, 10, 512, 560}, ids::kPreviewPicture);
    d.tk().setAnchor(ids::kViewerWindow, ids::kViewerImage, ui::kGrowWidth | ui::kGrowHeight);
    d.tk().waitEvent(20);
    HWND image = static_cast<HWND>(d.tk_.gadgetHandle(ids::kViewerWindow, ids::kViewerImage));
    UpdateWindow(image);
    // As large as the screen lets the viewer be: at the scale it has room for.
    RECT room{};
    GetClientRect(image, &room);
    EXPECT_EQ(room.right, std::min(px(512), static_cast<int>(room.right)));
    const int scale = std::max(1, static_cast<int>(std::min(room.right / 512, room.bottom / 560)));
    const int left = (room.right - 512 * scale) / 2, top = (room.bottom - 560 * scale) / 2;
    HDC dc = GetDC(image);
    const COLORREF red = RGB(200, 30, 40);
    EXPECT_EQ(GetPixel(dc, left, top), red);
    EXPECT_EQ(GetPixel(dc, left + 512 * scale - 1, top + 560 * scale - 1), red);
    if (left > 0) {
        EXPECT_NE(GetPixel(dc, left - 1, top), red);  // the gadget's room beyond the picture
    }
    ReleaseDC(image, dc);
}

}  // namespace
}  // namespace pitbox::test
