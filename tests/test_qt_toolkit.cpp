// The Qt backend, offscreen: real widgets, real clicks.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <tuple>

#include "app/app_state.h"
#include "app/ids.h"
#include "app/list_view.h"
#include "app/load_tracks.h"
#include "app/main_window.h"
#include "app/show_track.h"
#include "support/main_window_layout.h"
#include "support/temp_dir.h"
#include "support/wait_for_work.h"
#include "toolkit/qt/app_icon.h"
#include "toolkit/qt/qt_toolkit.h"
#include "toolkit/qt/row_table_model.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

class QtApp : public ::testing::Test {
protected:
    QtApp() : state(tk) { startUp(state, "/tmp"); }
    QWidget* gadget(int id) { return tk.gadgetWidget(ids::kMainWindow, id); }
    ui::QtToolkit tk;
    AppState state;
};

TEST_F(QtApp, MainWindowGeometry) {
    QWidget* w = tk.windowWidget(ids::kMainWindow);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Kestrun Pitbox");
    EXPECT_EQ(w->size(), QSize(1000, 720));
    EXPECT_TRUE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    // As opened, then grown, then at its smallest: each gadget where its anchor says.
    for (const QSize size : {QSize(1000, 720), QSize(1600, 1000), QSize(100, 100)}) {
        w->resize(size);
        const QSize now = w->size();
        EXPECT_GE(now.width(), 980);
        EXPECT_GE(now.height(), 360);
        for (const auto& g : kMainWindowGadgets) {
            ASSERT_NE(gadget(g.id), nullptr) << g.id;
            const ui::Rect r = ui::anchoredRect(g.rect, g.anchor, 1000, 720, now.width(), now.height());
            EXPECT_EQ(gadget(g.id)->geometry(), QRect(r.x, r.y, r.width, r.height)) << g.id << " at " << now.width();
            EXPECT_EQ(gadget(g.id)->parentWidget(), w) << g.id;
        }
        // The sort buttons never reach into the counter, which holds the count of 200,000 tracks.
        QWidget* counter = gadget(ids::kSelectionCounter);
        EXPECT_GT(gadget(ids::kSortName)->x(), counter->geometry().right());
        EXPECT_LE(QFontMetrics(counter->font()).horizontalAdvance("200000/200000"), counter->width()) << now.width();
    }
    auto* show = qobject_cast<QPushButton*>(gadget(ids::kShow));
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show->iconSize(), QSize(96, 32));
    EXPECT_EQ(gadget(ids::kStatusLine1)->focusPolicy(), Qt::NoFocus);
    auto* table = tk.tableView(0, ids::kTable);
    EXPECT_EQ(table->model()->columnCount(), 6);
    EXPECT_EQ(table->columnWidth(0), 150);
    EXPECT_EQ(table->columnWidth(5), 300);
}

TEST_F(QtApp, TabMovesThroughTableAndButtonsInCreationOrder) {
    QWidget* w = tk.windowWidget(ids::kMainWindow);
    w->show();
    QApplication::setActiveWindow(w);
    for (const char* name : {"a", "b"}) state.catalogue.append().name = name;
    state.view.reset(state.catalogue);
    fillList(state);
    tk.tableView(0, ids::kTable)->setCurrentIndex(tk.tableView(0, ids::kTable)->model()->index(0, 0));
    const int order[] = {ids::kFilter,     ids::kDuplicates, ids::kTable,         ids::kShow,
                         ids::kLoad,       ids::kScan,       ids::kSaveList,      ids::kCopy,
                         ids::kSortAuthor, ids::kSortLength, ids::kSortWorldSize, ids::kSortName};
    gadget(ids::kFilter)->setFocus();
    for (std::size_t i = 1; i <= std::size(order); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), gadget(order[i % std::size(order)])) << i;
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), gadget(ids::kSortName));
}

