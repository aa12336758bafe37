#pragma once
// The behaviours every real backend shows alike, one suite run against each
// (Qt offscreen, Win32 under Wine) through a small driver that does by the
// platform's own means what a user does, and reads back what the platform
// shows. A backend's test file instantiates the suite with its driver.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/app_state.h"
#include "app/ids.h"
#include "app/list_view.h"
#include "app/load_tracks.h"
#include "app/main_window.h"
#include "app/show_track.h"
#include "library/track_columns.h"
#include "support/main_window_layout.h"
#include "support/temp_dir.h"
#include "support/wait_for_work.h"
#include "tools/track_writer.h"

namespace pitbox::test {

// What a driver offers; the suite's tests take a default-constructed one
// whose program is started up (its main window open, nothing loaded).
class BackendDriver {
public:
    virtual ~BackendDriver() = default;
    virtual ui::Toolkit& tk() = 0;
    virtual AppState& state() = 0;
    // A main window gadget's place in its client area; a window's client size,
    // and the centre of its frame on the screen.
    virtual ui::Rect place(int gadget) = 0;
    virtual std::pair<int, int> clientSize(int window) = 0;
    virtual std::pair<int, int> frameCentre(int window) = 0;
    // Asks for a client size of the main window, as a drag of its edge does.
    virtual void resizeClient(int width, int height) = 0;
    // The main window's gadget with the keyboard focus (-1 for none); gives it.
    virtual int focused() = 0;
    virtual void focus(int gadget) = 0;
    // Where Tab (or Shift+Tab) takes the focus from a gadget.
    virtual int tabFrom(int gadget, bool backwards) = 0;
    virtual void click(int window, int gadget) = 0;
    virtual void clickHeader(int column) = 0;
    virtual void closeBox(int window) = 0;
    // A key pressed in a gadget of the main window, or (gadget -1) in a window.
    virtual void press(int window, int gadget, ui::Key key) = 0;
    // Ctrl and a letter, pressed where the focus is.
    virtual void pressControl(char letter) = 0;
    // Typing into the filter field.
    virtual void type(const std::string& text) = 0;
    // The user selects a row of the table, with Ctrl held or not.
    virtual void selectRow(std::size_t row, bool control) = 0;
    virtual std::string title(int window) = 0;
    // The table as shown: its rows and a cell's text, and whether its header
    // shows a descending sort.
    virtual std::size_t rowsShown() = 0;
    virtual std::vector<std::size_t> rowsShownSelected() = 0;
    virtual std::string cell(std::size_t row, std::size_t column) = 0;
    virtual bool sortShownDescending() = 0;
    virtual int shownColumnWidth(std::size_t column) = 0;
    // What a drag of the table's selection hands to a drop target, read as
    // the target reads it; files dropped on a window from another program.
    virtual std::vector<std::string> draggedFiles() = 0;
    virtual void dropFiles(int window, const std::vector<std::string>& paths) = 0;
};

// Takes every queued event to the dispatch, as the main loop would.
inline void dispatchQueued(BackendDriver& d, int waitMs = 0) {
    for (ui::Event e = d.tk().waitEvent(waitMs); e.kind != ui::EventKind::None; e = d.tk().waitEvent(waitMs))
        dispatchMainEvent(d.state(), e);
}

inline void fillWith(AppState& s, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        TrackEntry& e = s.catalogue.append();
        s.catalogue.setText(e.name, name);
        e.worldSize = static_cast<std::int32_t>(&name - names.data());
        e.state = TrackState::Scanned;
        s.catalogue.setPath(e, "/p/", name + ".trk");
    }
    s.view.reset(s.catalogue);
    fillList(s);
}

template <class Driver>
class Backend : public ::testing::Test {
protected:
    Driver driver;
};
TYPED_TEST_SUITE_P(Backend);

// As opened, grown and at its smallest: each gadget where its anchor says.
TYPED_TEST_P(Backend, GadgetsFollowTheirAnchors) {
    auto& d = this->driver;
    EXPECT_EQ(d.clientSize(ids::kMainWindow), std::make_pair(1000, 720));
    EXPECT_EQ(d.title(ids::kMainWindow), "Kestrun Pitbox");
    for (const auto& [width, height] : {std::pair{1000, 720}, {1500, 1020}, {100, 100}}) {
        d.resizeClient(width, height);
        const auto [w, h] = d.clientSize(ids::kMainWindow);
        EXPECT_GE(w, 980);
        EXPECT_GE(h, 360);
        for (const auto& g : kMainWindowGadgets)
            EXPECT_EQ(d.place(g.id), ui::anchoredRect(g.rect, g.anchor, 1000, 720, w, h)) << g.id << " at " << w;
        // The sort buttons never reach into the counter.
        EXPECT_GT(d.place(ids::kSortName).x, d.place(ids::kSelectionCounter).x + d.place(ids::kSelectionCounter).width);
    }
    EXPECT_EQ(d.tk().columnWidths(ids::kMainWindow, ids::kTable), (std::vector<int>{150, 60, 60, 200, 200, 300}));
}

