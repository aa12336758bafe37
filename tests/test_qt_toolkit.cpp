// The Qt backend, offscreen: real widgets, real clicks. The behaviours both
// backends share run here through the Qt driver; what is Qt's own follows.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDropEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <cmath>
#include <memory>

#include "support/backend_behaviours.h"
#include "toolkit/qt/app_icon.h"
#include "toolkit/qt/qt_toolkit.h"
#include "toolkit/qt/track_table_view.h"

namespace pitbox::test {
namespace {

class QtDriver : public BackendDriver {
public:
    QtDriver() : state_(tk_) {
        startUp(state_, "/tmp");
        QWidget* w = tk_.windowWidget(ids::kMainWindow);
        w->show();
        QApplication::setActiveWindow(w);
    }
    ui::Toolkit& tk() override { return tk_; }
    AppState& state() override { return state_; }
    QWidget* widget(int gadget) const { return tk_.gadgetWidget(ids::kMainWindow, gadget); }
    QTableView* table() const { return tk_.tableView(ids::kMainWindow, ids::kTable); }

    ui::Rect place(int gadget) override {
        const QRect r = widget(gadget)->geometry();
        return {r.x(), r.y(), r.width(), r.height()};
    }
    std::pair<int, int> clientSize(int window) override {
        const QSize size = tk_.windowWidget(window)->size();
        return {size.width(), size.height()};
    }
    std::pair<int, int> frameCentre(int window) override {
        const QPoint c = tk_.windowWidget(window)->frameGeometry().center();
        return {c.x(), c.y()};
    }
    void resizeClient(int width, int height) override { tk_.windowWidget(ids::kMainWindow)->resize(width, height); }
    int focused() override {
        for (int gadget : gadgets())
            if (QApplication::focusWidget() == widget(gadget)) return gadget;
        return -1;
    }
    void focus(int gadget) override { widget(gadget)->setFocus(); }
    int tabFrom(int gadget, bool backwards) override {
        // Tab reaches the table by its current row.
        if (table()->model()->rowCount() > 0 && !table()->currentIndex().isValid())
            table()->setCurrentIndex(table()->model()->index(0, 0));
        focus(gadget);
        QTest::keyClick(QApplication::focusWidget(), backwards ? Qt::Key_Backtab : Qt::Key_Tab);
        return focused();
    }
    void click(int window, int gadget) override { QTest::mouseClick(tk_.gadgetWidget(window, gadget), Qt::LeftButton); }
    void clickHeader(int column) override {
        QHeaderView* header = table()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionPosition(column) + 5, 5));
    }
    void closeBox(int window) override { tk_.windowWidget(window)->close(); }
    void press(int window, int gadget, ui::Key key) override {
        QWidget* target = gadget >= 0 ? tk_.gadgetWidget(window, gadget) : tk_.windowWidget(window);
        QTest::keyClick(target, qtKey(key));
    }
    void pressControl(char letter) override {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(Qt::Key_A + (letter - 'A')),
                        Qt::ControlModifier);
    }
    void type(const std::string& text) override {
        QTest::keyClicks(widget(ids::kFilter), QString::fromStdString(text));
    }
    void selectRow(std::size_t row, bool control) override {
        const QPoint at = table()->visualRect(table()->model()->index(static_cast<int>(row), 0)).center();
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, control ? Qt::ControlModifier : Qt::NoModifier, at);
    }
    std::string title(int window) override { return tk_.windowWidget(window)->windowTitle().toStdString(); }
    std::size_t rowsShown() override { return static_cast<std::size_t>(table()->model()->rowCount()); }
    std::vector<std::size_t> rowsShownSelected() override {
        std::vector<std::size_t> rows;
        for (int r = 0; r < table()->model()->rowCount(); ++r)
            if (static_cast<ui::TrackTableView*>(table())->isRowSelected(r)) rows.push_back(std::size_t(r));
        return rows;
    }
    std::string cell(std::size_t row, std::size_t column) override {
        return table()->model()->index(static_cast<int>(row), static_cast<int>(column)).data().toString().toStdString();
    }
    bool sortShownDescending() override {
        return table()->horizontalHeader()->sortIndicatorOrder() == Qt::DescendingOrder;
    }
    int shownColumnWidth(std::size_t column) override { return table()->columnWidth(static_cast<int>(column)); }
    // As a file manager reads a drop.
    std::vector<std::string> draggedFiles() override {
        std::unique_ptr<QMimeData> data(static_cast<ui::TrackTableView*>(table())->dragData());
        std::vector<std::string> files;
        if (data)
            for (const QUrl& url : data->urls()) files.push_back(url.toLocalFile().toStdString());
        return files;
    }
    void dropFiles(int window, const std::vector<std::string>& paths) override {
        QMimeData data;
        QList<QUrl> urls;
        for (const std::string& path : paths) urls.append(QUrl::fromLocalFile(QString::fromStdString(path)));
        data.setUrls(urls);
        QWidget* w = tk_.windowWidget(window);
        QDragEnterEvent enter({10, 10}, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &enter);
        if (!enter.isAccepted() || enter.dropAction() != Qt::CopyAction) return;
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &drop);
    }