// Takes every queued event to the dispatch, as the main loop would.
void dispatchQueued(ui::QtToolkit& tk, AppState& state) {
    for (ui::Event e = tk.waitEvent(0); e.kind != ui::EventKind::None; e = tk.waitEvent(0)) dispatchMainEvent(state, e);
}

TEST_F(QtApp, FilterFieldAndTypingInTheTable) {
    QWidget* w = tk.windowWidget(ids::kMainWindow);
    w->show();
    QApplication::setActiveWindow(w);
    for (const char* name : {"Birch", "bay", "Cove", "b\u00E9ch"}) state.catalogue.append().name = name;
    state.view.reset(state.catalogue);
    fillList(state);
    auto* table = tk.tableView(0, ids::kTable);
    gadget(ids::kTable)->setFocus();

    // Typing in the table: the first row from the current one starting with the letters.
    QTest::keyClicks(table, "co");
    dispatchQueued(tk, state);
    EXPECT_EQ(tk.text(0, ids::kStatusLine1), "Cove");

    // Ctrl+F, then typing filters as the user types.
    QTest::keyClick(table, Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), gadget(ids::kFilter));
    QTest::keyClicks(gadget(ids::kFilter), "BE");
    dispatchQueued(tk, state);
    EXPECT_EQ(table->model()->rowCount(), 1);
    EXPECT_EQ(tk.text(0, ids::kStatusLine1), "1 of 4 Tracks shown");
    // Down moves into the table; Escape in the field clears it.
    QTest::keyClick(gadget(ids::kFilter), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), gadget(ids::kTable));
    gadget(ids::kFilter)->setFocus();
    QTest::keyClick(gadget(ids::kFilter), Qt::Key_Escape);
    dispatchQueued(tk, state);
    EXPECT_EQ(tk.text(0, ids::kFilter), "");
    EXPECT_EQ(table->model()->rowCount(), 4);
    EXPECT_TRUE(w->isVisible());  // Escape does not close the main window
}

// A gadget disabled while it works (Scan) has the focus again afterwards.
TEST_F(QtApp, FocusReturnsToAGadgetEnabledAgain) {
    gadget(ids::kScan)->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), gadget(ids::kScan));
    tk.setEnabled(ids::kMainWindow, ids::kScan, false);
    ASSERT_NE(QApplication::focusWidget(), gadget(ids::kScan));
    tk.setEnabled(ids::kMainWindow, ids::kScan, true);
    EXPECT_EQ(QApplication::focusWidget(), gadget(ids::kScan));
}

TEST_F(QtApp, RealClickReachesTheDispatch) {
    QTest::mouseClick(gadget(ids::kSortAuthor), Qt::LeftButton);
    const ui::Event e = tk.waitEvent();
    EXPECT_TRUE(e.isGadget(ids::kMainWindow, ids::kSortAuthor));
    dispatchMainEvent(state, e);
    EXPECT_EQ(state.listName, "tracks_autor");
    EXPECT_EQ(tk.text(0, ids::kStatusLine1), "0 Tracks found");
}

TEST_F(QtApp, CloseBoxOnlyRequests) {
    tk.windowWidget(ids::kMainWindow)->close();
    const ui::Event e = tk.waitEvent(100);
    EXPECT_EQ(e.kind, ui::EventKind::CloseRequest);
    EXPECT_EQ(e.window, ids::kMainWindow);
    EXPECT_TRUE(tk.windowWidget(ids::kMainWindow)->isVisible());
}

TEST_F(QtApp, InputDuringALongActionIsNotAClick) {
    QMetaObject::invokeMethod(gadget(ids::kLoad), "click", Qt::QueuedConnection);
    tk.keepPainted();
    EXPECT_EQ(tk.waitEvent(20).kind, ui::EventKind::None);
}