// Tab walks the filter, the table and the buttons in the order they were
// made, wrapping around; the texts are passed over.
TYPED_TEST_P(Backend, TabOrder) {
    auto& d = this->driver;
    fillWith(d.state(), {"a", "b"});
    const int order[] = {ids::kFilter,     ids::kSaveCatalogue, ids::kMoveToTrash,   ids::kDuplicates, ids::kTable,
                         ids::kShow,       ids::kLoad,          ids::kScan,          ids::kSaveList,   ids::kCopy,
                         ids::kSortAuthor, ids::kSortLength,    ids::kSortWorldSize, ids::kSortName};
    for (std::size_t i = 0; i < std::size(order); ++i)
        EXPECT_EQ(d.tabFrom(order[i], false), order[(i + 1) % std::size(order)]) << i;
    EXPECT_EQ(d.tabFrom(ids::kFilter, true), ids::kSortName);
}

TYPED_TEST_P(Backend, AClickReachesTheDispatch) {
    auto& d = this->driver;
    d.click(ids::kMainWindow, ids::kSortAuthor);
    const ui::Event e = d.tk().waitEvent(1000);
    EXPECT_TRUE(e.isGadget(ids::kMainWindow, ids::kSortAuthor));
    dispatchMainEvent(d.state(), e);
    EXPECT_EQ(d.state().listName, "tracks_autor");
    EXPECT_EQ(d.tk().text(ids::kMainWindow, ids::kStatusLine1), "0 Tracks found");
}

TYPED_TEST_P(Backend, TheCloseBoxOnlyRequests) {
    auto& d = this->driver;
    d.closeBox(ids::kMainWindow);
    const ui::Event e = d.tk().waitEvent(1000);
    EXPECT_EQ(std::tie(e.kind, e.window), std::make_tuple(ui::EventKind::CloseRequest, ids::kMainWindow));
    EXPECT_TRUE(d.tk().isWindowOpen(ids::kMainWindow));
}