private:
    static std::vector<int> gadgets() {
        std::vector<int> ids;
        for (const auto& g : kMainWindowGadgets) ids.push_back(g.id);
        return ids;
    }
    static Qt::Key qtKey(ui::Key key) {
        switch (key) {
            case ui::Key::Up: return Qt::Key_Up;
            case ui::Key::Down: return Qt::Key_Down;
            case ui::Key::Left: return Qt::Key_Left;
            case ui::Key::Right: return Qt::Key_Right;
            case ui::Key::PageUp: return Qt::Key_PageUp;
            case ui::Key::PageDown: return Qt::Key_PageDown;
            case ui::Key::Escape: return Qt::Key_Escape;
            case ui::Key::Delete: return Qt::Key_Delete;
            case ui::Key::None: break;
        }
        return Qt::Key_unknown;
    }

    ui::QtToolkit tk_;
    AppState state_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, Backend, QtDriver);

class QtApp : public ::testing::Test {
protected:
    QtDriver d;
};

// Qt's own: the window's flags, the buttons' pictures, the counter's font.
TEST_F(QtApp, MainWindowAsQtHasIt) {
    QWidget* w = static_cast<ui::QtToolkit&>(d.tk()).windowWidget(ids::kMainWindow);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    auto* show = qobject_cast<QPushButton*>(d.widget(ids::kShow));
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show->iconSize(), QSize(96, 32));
    EXPECT_EQ(d.widget(ids::kStatusLine1)->focusPolicy(), Qt::NoFocus);
    // At its smallest the counter still holds the count of 200,000 tracks.
    d.resizeClient(100, 100);
    QWidget* counter = d.widget(ids::kSelectionCounter);
    EXPECT_LE(QFontMetrics(counter->font()).horizontalAdvance("200000/200000"), counter->width());
}

// Typing in the table: the first row from the current one starting with the letters.
TEST_F(QtApp, TypingInTheTableFindsARow) {
    fillWith(d.state(), {"Birch", "bay", "Cove", "b\u00E9ch"});
    d.focus(ids::kTable);
    QTest::keyClicks(d.table(), "co");
    dispatchQueued(d);
    EXPECT_EQ(d.tk().text(0, ids::kStatusLine1), "Cove");
}

// The paths, which begin alike, are cut in the middle, keeping their ends, and
// show whole as the cell's tooltip; the other columns are cut at their ends.
TEST_F(QtApp, PathsAreCutInTheMiddleAndShowWholeAsATip) {
    fillWith(d.state(), {"t0"});
    const QAbstractItemModel* model = d.table()->model();
    EXPECT_EQ(model->data(model->index(0, 5), Qt::ToolTipRole).toString(), "/p/t0.trk");
    EXPECT_FALSE(model->data(model->index(0, 0), Qt::ToolTipRole).isValid());
    EXPECT_NE(d.table()->itemDelegateForColumn(5), nullptr);
    EXPECT_EQ(d.table()->itemDelegateForColumn(0), nullptr);
    EXPECT_EQ(d.table()->textElideMode(), Qt::ElideRight);
}

// The table's model passes Qt's checks; Shift extends the selection from its
// anchor, by a click and by the keyboard.
TEST_F(QtApp, TableModelAndRangeSelection) {
    fillWith(d.state(), {"t0", "t1", "t2", "t3", "t4"});
    QAbstractItemModelTester tester(d.table()->model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    d.selectRow(0, false);
    d.selectRow(2, true);
    const QPoint at = d.table()->visualRect(d.table()->model()->index(4, 0)).center();
    QTest::mouseClick(d.table()->viewport(), Qt::LeftButton, Qt::ShiftModifier, at);
    EXPECT_EQ(d.state().view.selectedRows(), (std::vector<std::size_t>{2, 3, 4}));
    QTest::keyClick(d.table(), Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(d.state().view.selectedRows(), (std::vector<std::size_t>{2, 3}));
}

TEST_F(QtApp, OpaqueTextOnAPicture) {
    raster::Picture p(200, 40, raster::rgb(1, 1, 1));
    d.tk().drawText(p, ids::kFontRecords, 10, 5, "45.23", raster::rgb(255, 255, 255), raster::rgb(0, 100, 150));
    EXPECT_EQ(p.at(10, 5), raster::rgb(0, 100, 150));
    EXPECT_EQ(p.at(9, 5), raster::rgb(1, 1, 1));
    EXPECT_EQ(p.at(10, 4), raster::rgb(1, 1, 1));
    std::size_t white = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) white += p.at(x, y) == raster::rgb(255, 255, 255);
    EXPECT_GT(white, 10u);
}

// On a scaled screen (the suite runs at 1 and at 1.5) the track picture keeps
// its pixels: shown at the whole-number scale at or below the screen's.
TEST_F(QtApp, ThePictureKeepsItsPixels) {
    auto& tk = static_cast<ui::QtToolkit&>(d.tk());
    tk.setPicture(ids::kPreviewPicture, raster::Picture(512, 560, raster::rgb(1, 2, 3)));
    tk.openWindow({ids::kViewerWindow, "a.trk", 0, 0, 532, 580, ids::kMainWindow, true});
    tk.addImage(ids::kViewerWindow, ids::kViewerImage, {10, 10, 512, 560}, ids::kPreviewPicture);
    auto* image = qobject_cast<QLabel*>(tk.gadgetWidget(ids::kViewerWindow, ids::kViewerImage));
    ASSERT_NE(image, nullptr);
    const qreal ratio = image->devicePixelRatioF();
    ASSERT_EQ(ratio, qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR")
                         ? 1.0
                         : qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
    const QSizeF shown = image->pixmap().deviceIndependentSize() * ratio;  // in the screen's pixels
    EXPECT_DOUBLE_EQ(shown.width(), 512 * std::floor(ratio)) << ratio;
    EXPECT_DOUBLE_EQ(shown.height(), 560 * std::floor(ratio)) << ratio;
    tk.closeWindow(ids::kViewerWindow);
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

}  // namespace
}  // namespace pitbox::test

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