TEST_F(QtApp, TableRowsAndSelection) {
    for (int i = 0; i < 5; ++i) {
        TrackEntry& e = state.catalogue.append();
        state.catalogue.setText(e.name, "t" + std::to_string(i));
        e.worldSize = i;
        e.state = TrackState::Scanned;
        state.catalogue.setText(e.path, "/p/t" + std::to_string(i) + ".trk");
    }
    state.view.reset(state.catalogue);
    fillList(state);
    auto* table = tk.tableView(0, ids::kTable);
    QAbstractItemModelTester tester(table->model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    EXPECT_EQ(table->model()->rowCount(), 5);
    EXPECT_EQ(table->model()->index(3, 1).data().toString(), "3");
    EXPECT_EQ(table->model()->index(3, 5).data().toString(), "/p/t3.trk");
    // A click, a Ctrl+click, a Shift+click, then Shift+Up from the keyboard.
    auto rowAt = [&](int row) { return table->visualRect(table->model()->index(row, 0)).center(); };
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rowAt(0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ControlModifier, rowAt(2));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowAt(4));
    EXPECT_EQ(tk.selectedRows(0, ids::kTable), (std::vector<std::size_t>{2, 3, 4}));
    QTest::keyClick(table, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(tk.selectedRows(0, ids::kTable), (std::vector<std::size_t>{2, 3}));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rowAt(4));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ControlModifier, rowAt(1));
    EXPECT_EQ(tk.selectedRows(0, ids::kTable), (std::vector<std::size_t>{1, 4}));
    const ui::Event e = tk.waitEvent(100);
    EXPECT_TRUE(e.isGadget(0, ids::kTable));
    listEvent(state);
    EXPECT_EQ(tk.text(0, ids::kStatusLine2), "/p/t1.trk");
    EXPECT_EQ(tk.text(0, ids::kSelectionCounter), "2/5");
    // A descending sort from the header keeps both selected tracks selected and
    // the current one current, in their new rows.
    while (tk.waitEvent(0).kind != ui::EventKind::None) {}
    QTest::mouseClick(table->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(table->horizontalHeader()->sectionPosition(1) + 5, 5));
    const ui::Event header = tk.waitEvent(100);
    EXPECT_EQ(header.kind, ui::EventKind::HeaderClick);
    EXPECT_EQ(header.column, 1);
    headerSort(state, 1);
    headerSort(state, 1);
    EXPECT_EQ(table->model()->index(0, 0).data().toString(), "t4");
    EXPECT_EQ(tk.selectedRows(0, ids::kTable), (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(table->currentIndex().row(), 3);
    EXPECT_EQ(table->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
}

TEST_F(QtApp, OpaqueTextOnAPicture) {
    raster::Picture p(200, 40, raster::rgb(1, 1, 1));
    tk.drawText(p, ids::kFontRecords, 10, 5, "45.23", raster::rgb(255, 255, 255), raster::rgb(0, 100, 150));
    EXPECT_EQ(p.at(10, 5), raster::rgb(0, 100, 150));
    EXPECT_EQ(p.at(9, 5), raster::rgb(1, 1, 1));
    EXPECT_EQ(p.at(10, 4), raster::rgb(1, 1, 1));
    std::size_t white = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) white += p.at(x, y) == raster::rgb(255, 255, 255);
    EXPECT_GT(white, 10u);
}

TEST(QtIcon, WindowsShowTheApplicationIcon) {
    QApplication::setWindowIcon(ui::applicationIcon());
    ui::QtToolkit tk;
    AppState state(tk);
    startUp(state, "/tmp");
    tk.openWindow({ids::kCopyWindow, "Copy Tracks", 0, 0, 600, 300, ids::kMainWindow, true});
    for (int window : {ids::kMainWindow, ids::kCopyWindow}) {
        const QList<QSize> sizes = tk.windowWidget(window)->windowIcon().availableSizes();
        EXPECT_TRUE(sizes.contains(QSize(48, 48))) << window;
        EXPECT_TRUE(sizes.contains(QSize(256, 256))) << window;
    }
    QApplication::setWindowIcon(QIcon());
}

TEST_F(QtApp, SecondWindowIsOwnedAndClosable) {
    ui::WindowSpec layout;
    layout.number = 1;
    layout.title = "Copy Tracks";
    layout.clientWidth = 600;
    layout.clientHeight = 300;
    layout.owner = 0;
    layout.centreOnOwner = true;
    tk.openWindow(layout);
    QWidget* w = tk.windowWidget(1);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget(), tk.windowWidget(0));
    EXPECT_EQ(w->size(), QSize(600, 300));
    // Escape asks to close it, as its close box does; in the main window it is a key.
    QTest::keyClick(tk.windowWidget(0), Qt::Key_Escape);
    const ui::Event escape = tk.waitEvent(20);
    EXPECT_EQ(std::tie(escape.kind, escape.window, escape.key),
              std::make_tuple(ui::EventKind::Key, 0, ui::Key::Escape));
    QTest::keyClick(w, Qt::Key_Escape);
    const ui::Event e = tk.waitEvent(100);
    EXPECT_EQ(e.kind, ui::EventKind::CloseRequest);
    EXPECT_EQ(e.window, 1);
    tk.closeWindow(1);
    EXPECT_EQ(tk.windowWidget(1), nullptr);
    EXPECT_FALSE(tk.isWindowOpen(1));
}

