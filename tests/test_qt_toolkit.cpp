// The Qt backend, offscreen: real widgets, real clicks.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "app/app_state.h"
#include "app/ids.h"
#include "app/list_view.h"
#include "app/main_window.h"
#include "support/main_window_layout.h"
#include "toolkit/qt/app_icon.h"
#include "toolkit/qt/qt_toolkit.h"
#include "toolkit/qt/row_table_model.h"

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
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    const std::pair<int, QRect> gadgets[] = {
        {1, {10, 10, 980, 600}},   {21, {10, 622, 100, 36}}, {8, {130, 620, 850, 24}}, {9, {130, 645, 850, 24}},
        {11, {15, 675, 90, 36}},   {12, {120, 675, 84, 36}}, {17, {214, 675, 80, 36}}, {22, {304, 675, 91, 36}},
        {23, {415, 682, 60, 36}},  {14, {719, 675, 97, 36}}, {15, {916, 675, 74, 36}}, {13, {826, 675, 80, 36}},
        {16, {567, 675, 142, 36}},
    };
    for (const auto& [id, rect] : gadgets) {
        ASSERT_NE(gadget(id), nullptr) << id;
        EXPECT_EQ(gadget(id)->geometry(), rect) << id;
        EXPECT_EQ(gadget(id)->parentWidget(), w) << id;
    }
    auto* show = qobject_cast<QPushButton*>(gadget(ids::kShow));
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show->iconSize(), QSize(96, 32));
    EXPECT_EQ(gadget(ids::kStatusLine1)->focusPolicy(), Qt::NoFocus);
    auto* table = tk.tableView(0, ids::kTable);
    EXPECT_EQ(table->model()->columnCount(), 6);
    EXPECT_EQ(table->columnWidth(0), 150);
    EXPECT_EQ(table->columnWidth(5), 300);
    EXPECT_EQ(table->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(QtApp, TabMovesThroughTableAndButtonsInCreationOrder) {
    QWidget* w = tk.windowWidget(ids::kMainWindow);
    w->show();
    QApplication::setActiveWindow(w);
    for (const char* name : {"a", "b"}) state.catalogue.append().name = name;
    fillList(state);
    tk.tableView(0, ids::kTable)->setCurrentIndex(tk.tableView(0, ids::kTable)->model()->index(0, 0));
    const int order[] = {ids::kTable, ids::kShow,       ids::kLoad,       ids::kScan,          ids::kSaveList,
                         ids::kCopy,  ids::kSortAuthor, ids::kSortLength, ids::kSortWorldSize, ids::kSortName};
    gadget(ids::kTable)->setFocus();
    for (std::size_t i = 1; i <= std::size(order); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), gadget(order[i % std::size(order)])) << i;
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), gadget(ids::kSortName));
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
    EXPECT_EQ(tk.queuedEvents(), 0u);
    EXPECT_EQ(tk.waitEvent(20).kind, ui::EventKind::None);
}

TEST_F(QtApp, TableRowsAndSelection) {
    for (int i = 0; i < 5; ++i) {
        TrackEntry& e = state.catalogue.append();
        e.name = "t" + std::to_string(i);
        e.worldSize = i;
        e.path = "/p/t" + std::to_string(i) + ".trk";
    }
    fillList(state);
    auto* table = tk.tableView(0, ids::kTable);
    QAbstractItemModelTester tester(table->model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    EXPECT_EQ(table->model()->rowCount(), 5);
    EXPECT_EQ(table->model()->index(3, 1).data().toString(), "3");
    EXPECT_EQ(table->model()->index(3, 5).data().toString(), "/p/t3.trk");
    auto* selection = table->selectionModel();
    selection->select(table->model()->index(4, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->select(table->model()->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(tk.selectedRows(0, ids::kTable), (std::vector<std::size_t>{1, 4}));
    const ui::Event e = tk.waitEvent(100);
    EXPECT_TRUE(e.isGadget(0, ids::kTable));
    listEvent(state);
    EXPECT_EQ(tk.text(0, ids::kStatusLine2), "/p/t1.trk");
    EXPECT_EQ(tk.text(0, ids::kSelectionCounter), "2/5");
    // Rows appended during a scan show up in the view once it is painted.
    tk.appendRow(0, ids::kTable, "x\n\n\n\n\n/p/x.trk");
    tk.keepPainted();
    EXPECT_EQ(table->model()->rowCount(), 6);
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
    tk.openWindow({ids::kSecondWindow, "Copy Tracks", 0, 0, 600, 300, ids::kMainWindow, true});
    for (int window : {ids::kMainWindow, ids::kSecondWindow}) {
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
    // Escape asks to close it, as its close box does; in the main window it does nothing.
    QTest::keyClick(tk.windowWidget(0), Qt::Key_Escape);
    EXPECT_EQ(tk.waitEvent(20).kind, ui::EventKind::None);
    QTest::keyClick(w, Qt::Key_Escape);
    const ui::Event e = tk.waitEvent(100);
    EXPECT_EQ(e.kind, ui::EventKind::CloseRequest);
    EXPECT_EQ(e.window, 1);
    tk.closeWindow(1);
    EXPECT_EQ(tk.windowWidget(1), nullptr);
    EXPECT_FALSE(tk.isWindowOpen(1));
}

}  // namespace
}  // namespace pitbox::test

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
