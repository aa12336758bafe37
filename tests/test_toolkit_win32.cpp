// The Win32 backend under Wine in an X server: real windows and controls, read
// back through the Win32 API.
#include <gtest/gtest.h>
#include <windows.h>

#include <tuple>
// After windows.h.
#include <commctrl.h>

#include <cstdlib>

#include "app/app_state.h"
#include "app/ids.h"
#include "app/list_view.h"
#include "app/load_tracks.h"
#include "app/main_window.h"
#include "app/show_track.h"
#include "support/main_window_layout.h"
#include "support/temp_dir.h"
#include "support/wait_for_work.h"
#include "toolkit/win32/win32_toolkit.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

class Win32App : public ::testing::Test {
protected:
    Win32App() : state(tk) { startUp(state, "C:\\"); }
    HWND gadget(int id) const { return static_cast<HWND>(tk.gadgetHandle(ids::kMainWindow, id)); }
    HWND mainWindow() const { return static_cast<HWND>(tk.windowHandle(ids::kMainWindow)); }
    // Where a gadget lies in its window's client area.
    static RECT placeOf(HWND control) {
        RECT r{};
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    ui::Win32Toolkit tk;
    AppState state;
};

TEST_F(Win32App, MainWindowAndGadgetsWhereTheyBelong) {
    HWND w = mainWindow();
    ASSERT_NE(w, nullptr);
    RECT client{}, frame{};
    GetClientRect(w, &client);
    GetWindowRect(w, &frame);
    EXPECT_EQ(client.right, 1000);
    EXPECT_EQ(client.bottom, 720);
    EXPECT_EQ(frame.left, 10);
    EXPECT_EQ(frame.top, 10);
    const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_SYSMENU);
    wchar_t title[64] = {};
    GetWindowTextW(w, title, 64);
    EXPECT_STREQ(title, L"Kestrun Pitbox");
    for (const auto& g : kMainWindowGadgets) {
        ASSERT_NE(gadget(g.id), nullptr) << g.id;
        const RECT r = placeOf(gadget(g.id));
        EXPECT_EQ(r.left, g.rect.x) << g.id;
        EXPECT_EQ(r.top, g.rect.y) << g.id;
        EXPECT_EQ(r.right - r.left, g.rect.width) << g.id;
        EXPECT_EQ(r.bottom - r.top, g.rect.height) << g.id;
    }
    HWND table = gadget(ids::kTable);
    EXPECT_TRUE(GetWindowLongPtrW(table, GWL_STYLE) & LVS_OWNERDATA);
    EXPECT_TRUE(GetWindowLongPtrW(table, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(ListView_GetExtendedListViewStyle(table) & LVS_EX_FULLROWSELECT);
    const int widths[] = {150, 60, 60, 200, 200, 300};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(ListView_GetColumnWidth(table, c), widths[c]) << c;
    EXPECT_FALSE(GetWindowLongPtrW(gadget(ids::kStatusLine1), GWL_STYLE) & WS_TABSTOP);
}

// Grown and at its smallest, every gadget lies where its anchor says.
TEST_F(Win32App, ResizingMovesTheGadgetsByTheirAnchors) {
    HWND w = mainWindow();
    RECT frame{};
    GetWindowRect(w, &frame);
    for (const SIZE grow : {SIZE{500, 300}, SIZE{-600, -600}}) {
        SetWindowPos(w, nullptr, 0, 0, frame.right - frame.left + grow.cx, frame.bottom - frame.top + grow.cy,
                     SWP_NOMOVE | SWP_NOZORDER);
        RECT client{};
        GetClientRect(w, &client);
        EXPECT_GE(client.right, 980);
        EXPECT_GE(client.bottom, 360);
        for (const auto& g : kMainWindowGadgets) {
            const ui::Rect want = ui::anchoredRect(g.rect, g.anchor, 1000, 720, client.right, client.bottom);
            const RECT r = placeOf(gadget(g.id));
            EXPECT_EQ(r.left, want.x) << g.id;
            EXPECT_EQ(r.top, want.y) << g.id;
            EXPECT_EQ(r.right - r.left, want.width) << g.id;
            EXPECT_EQ(r.bottom - r.top, want.height) << g.id;
        }
    }
}

// Tab walks the table and the buttons in the order they were made, wrapping
// around; the texts are passed over.
TEST_F(Win32App, TabOrder) {
    const int order[] = {ids::kFilter,     ids::kDuplicates, ids::kTable,         ids::kShow,
                         ids::kLoad,       ids::kScan,       ids::kSaveList,      ids::kCopy,
                         ids::kSortAuthor, ids::kSortLength, ids::kSortWorldSize, ids::kSortName};
    HWND at = gadget(ids::kFilter);
    for (std::size_t i = 1; i <= std::size(order); ++i) {
        at = GetNextDlgTabItem(mainWindow(), at, FALSE);
        EXPECT_EQ(at, gadget(order[i % std::size(order)])) << i;
    }
    EXPECT_EQ(GetNextDlgTabItem(mainWindow(), gadget(ids::kFilter), TRUE), gadget(ids::kSortName));
}

TEST_F(Win32App, AClickReachesTheDispatch) {
    SendMessageW(gadget(ids::kSortAuthor), BM_CLICK, 0, 0);
    const ui::Event e = tk.waitEvent(1000);
    EXPECT_TRUE(e.isGadget(ids::kMainWindow, ids::kSortAuthor));
    dispatchMainEvent(state, e);
    EXPECT_EQ(state.listName, "tracks_autor");
    EXPECT_EQ(tk.text(ids::kMainWindow, ids::kStatusLine1), "0 Tracks found");
}

TEST_F(Win32App, TheCloseBoxOnlyRequests) {
    PostMessageW(mainWindow(), WM_CLOSE, 0, 0);
    const ui::Event e = tk.waitEvent(1000);
    EXPECT_EQ(e.kind, ui::EventKind::CloseRequest);
    EXPECT_EQ(e.window, ids::kMainWindow);
    EXPECT_TRUE(IsWindow(mainWindow()));
}

TEST_F(Win32App, ClicksDuringALongActionAreDropped) {
    PostMessageW(gadget(ids::kLoad), BM_CLICK, 0, 0);
    tk.keepPainted();
    EXPECT_EQ(tk.waitEvent(20).kind, ui::EventKind::None);
}

TEST_F(Win32App, TableRowsAndSelection) {
    for (int i = 0; i < 5; ++i) {
        TrackEntry& e = state.catalogue.append();
        state.catalogue.setText(e.name, "t" + std::to_string(i));
        state.catalogue.setText(e.path, "C:\\p\\t" + std::to_string(i) + ".trk");
    }
    state.view.reset(state.catalogue);
    fillList(state);
    HWND table = gadget(ids::kTable);
    EXPECT_EQ(ListView_GetItemCount(table), 5);
    wchar_t cell[64] = {};
    ListView_GetItemText(table, 3, 5, cell, 64);
    EXPECT_STREQ(cell, L"C:\\p\\t3.trk");
    ListView_SetItemState(table, 4, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(table, 1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(tk.selectedRows(0, ids::kTable), (std::vector<std::size_t>{1, 4}));
    const ui::Event e = tk.waitEvent(1000);
    EXPECT_TRUE(e.isGadget(0, ids::kTable));
    listEvent(state);
    EXPECT_EQ(tk.text(0, ids::kStatusLine2), "C:\\p\\t1.trk");
    EXPECT_EQ(tk.text(0, ids::kSelectionCounter), "2/5");
    // A click on a column header reports it; sorting keeps the selection in its
    // new rows and reports nothing itself.
    while (tk.waitEvent(20).kind != ui::EventKind::None) {}
    HWND header = ListView_GetHeader(table);
    RECT column{};
    Header_GetItemRect(header, 0, &column);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(column.left + 5, 5));
    SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(column.left + 5, 5));
    const ui::Event click = tk.waitEvent(1000);
    EXPECT_EQ(click.kind, ui::EventKind::HeaderClick);
    EXPECT_EQ(click.column, 0);
    headerSort(state, 0);
    headerSort(state, 0);  // the second click on the same header: descending
    EXPECT_EQ(tk.selectedRows(0, ids::kTable), (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(ListView_GetNextItem(table, -1, LVNI_FOCUSED), 3);
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(header, 0, &item);
    EXPECT_TRUE(item.fmt & HDF_SORTDOWN);
    EXPECT_EQ(tk.waitEvent(20).kind, ui::EventKind::None);
}

// Ctrl and a key, as the keyboard sends them.
void pressWithControl(WORD key) {
    INPUT keys[4] = {};
    for (INPUT& k : keys) k.type = INPUT_KEYBOARD;
    keys[0].ki.wVk = VK_CONTROL;
    keys[1].ki.wVk = key;
    keys[2].ki.wVk = key;
    keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
    keys[3].ki.wVk = VK_CONTROL;
    keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, keys, sizeof(INPUT));
}

// The filter field: typing reports each change; Escape clears it; Down moves
// into the table; Ctrl+F comes back to it.
TEST_F(Win32App, FilterField) {
    for (const char* name : {"alpha", "beta"}) state.catalogue.append().name = name;
    state.view.reset(state.catalogue);
    fillList(state);
    SetForegroundWindow(mainWindow());
    HWND field = gadget(ids::kFilter);
    SetFocus(field);
    SendMessageW(field, WM_CHAR, L'B', 0);
    const ui::Event typed = tk.waitEvent(1000);
    ASSERT_TRUE(typed.isGadget(0, ids::kFilter));
    dispatchMainEvent(state, typed);
    EXPECT_EQ(ListView_GetItemCount(gadget(ids::kTable)), 1);
    EXPECT_EQ(tk.text(0, ids::kStatusLine1), "1 of 2 Tracks shown");
    PostMessageW(field, WM_KEYDOWN, VK_DOWN, 0);
    tk.waitEvent(50);
    EXPECT_EQ(GetFocus(), gadget(ids::kTable));
    pressWithControl('F');
    tk.waitEvent(100);
    EXPECT_EQ(GetFocus(), field);
    PostMessageW(field, WM_KEYDOWN, VK_ESCAPE, 0);
    const ui::Event cleared = tk.waitEvent(1000);
    ASSERT_TRUE(cleared.isGadget(0, ids::kFilter));
    dispatchMainEvent(state, cleared);
    EXPECT_EQ(ListView_GetItemCount(gadget(ids::kTable)), 2);
    EXPECT_TRUE(IsWindow(mainWindow()));
}

// Ctrl+A in the table selects every row and says so.
TEST_F(Win32App, ControlASelectsEveryRow) {
    for (const char* name : {"alpha", "beta", "gamma"}) state.catalogue.setText(state.catalogue.append().name, name);
    state.view.reset(state.catalogue);
    fillList(state);
    SetForegroundWindow(mainWindow());
    SetFocus(gadget(ids::kTable));
    pressWithControl('A');
    ui::Event e = tk.waitEvent(1000);
    while (e.kind != ui::EventKind::None && !e.isGadget(0, ids::kTable)) e = tk.waitEvent(200);
    ASSERT_TRUE(e.isGadget(0, ids::kTable));
    dispatchMainEvent(state, e);
    EXPECT_EQ(tk.text(0, ids::kSelectionCounter), "3/3");
}

// Typing in the table finds the first row, from the start given, whose name
// begins with the letters typed (the list view asks its owner: its rows are virtual).
TEST_F(Win32App, TypingFindsARowByItsName) {
    for (const char* name : {"alpha", "Beta", "bravo", "charlie"}) {
        TrackEntry& e = state.catalogue.append();
        state.catalogue.setText(e.name, name);
        state.catalogue.setText(e.path, std::string("C:\\p\\") + name + ".trk");
    }
    state.view.reset(state.catalogue);
    fillList(state);
    tk.waitEvent(20);  // the rows reach the view
    const std::pair<const wchar_t*, int> cases[] = {{L"br", 2}, {L"BE", 1}, {L"c", 3}, {L"x", -1}, {L"alphas", -1}};
    for (const auto& [typed, row] : cases) {
        LVFINDINFOW find{};
        find.flags = LVFI_STRING | LVFI_PARTIAL;
        find.psz = typed;
        EXPECT_EQ(ListView_FindItem(gadget(ids::kTable), -1, &find), row) << row;
    }
}

// A gadget that lost the focus during an action (a button disabled while it
// worked) gets it back before the next event is awaited.
TEST_F(Win32App, FocusReturnsAfterAnAction) {
    SetForegroundWindow(mainWindow());
    SetFocus(gadget(ids::kScan));
    PostMessageW(mainWindow(), WM_CLOSE, 0, 0);
    ASSERT_EQ(tk.waitEvent(1000).kind, ui::EventKind::CloseRequest);  // the focus is remembered
    tk.setEnabled(ids::kMainWindow, ids::kScan, false);
    ASSERT_NE(GetFocus(), gadget(ids::kScan));
    tk.setEnabled(ids::kMainWindow, ids::kScan, true);
    tk.waitEvent(20);
    EXPECT_EQ(GetFocus(), gadget(ids::kScan));
}

TEST_F(Win32App, AnOwnedWindowCentredOverItsOwner) {
    ui::WindowSpec copyWindow;
    copyWindow.number = ids::kCopyWindow;
    copyWindow.title = "Copy Tracks";
    copyWindow.clientWidth = 600;
    copyWindow.clientHeight = 300;
    copyWindow.owner = ids::kMainWindow;
    copyWindow.centreOnOwner = true;
    tk.openWindow(copyWindow);
    HWND second = static_cast<HWND>(tk.windowHandle(ids::kCopyWindow));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetWindow(second, GW_OWNER), mainWindow());
    RECT client{}, frame{}, owner{};
    GetClientRect(second, &client);
    GetWindowRect(second, &frame);
    GetWindowRect(mainWindow(), &owner);
    EXPECT_EQ(client.right, 600);
    EXPECT_EQ(client.bottom, 300);
    EXPECT_LE(std::abs((frame.left + frame.right) - (owner.left + owner.right)), 2);
    EXPECT_LE(std::abs((frame.top + frame.bottom) - (owner.top + owner.bottom)), 2);
    // Escape asks to close it, as its close box does; in the main window it is a key.
    PostMessageW(mainWindow(), WM_KEYDOWN, VK_ESCAPE, 0);
    const ui::Event escape = tk.waitEvent(50);
    EXPECT_EQ(std::tie(escape.kind, escape.window, escape.key),
              std::make_tuple(ui::EventKind::Key, ids::kMainWindow, ui::Key::Escape));
    PostMessageW(second, WM_KEYDOWN, VK_ESCAPE, 0);
    const ui::Event e = tk.waitEvent(1000);
    EXPECT_EQ(e.kind, ui::EventKind::CloseRequest);
    EXPECT_EQ(e.window, ids::kCopyWindow);
    tk.closeWindow(ids::kCopyWindow);
    EXPECT_FALSE(IsWindow(second));
}

// What the program remembers of the main window comes back as it was; a place
// off every screen is not taken.
TEST_F(Win32App, WindowPlaceAndColumnWidthsComeBack) {
    tk.setColumnWidths(ids::kMainWindow, ids::kTable, {90, 40, 0, 120});
    EXPECT_EQ(tk.columnWidths(ids::kMainWindow, ids::kTable), (std::vector<int>{90, 40, 60, 120, 200, 300}));
    tk.placeWindow(ids::kMainWindow, {30, 40, 1050, 500, false});
    ui::WindowPlace p = tk.windowPlace(ids::kMainWindow);
    EXPECT_EQ(std::tie(p.x, p.y, p.width, p.height, p.maximised), std::make_tuple(30, 40, 1050, 500, false));
    RECT client{};
    GetClientRect(mainWindow(), &client);
    EXPECT_EQ(client.right, 1050);
    tk.placeWindow(ids::kMainWindow, {30000, 40, 1050, 500, false});
    EXPECT_EQ(tk.windowPlace(ids::kMainWindow).x, 30);
}

// The viewer opens centred over the main window wherever that is, takes the
// arrow keys, follows the current track and keeps its place.
TEST_F(Win32App, ViewerCentredOverTheMainWindowFollowsItsKeys) {
    TempDir dir;
    dir.mkdirs("t");
    for (const char* name : {"a.trk", "b.trk"}) saveTrack(dir / "t\\" + name, TrackSpec{});
    loadFolder(state, dir / "t\\");
    waitForWork(state);
    SetWindowPos(mainWindow(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    state.view.selectRows(std::vector<std::size_t>{0});
    showTrack(state);
    HWND viewer = static_cast<HWND>(tk.windowHandle(ids::kViewerWindow));
    ASSERT_NE(viewer, nullptr);
    auto title = [viewer] {
        wchar_t text[64] = {};
        GetWindowTextW(viewer, text, 64);
        return std::wstring(text);
    };
    EXPECT_EQ(title(), L"a.trk");
    RECT frame{}, owner{};
    GetWindowRect(viewer, &frame);
    GetWindowRect(mainWindow(), &owner);
    EXPECT_LE(std::abs((frame.left + frame.right) - (owner.left + owner.right)), 2);
    EXPECT_LE(std::abs((frame.top + frame.bottom) - (owner.top + owner.bottom)), 2);
    for (auto [key, name] : {std::pair<WPARAM, const wchar_t*>{VK_NEXT, L"b.trk"}, {VK_UP, L"a.trk"}}) {
        PostMessageW(viewer, WM_KEYDOWN, key, 0);
        const ui::Event e = tk.waitEvent(1000);
        EXPECT_EQ(e.kind, ui::EventKind::Key);
        dispatchMainEvent(state, e);
        EXPECT_EQ(title(), name);
        RECT now{};
        GetWindowRect(viewer, &now);
        EXPECT_EQ(now.left, frame.left);
        EXPECT_EQ(now.top, frame.top);
    }
    closeViewer(state);
    EXPECT_FALSE(IsWindow(viewer));
}

}  // namespace
}  // namespace pitbox::test