// What the program remembers of the main window comes back as it was; a place
// off every screen is not taken.
TEST_F(QtApp, WindowPlaceAndColumnWidthsComeBack) {
    tk.setColumnWidths(ids::kMainWindow, ids::kTable, {90, 40, 0, 120});
    EXPECT_EQ(tk.columnWidths(ids::kMainWindow, ids::kTable), (std::vector<int>{90, 40, 60, 120, 200, 300}));
    tk.placeWindow(ids::kMainWindow, {30, 40, 1050, 500, false});
    ui::WindowPlace p = tk.windowPlace(ids::kMainWindow);
    EXPECT_EQ(std::tie(p.x, p.y, p.width, p.height, p.maximised), std::make_tuple(30, 40, 1050, 500, false));
    tk.placeWindow(ids::kMainWindow, {30000, 40, 950, 500, false});
    p = tk.windowPlace(ids::kMainWindow);
    EXPECT_EQ(p.x, 30);
}

// The viewer opens centred over the main window wherever that is, takes the
// arrow keys, follows the current track and keeps its place.
TEST_F(QtApp, ViewerCentredOverTheMainWindowFollowsItsKeys) {
    TempDir dir;
    dir.mkdirs("t");
    for (const char* name : {"a.trk", "b.trk"}) saveTrack(dir / "t/" + name, TrackSpec{});
    loadFolder(state, dir / "t/");
    waitForWork(state);
    QWidget* main = tk.windowWidget(ids::kMainWindow);
    // Placed where the viewer fits on the offscreen screen (800 by 600) centred over it.
    main->resize(920, 360);
    main->move(0, 120);
    ASSERT_TRUE(main->screen()->availableGeometry().contains(QRect(0, 0, 800, 600)));
    state.view.selectRows(std::vector<std::size_t>{0});
    showTrack(state);
    QWidget* viewer = tk.windowWidget(ids::kViewerWindow);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->windowTitle(), "a.trk");
    EXPECT_EQ(viewer->size(), QSize(532, 580));
    const QPoint centre = viewer->frameGeometry().center();
    EXPECT_LE((centre - main->frameGeometry().center()).manhattanLength(), 1);
    for (auto [key, title] : {std::pair{Qt::Key_PageDown, "b.trk"}, {Qt::Key_Up, "a.trk"}}) {
        QTest::keyClick(viewer, key);
        const ui::Event e = tk.waitEvent(100);
        EXPECT_EQ(e.kind, ui::EventKind::Key);
        dispatchMainEvent(state, e);
        EXPECT_EQ(viewer->windowTitle(), title);
        EXPECT_EQ(viewer->frameGeometry().center(), centre);
    }
    closeViewer(state);
    EXPECT_EQ(tk.windowWidget(ids::kViewerWindow), nullptr);
}

}  // namespace
}  // namespace pitbox::test

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