// Clicks select; a header click sorts, a second one descending, and the
// selection and the current track stay with their tracks.
TYPED_TEST_P(Backend, TableRowsSelectionAndHeaderSorts) {
    auto& d = this->driver;
    fillWith(d.state(), {"t0", "t1", "t2", "t3", "t4"});
    EXPECT_EQ(d.rowsShown(), 5u);
    EXPECT_EQ(d.cell(3, 1), "3");
    EXPECT_EQ(d.cell(3, 5), "/p/t3.trk");
    d.selectRow(4, false);
    d.selectRow(1, true);
    dispatchQueued(d, 50);
    EXPECT_EQ(d.state().view.selectedRows(), (std::vector<std::size_t>{1, 4}));
    EXPECT_EQ(d.rowsShownSelected(), (std::vector<std::size_t>{1, 4}));
    EXPECT_EQ(d.tk().text(ids::kMainWindow, ids::kStatusLine2), "/p/t1.trk");
    EXPECT_EQ(d.tk().text(ids::kMainWindow, ids::kSelectionCounter), "2/5");
    d.clickHeader(0);
    const ui::Event click = d.tk().waitEvent(1000);
    EXPECT_EQ(std::tie(click.kind, click.column), std::make_tuple(ui::EventKind::HeaderClick, 0));
    headerSort(d.state(), 0);  // by name, as after a Load: a second click sorts descending
    headerSort(d.state(), 0);
    EXPECT_EQ(d.cell(0, 0), "t4");
    EXPECT_TRUE(d.sortShownDescending());
    EXPECT_EQ(d.state().view.selectedRows(), (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(d.rowsShownSelected(), (std::vector<std::size_t>{0, 3}));
    // Most rows, and all, selected by the program: drawn as they are, and after a sort.
    for (const std::vector<std::size_t>& rows :
         {std::vector<std::size_t>{0, 1, 3, 4}, std::vector<std::size_t>{0, 1, 2, 3, 4}}) {
        d.state().view.selectRows(rows);
        d.tk().showTableSelection(ids::kMainWindow, ids::kTable, d.state().view.currentRow());
        EXPECT_EQ(d.rowsShownSelected(), rows);
        headerSort(d.state(), 0);
        EXPECT_EQ(d.rowsShownSelected(), d.state().view.selectedRows());
        EXPECT_EQ(d.state().view.selectedRows().size(), rows.size());
    }
    EXPECT_EQ(d.tk().waitEvent(20).kind, ui::EventKind::None);  // the program's own changes say nothing
}

// The selected rows go out as their files; files from another program come
// in as a Drop, on the main window and on the viewer.
TYPED_TEST_P(Backend, FilesDragOutAndDropIn) {
    auto& d = this->driver;
    fillWith(d.state(), {"a", "b", "Gr\u00FCne"});
    d.selectRow(0, false);
    d.selectRow(2, true);
    dispatchQueued(d, 50);
    EXPECT_EQ(d.draggedFiles(), (std::vector<std::string>{"/p/a.trk", "/p/Gr\u00FCne.trk"}));
    const std::vector<std::string> dropped{"/x/Gr\u00FCne Ecke.trk", "/x/Season 3"};
    for (int window : {ids::kMainWindow, ids::kViewerWindow}) {
        if (window == ids::kViewerWindow) showGivenTracks(d.state(), {"/p/a.trk"});
        d.dropFiles(window, dropped);
        ui::Event e = d.tk().waitEvent(1000);
        while (e.kind == ui::EventKind::Gadget) e = d.tk().waitEvent(1000);
        EXPECT_EQ(std::tie(e.kind, e.window, e.paths), std::make_tuple(ui::EventKind::Drop, window, dropped));
    }
}

// Typing filters as the user types; Down moves into the table, Ctrl+F back;
// Escape in the field clears it and leaves the window open; in the empty
// field it is the window's key (which stops work).
TYPED_TEST_P(Backend, FilterField) {
    auto& d = this->driver;
    fillWith(d.state(), {"Birch", "bay", "Cove", "b\u00E9ch"});
    d.focus(ids::kTable);
    d.pressControl('F');
    d.tk().waitEvent(50);
    ASSERT_EQ(d.focused(), ids::kFilter);
    d.type("BE");
    dispatchQueued(d, 50);
    EXPECT_EQ(d.rowsShown(), 1u);
    EXPECT_EQ(d.tk().text(ids::kMainWindow, ids::kStatusLine1), "1 of 4 Tracks shown");
    d.press(ids::kMainWindow, ids::kFilter, ui::Key::Down);
    d.tk().waitEvent(50);
    EXPECT_EQ(d.focused(), ids::kTable);
    d.focus(ids::kFilter);
    d.press(ids::kMainWindow, ids::kFilter, ui::Key::Escape);
    dispatchQueued(d, 50);
    EXPECT_EQ(d.tk().text(ids::kMainWindow, ids::kFilter), "");
    EXPECT_EQ(d.rowsShown(), 4u);
    EXPECT_TRUE(d.tk().isWindowOpen(ids::kMainWindow));
    d.press(ids::kMainWindow, ids::kFilter, ui::Key::Escape);
    const ui::Event e = d.tk().waitEvent(200);
    EXPECT_EQ(std::tie(e.kind, e.window, e.key),
              std::make_tuple(ui::EventKind::Key, ids::kMainWindow, ui::Key::Escape));
}

// Ctrl+A in the table selects every row and says so; Delete there is a key
// of the main window, in the filter box it edits the text.
TYPED_TEST_P(Backend, ControlASelectsEveryRow) {
    auto& d = this->driver;
    fillWith(d.state(), {"alpha", "beta", "gamma"});
    d.focus(ids::kTable);
    d.pressControl('A');
    dispatchQueued(d, 200);
    EXPECT_EQ(d.tk().text(ids::kMainWindow, ids::kSelectionCounter), "3/3");
    d.press(ids::kMainWindow, ids::kTable, ui::Key::Delete);
    const ui::Event e = d.tk().waitEvent(200);
    EXPECT_EQ(std::tie(e.kind, e.window, e.key),
              std::make_tuple(ui::EventKind::Key, ids::kMainWindow, ui::Key::Delete));
    d.focus(ids::kFilter);
    d.press(ids::kMainWindow, ids::kFilter, ui::Key::Delete);
    EXPECT_NE(d.tk().waitEvent(100).key, ui::Key::Delete);
}

// A gadget disabled while it worked has the focus again once it is enabled
// and the next event is awaited.
TYPED_TEST_P(Backend, FocusReturnsAfterAnAction) {
    auto& d = this->driver;
    d.focus(ids::kScan);
    d.closeBox(ids::kMainWindow);
    ASSERT_EQ(d.tk().waitEvent(1000).kind, ui::EventKind::CloseRequest);
    d.tk().setEnabled(ids::kMainWindow, ids::kScan, false);
    ASSERT_NE(d.focused(), ids::kScan);
    d.tk().setEnabled(ids::kMainWindow, ids::kScan, true);
    d.tk().waitEvent(20);
    EXPECT_EQ(d.focused(), ids::kScan);
}

// A window over the main window opens centred over it; Escape in it asks to
// close it, as its close box does, and in the main window is a key.
TYPED_TEST_P(Backend, AnOwnedWindowCentredOverItsOwner) {
    auto& d = this->driver;
    d.tk().placeWindow(ids::kMainWindow, {0, 40, 980, 500, false});  // where it fits on every screen
    d.tk().openWindow({ids::kCopyWindow, "Copy Tracks", 0, 0, 600, 300, ids::kMainWindow, true});
    EXPECT_EQ(d.clientSize(ids::kCopyWindow), std::make_pair(600, 300));
    const auto [x, y] = d.frameCentre(ids::kCopyWindow);
    const auto [ox, oy] = d.frameCentre(ids::kMainWindow);
    EXPECT_LE(std::abs(x - ox) + std::abs(y - oy), 2);
    d.press(ids::kMainWindow, -1, ui::Key::Escape);
    const ui::Event escape = d.tk().waitEvent(100);
    EXPECT_EQ(std::tie(escape.kind, escape.window, escape.key),
              std::make_tuple(ui::EventKind::Key, ids::kMainWindow, ui::Key::Escape));
    d.press(ids::kCopyWindow, -1, ui::Key::Escape);
    const ui::Event e = d.tk().waitEvent(1000);
    EXPECT_EQ(std::tie(e.kind, e.window), std::make_tuple(ui::EventKind::CloseRequest, ids::kCopyWindow));
    d.tk().closeWindow(ids::kCopyWindow);
    EXPECT_FALSE(d.tk().isWindowOpen(ids::kCopyWindow));
    // A place off every screen (a monitor since unplugged) is not taken.
    d.tk().openWindow({ids::kCopyWindow, "Copy Tracks", 30000, 40, 600, 300, ids::kMainWindow});
    EXPECT_LT(d.frameCentre(ids::kCopyWindow).first, 4000);
    d.tk().closeWindow(ids::kCopyWindow);
}

// What the program remembers of the main window comes back as it was; a place
// off every screen is not taken.
TYPED_TEST_P(Backend, WindowPlaceAndColumnWidthsComeBack) {
    auto& d = this->driver;
    d.tk().setColumnWidths(ids::kMainWindow, ids::kTable, {90, 40, 0, 120});
    EXPECT_EQ(d.tk().columnWidths(ids::kMainWindow, ids::kTable), (std::vector<int>{90, 40, 60, 120, 200, 300}));
    d.tk().placeWindow(ids::kMainWindow, {30, 40, 1050, 500, false});
    const ui::WindowPlace p = d.tk().windowPlace(ids::kMainWindow);
    EXPECT_EQ(std::tie(p.x, p.y, p.width, p.height, p.maximised), std::make_tuple(30, 40, 1050, 500, false));
    EXPECT_EQ(d.clientSize(ids::kMainWindow).first, 1050);
    d.tk().placeWindow(ids::kMainWindow, {30000, 40, 1050, 500, false});
    EXPECT_EQ(d.tk().windowPlace(ids::kMainWindow).x, 30);
}

// The last column takes the room the others leave in a wider window, never
// less than its own width, which is what the program remembers of it.
TYPED_TEST_P(Backend, TheLastColumnTakesTheRoomLeft) {
    auto& d = this->driver;
    const auto othersWidth = [&] {
        int sum = 0;
        for (std::size_t c = 0; c + 1 < kTrackColumns.size(); ++c) sum += d.shownColumnWidth(c);
        return sum;
    };
    d.resizeClient(1400, 720);
    d.tk().waitEvent(20);
    const int room = d.place(ids::kTable).width - othersWidth();
    EXPECT_GE(d.shownColumnWidth(5), room - 30);  // less the frame and a scroll bar
    EXPECT_LE(d.shownColumnWidth(5), room);
    EXPECT_EQ(d.tk().columnWidths(ids::kMainWindow, ids::kTable).back(), 300);
    d.tk().setColumnWidths(ids::kMainWindow, ids::kTable, {900});
    EXPECT_EQ(d.shownColumnWidth(5), 300);
    d.tk().setColumnWidths(ids::kMainWindow, ids::kTable, {150, 60, 60, 200, 200, 1000});
    EXPECT_EQ(d.shownColumnWidth(5), 1000);
    EXPECT_EQ(d.tk().columnWidths(ids::kMainWindow, ids::kTable).back(), 1000);
}

// The viewer opens beside the main window where the screen has room (here it
// has none: centred over it), takes the arrow keys, follows the current track
// and keeps its place.
TYPED_TEST_P(Backend, TheViewerFollowsItsKeys) {
    auto& d = this->driver;
    TempDir dir;
    dir.mkdirs("t");
    const TrackSpec track;
    saveTrack(dir / "t/a.trk", track);
    saveTrack(dir / "t/b.trk", track);
    loadFolder(d.state(), dir / "t/");
    waitForWork(d.state());
    // Where the viewer fits on every screen the tests have, with no room beside the main window.
    d.tk().placeWindow(ids::kMainWindow, {0, 120, 980, 360, false});
    d.state().view.selectRows(std::vector<std::size_t>{0});
    showTrack(d.state());
    ASSERT_TRUE(d.tk().isWindowOpen(ids::kViewerWindow));
    EXPECT_EQ(d.title(ids::kViewerWindow), "a.trk");
    EXPECT_EQ(d.clientSize(ids::kViewerWindow), std::make_pair(532, 580));
    const auto centre = d.frameCentre(ids::kViewerWindow);
    const auto [ox, oy] = d.frameCentre(ids::kMainWindow);
    EXPECT_LE(std::abs(centre.first - ox) + std::abs(centre.second - oy), 2);
    for (auto [key, title] : {std::pair{ui::Key::PageDown, "b.trk"}, {ui::Key::Up, "a.trk"}}) {
        d.press(ids::kViewerWindow, -1, key);
        ui::Event e = d.tk().waitEvent(1000);
        while (e.kind == ui::EventKind::Wake) e = d.tk().waitEvent(1000);  // the ended Load's
        EXPECT_EQ(e.kind, ui::EventKind::Key);
        dispatchMainEvent(d.state(), e);
        EXPECT_EQ(d.title(ids::kViewerWindow), title);
        EXPECT_EQ(d.frameCentre(ids::kViewerWindow), centre);
    }
    closeViewer(d.state());
    EXPECT_FALSE(d.tk().isWindowOpen(ids::kViewerWindow));
}

// A check box: a click checks it and is reported; the program sets it too.
TYPED_TEST_P(Backend, ACheckBoxTogglesAndReports) {
    auto& d = this->driver;
    d.tk().openWindow({ids::kCopyWindow, "Copy Tracks", 0, 0, 600, 300, ids::kMainWindow, true});
    d.tk().addCheckBox(ids::kCopyWindow, ids::kKeepFolders, {20, 160, 186, 22}, "Keep folders");
    EXPECT_FALSE(d.tk().isChecked(ids::kCopyWindow, ids::kKeepFolders));
    EXPECT_EQ(d.tk().text(ids::kCopyWindow, ids::kKeepFolders), "Keep folders");
    d.click(ids::kCopyWindow, ids::kKeepFolders);
    const ui::Event e = d.tk().waitEvent(1000);
    EXPECT_TRUE(e.isGadget(ids::kCopyWindow, ids::kKeepFolders));
    EXPECT_TRUE(d.tk().isChecked(ids::kCopyWindow, ids::kKeepFolders));
    d.tk().setChecked(ids::kCopyWindow, ids::kKeepFolders, false);
    EXPECT_FALSE(d.tk().isChecked(ids::kCopyWindow, ids::kKeepFolders));
    d.tk().closeWindow(ids::kCopyWindow);
}

REGISTER_TYPED_TEST_SUITE_P(Backend, GadgetsFollowTheirAnchors, TabOrder, AClickReachesTheDispatch,
                            TheCloseBoxOnlyRequests, TableRowsSelectionAndHeaderSorts, FilterField,
                            ControlASelectsEveryRow, FocusReturnsAfterAnAction, AnOwnedWindowCentredOverItsOwner,
                            WindowPlaceAndColumnWidthsComeBack, TheLastColumnTakesTheRoomLeft, TheViewerFollowsItsKeys,
                            ACheckBoxTogglesAndReports, FilesDragOutAndDropIn);

}  // namespace pitbox::test
