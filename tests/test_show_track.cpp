#include <gtest/gtest.h>

#include <algorithm>
#include <variant>

#include "app/load_tracks.h"
#include "app/open_given.h"
#include "app/program_options.h"
#include "app/show_track.h"
#include "platform/paths.h"
#include "support/packs.h"
#include "support/scripted_app.h"
#include "support/temp_dir.h"
#include "toolkit/toolkit_core.h"
#include "tools/track_writer.h"
#include "trackfile/lap_records.h"

namespace pitbox::test {
namespace {

constexpr int kViewer = ids::kViewerWindow;

TEST(OwnedPlace, BesideTheOwnerWhereTheScreenHasRoomElseCentred) {
    const ui::Rect screen{0, 0, 1920, 1040};
    struct Case {
        ui::Rect owner;
        bool beside;
        std::pair<int, int> corner;
    } cases[] = {
        {{10, 10, 1000, 720}, true, {1010, 10}},    // to the right
        {{900, 10, 1000, 720}, true, {360, 10}},    // to the left
        {{0, 0, 1920, 1040}, true, {690, 230}},     // maximised: centred
        {{10, 900, 1000, 720}, true, {1010, 460}},  // level with the owner, on the screen
        {{10, 10, 1000, 720}, false, {240, 80}},    // asked to be centred
    };
    for (const Case& c : cases) {
        ui::WindowSpec layout;
        layout.besideOwner = c.beside;
        layout.centreOnOwner = !c.beside;
        EXPECT_EQ(ui::ownedPlace(layout, c.owner, 540, 580, screen), c.corner) << c.owner.x << "," << c.owner.y;
    }
}

TEST(LapRecords, TimeText) {
    const std::pair<std::int16_t, const char*> cases[] = {
        {4523, "45.23"}, {987, "9.87"},   {6000, "60.00"}, {12345, "12.45"},  {5999, "59.99"},
        {100, "1.00"},   {1000, "10.00"}, {999, "9.99"},   {99, "0.99"},      {45, "0.45"},
        {5, "0.05"},     {0, "0.00"},     {-45, "-0.45"},  {-1234, "-12.34"}, {-32768, "-327.68"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(timeText(value), text) << value;
}

TEST(LapRecords, SlotChoice) {
    struct Case {
        std::int16_t t0, t1;
        const char* time;
        const char* holder;
    };
    const Case cases[] = {
        {3000, 4523, "45.23", "Bob / Viper"},  {987, 6000, "9.87", "Ann / Falcon"},
        {6000, 7000, "60.00", "no Best Time"}, {100, 5999, "59.99", "Bob / Viper"},
        {3000, -5, "-0.05", "Bob / Viper"},    {12345, 6001, "12.45", "no Best Time"},
    };
    for (const auto& c : cases) {
        HeaderFields h;
        h.recordTimes = {c.t0, c.t1};
        h.drivers = {"Ann", "Bob"};
        h.cars = {"Falcon", "Viper"};
        const LapRecordTexts t = lapRecordTexts(h, "/x/Hill Climb.TRK");
        EXPECT_EQ(t.time, c.time) << c.t0 << " " << c.t1;
        EXPECT_EQ(t.holder, c.holder) << c.t0 << " " << c.t1;
        EXPECT_EQ(t.timed, c.holder != std::string("no Best Time")) << c.t0 << " " << c.t1;
        EXPECT_EQ(t.name, "Hill Climb");
    }
    HeaderFields empty;
    empty.recordTimes = {100, 7000};
    EXPECT_EQ(lapRecordTexts(empty, "x.trk").holder, " / ");
    EXPECT_EQ(lapRecordTexts(empty, "/a/.trk").name, "");
}

class ShowTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.mkdirs("t");
        TrackSpec a;
        a.recordTimes[1] = 4523;
        a.drivers[1] = "Bob";
        a.cars[1] = "Viper";
        a.terrainRuns.assign(65, static_cast<std::uint16_t>(4095 << 4 | 2));
        saveTrack(dir / "t/Alpha.TRK", a);
        TrackSpec b;
        b.terrainRuns.assign(65, static_cast<std::uint16_t>(4095 << 4 | 4));
        saveTrack(dir / "t/Beta.trk", b);
        saveTrack(dir / "t/Old.trk", TrackSpec::oldFormat());
        saveFile(dir / "t/Broken.trk", {5, 1, 'K', 'S', 9});
        saveTrack(dir / "t/Gone.trk", TrackSpec{});
        app.load(dir / "t");
        app.drive();  // rows: Alpha, Beta, Broken, Gone, Old
    }
    // Clicks row `row`, then Show, and records the viewer while it is open.
    std::optional<ui::WindowSpec> show(std::size_t row) {
        std::optional<ui::WindowSpec> seen;
        app.selectRows({row});
        app.click(ids::kShow);
        app.tk.push([&]() -> std::optional<ui::Event> {
            if (const auto* w = app.tk.window(kViewer)) seen = w->layout;
            return std::nullopt;
        });
        app.tk.click(kViewer, ids::kViewerImage);
        app.drive();
        return seen;
    }
    TempDir dir;
    ScriptedApp app;
};

// Tracks opened from a file manager: the first in the viewer at once, those
// the library holds selected, the first current; one outside it shown
// without loading its folder, which Load then proposes.
TEST_F(ShowTest, GivenTracksShowTheFirstAndSelectTheOthers) {
    showGivenTracks(app.state, {dir / "t/Beta.trk", dir / "t/Alpha.TRK", dir / "elsewhere.trk"});
    ASSERT_TRUE(app.tk.isWindowOpen(kViewer));
    EXPECT_EQ(app.tk.window(kViewer)->layout.title, "Beta.trk");
    EXPECT_EQ(app.tk.selectedRows(ids::kMainWindow, ids::kTable), (std::vector<std::size_t>{0, 1}));
    ASSERT_NE(app.state.view.current(), nullptr);
    EXPECT_EQ(app.state.view.current()->path(), dir / "t/Beta.trk");
    EXPECT_EQ(app.state.viewerTrack, dir / "t/Beta.trk");
    EXPECT_EQ(app.text(ids::kStatusLine1), "Beta");

    saveTrack(dir.mkdirs("Downloads") + "New.trk", TrackSpec{});
    showGivenTracks(app.state, {dir / "Downloads/New.trk"});
    EXPECT_EQ(app.tk.window(kViewer)->layout.title, "New.trk");
    EXPECT_EQ(app.state.viewerTrack, dir / "Downloads/New.trk");
    EXPECT_TRUE(app.tk.selectedRows(ids::kMainWindow, ids::kTable).empty());
    EXPECT_EQ(app.text(ids::kSelectionCounter), "");
    EXPECT_EQ(app.rows().size(), 5u) << "the folder is not loaded";
    EXPECT_EQ(app.text(ids::kStatusLine2), dir / "Downloads/New.trk is not in the library; Load opens its folder");
    // Reading the library again does not take the viewer from it; a track
    // made current does.
    followCurrentTrack(app.state, true);
    EXPECT_EQ(app.state.viewerTrack, dir / "Downloads/New.trk");
    app.selectRows({1});
    app.drive();
    EXPECT_EQ(app.state.viewerTrack, dir / "t/Beta.trk");
    app.tk.answerFolder("");
    app.click(ids::kLoad);
    app.drive();
    EXPECT_EQ(app.tk.requests().back().start, dir / "Downloads/");

    // What cannot be shown says why in the viewer.
    showGivenTracks(app.state, {dir / "t/Old.trk"});
    EXPECT_TRUE(app.tk.isWindowOpen(kViewer));
    EXPECT_NE(app.text(ids::kStatusLine2).find("old-format"), std::string::npos) << app.text(ids::kStatusLine2);
}

// While the program runs, paths come from outside: dropped on either window
// or handed over by a later start. Tracks are shown, one folder is loaded (not
// while the user's work runs), a folder among tracks is refused, and a start
// without paths brings the main window to the front. A drag out gives the
// selected tracks that are files, never a pack's members.
TEST_F(ShowTest, DroppedAndHandedOverPathsOpen) {
    saveTrack(dir.mkdirs("More") + "New.trk", TrackSpec{});
    const auto drop = [&](int window, std::vector<std::string> paths) {
        ui::Event e{ui::EventKind::Drop, window};
        e.paths = std::move(paths);
        app.tk.pushEvent(e);
        app.drive();
    };
    drop(ids::kMainWindow, {dir / "t/Beta.trk"});
    ASSERT_TRUE(app.tk.isWindowOpen(kViewer));
    EXPECT_EQ(app.tk.window(kViewer)->layout.title, "Beta.trk");
    EXPECT_EQ(app.tk.selectedRows(ids::kMainWindow, ids::kTable), (std::vector<std::size_t>{1}));
    drop(kViewer, {dir / "More/New.trk"});
    EXPECT_EQ(app.tk.window(kViewer)->layout.title, "New.trk");
    drop(ids::kMainWindow, {dir / "t", dir / "More/New.trk"});
    EXPECT_EQ(app.text(ids::kStatusLine2), dir / "t is no track file: give one folder, or track files");
    app.state.handed.add({dir / "More"});
    app.tk.wake();
    app.drive();
    app.finishWork();
    EXPECT_EQ(app.state.trackFolder, dir / "More/");
    EXPECT_EQ(app.rows().size(), 1u);
    app.state.handed.add({});
    app.tk.wake();
    app.drive();
    EXPECT_EQ(app.tk.raisedWindows().back(), ids::kMainWindow);

    ScriptedApp busy("/tmp/", {}, {}, false, true);
    loadFolder(busy.state, dir / "t/");
    openGiven(busy.state, {dir / "More"});
    EXPECT_EQ(busy.text(ids::kStatusLine2), "Stop the work first to load " + dir / "More");
    busy.finishWork();
    EXPECT_EQ(busy.state.trackFolder, dir / "t/");

    makeZip(dir / "t/Pack.zip", {{"In.trk", writeTrack(TrackSpec{})}});
    app.load(dir / "t");
    app.drive();
    app.state.view.setRowsSelected(0, app.rows().size() - 1, true);
    const std::vector<std::string> dragged = app.state.rows.dragFiles();
    EXPECT_EQ(dragged.size(), app.rows().size() - 1);
    EXPECT_EQ(std::count(dragged.begin(), dragged.end(), dir / "t/Pack.zip/In.trk"), 0);
}

TEST(ProgramOptions, OneFolderOrTracks) {
    TempDir dir;
    dir.mkdirs("lib");
    saveTrack(dir / "a.trk", TrackSpec{});
    saveFile(dir / "saved as.bin", writeTrack(TrackSpec{}));
    struct Case {
        std::vector<std::string> args;
        std::string folder;
        std::vector<std::string> tracks;
        int refused = 0;  // the exit code of a refusal
    };
    const Case cases[] = {
        {{}, "", {}},
        {{dir / "lib"}, dir / "lib", {}},
        {{dir / "not there"}, dir / "not there", {}},  // told as Load tells it
        {{dir / "a.trk"}, "", {dir / "a.trk"}},
        {{dir / "gone.TRK", dir / "a.trk"}, "", {dir / "gone.TRK", dir / "a.trk"}},
        {{dir / "saved as.bin"}, "", {dir / "saved as.bin"}},
        {{dir / "Season.zip/Week 1/a.trk"}, "", {dir / "Season.zip/Week 1/a.trk"}},
        {{dir / "a.trk", dir / "lib"}, "", {}, 2},
        {{"--forget", "--", "-x.trk"}, "", {"-x.trk"}},
    };
    for (const Case& c : cases) {
        const auto parsed = parseProgramOptions(c.args);
        if (c.refused) {
            ASSERT_TRUE(std::holds_alternative<ProgramEnd>(parsed));
            EXPECT_EQ(std::get<ProgramEnd>(parsed).code, c.refused);
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<ProgramOptions>(parsed)) << std::get<ProgramEnd>(parsed).text;
        EXPECT_EQ(std::get<ProgramOptions>(parsed).folder, c.folder);
        EXPECT_EQ(std::get<ProgramOptions>(parsed).tracks, c.tracks);
    }
}

TEST_F(ShowTest, OpensOnlyAfterARowClick) {
    app.click(ids::kShow);
    app.drive();
    EXPECT_TRUE(app.tk.openedWindows().size() == 1);
    app.click(ids::kSortAuthor);
    app.click(ids::kShow);
    app.drive();
    EXPECT_TRUE(app.tk.openedWindows().size() == 1);
}

TEST_F(ShowTest, ViewerWindowPictureAndRecords) {
    const auto viewer = show(0);
    ASSERT_TRUE(viewer);
    EXPECT_EQ(viewer->title, "Alpha.TRK");
    EXPECT_TRUE(viewer->besideOwner);
    EXPECT_TRUE(viewer->reportsKeys);
    EXPECT_EQ(viewer->clientWidth, 532);
    EXPECT_EQ(viewer->clientHeight, 580);
    EXPECT_EQ(viewer->owner, ids::kMainWindow);
    EXPECT_EQ(app.tk.gadget(kViewer, ids::kViewerImage), nullptr);  // the click closed it
    EXPECT_FALSE(app.tk.isWindowOpen(kViewer));
    EXPECT_EQ(app.tk.focus(), std::make_pair(ids::kMainWindow, ids::kTable));
    const raster::Picture* p = app.tk.picture(ids::kPreviewPicture);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->at(100, 100), raster::rgb(145, 202, 91));
    const auto& texts = app.tk.drawnTexts();
    ASSERT_EQ(texts.size(), 3u);
    const std::tuple<int, int, std::string> expected[] = {
        {20, 530, "45.23"}, {90, 520, "Alpha"}, {90, 540, "Bob / Viper"}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(texts[i].x, std::get<0>(expected[i]));
        EXPECT_EQ(texts[i].y, std::get<1>(expected[i]));
        EXPECT_EQ(texts[i].text, std::get<2>(expected[i]));
        EXPECT_EQ(texts[i].font, ids::kFontRecords);
        EXPECT_EQ(texts[i].front, raster::rgb(255, 255, 255));
        EXPECT_EQ(texts[i].back, raster::rgb(0, 100, 150));
    }
}

// The viewer stays open beside the main window, whose gadgets work meanwhile;
// its picture follows the current track.
TEST_F(ShowTest, FollowsTheCurrentTrackWhileTheMainWindowWorks) {
    const raster::Colour ground = raster::rgb(64, 64, 64);
    std::vector<std::pair<std::string, raster::Colour>> seen;
    auto look = [&] {
        app.tk.push([&]() -> std::optional<ui::Event> {
            const auto* w = app.tk.window(kViewer);
            seen.emplace_back(w ? w->layout.title : "(closed)", app.tk.picture(ids::kPreviewPicture)->at(100, 100));
            return std::nullopt;
        });
    };
    app.selectRows({1});
    app.click(ids::kShow);
    look();
    app.click(ids::kSortAuthor);  // Beta stays current
    look();
    app.selectRows({0});
    look();
    app.tk.typeText(ids::kMainWindow, ids::kFilter, "nothing like it");
    look();
    app.tk.typeText(ids::kMainWindow, ids::kFilter, "");
    app.selectRows({2});  // Broken: the reason in place of a picture
    look();
    app.tk.closeRequest(kViewer);
    look();
    app.drive();
    const std::vector<std::pair<std::string, raster::Colour>> expected = {
        {"Beta.trk", raster::rgb(160, 135, 110)},
        {"Beta.trk", raster::rgb(160, 135, 110)},
        {"Alpha.TRK", raster::rgb(145, 202, 91)},
        {"Kestrun Pitbox", ground},
        {"Broken.trk", ground},
        {"(closed)", ground},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(app.state.listName, "tracks_autor");
    EXPECT_EQ(app.text(ids::kStatusLine2), "Error: " + dir / "t/Broken.trk: damaged: its fields lie outside its bytes");
    EXPECT_EQ(app.tk.drawnTexts().back().text, "damaged: its fields lie outside its bytes");
    EXPECT_EQ(app.tk.focus(), std::make_pair(ids::kMainWindow, ids::kTable));
}

// Rows: Alpha, Beta, Broken, Gone, Old. The viewer's keys move the current
// track along the shown rows, stopping at both ends, and the table follows.
TEST_F(ShowTest, KeysMoveTheCurrentTrack) {
    app.selectRows({0, 3});
    app.click(ids::kShow);
    const std::pair<ui::Key, std::size_t> steps[] = {
        {ui::Key::Down, 1}, {ui::Key::Right, 2},  {ui::Key::PageDown, 3}, {ui::Key::Down, 4}, {ui::Key::Down, 4},
        {ui::Key::Left, 3}, {ui::Key::PageUp, 2}, {ui::Key::Up, 1},       {ui::Key::Up, 0},   {ui::Key::Up, 0},
    };
    for (const auto& [key, row] : steps) {
        app.tk.pressKey(kViewer, key);
        app.tk.push([&, row = row]() -> std::optional<ui::Event> {
            EXPECT_EQ(app.state.view.currentRow(), row);
            EXPECT_EQ(app.state.view.selectedCount(), 1u);
            EXPECT_EQ(app.tk.gadget(ids::kMainWindow, ids::kTable)->focusRow, row);
            EXPECT_EQ(app.tk.window(kViewer)->layout.title, app.state.catalogue[row].file.view());
            EXPECT_EQ(app.text(ids::kStatusLine1), std::string_view(app.state.catalogue[row].name));
            return std::nullopt;
        });
    }
    app.tk.pressKey(kViewer, ui::Key::Down);
    app.tk.closeRequest(ids::kMainWindow);  // ends the program, viewer and all
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(app.tk.openedWindows().size(), 2u);
    EXPECT_FALSE(app.tk.isWindowOpen(kViewer));
    EXPECT_EQ(app.tk.picture(ids::kPreviewPicture)->at(100, 100), raster::rgb(160, 135, 110));  // Beta
}

TEST_F(ShowTest, NoViewerForOldMissingDamagedFiles) {
    ASSERT_TRUE(show(0));  // a good picture exists from before
    removeFile(dir / "t/Gone.trk");
    const std::pair<std::size_t, std::string> cases[] = {
        {2, "Error: " + dir / "t/Broken.trk: damaged: its fields lie outside its bytes"},
        {3, "Error: " + dir / "t/Gone.trk: " + missingFileReason()},
        {4, "Error: " + dir / "t/Old.trk: an old-format track, which has no picture"},
    };
    for (const auto& [row, why] : cases) {
        EXPECT_FALSE(show(row)) << row;
        EXPECT_EQ(app.text(ids::kStatusLine1), std::string_view(app.state.catalogue[row].name));
        EXPECT_EQ(app.text(ids::kStatusLine2), why);
    }
    EXPECT_EQ(app.tk.openedWindows().size(), 2u);
}

TEST_F(ShowTest, FollowsTheClickedRowAfterSaveListAndCopy) {
    dir.mkdirs("out");
    app.state.targetFolder = dir / "out/";
    app.selectRows({0, 1});
    app.tk.answerSave(dir / "list.txt");
    app.click(ids::kSaveList);
    app.click(ids::kCopy);
    app.tk.click(ids::kCopyWindow, ids::kCopyStart);
    app.tk.click(ids::kCopyWindow, ids::kCopyClose);
    app.click(ids::kShow);
    app.tk.push([&]() -> std::optional<ui::Event> {
        EXPECT_EQ(app.tk.window(kViewer)->layout.title, "Alpha.TRK");
        return std::nullopt;
    });
    app.tk.click(kViewer, ids::kViewerImage);
    app.drive();
    EXPECT_EQ(app.tk.openedWindows().size(), 3u);
}

// A label may not give back the bytes it was given (a name that is not UTF-8
// comes back with replacement characters): Show never reads it.
TEST_F(ShowTest, TakesTheTrackFromTheCatalogueNotFromALabel) {
    saveTrack(dir / "t/\xE9t\xE9.trk", TrackSpec{});
    app.load(dir / "t");
    app.selectRows({5});  // after the ASCII names
    app.tk.push([&]() -> std::optional<ui::Event> {
        app.tk.setText(ids::kMainWindow, ids::kStatusLine2, dir / "t/\uFFFDt\uFFFD.trk");
        return std::nullopt;
    });
    std::string title;
    app.click(ids::kShow);
    app.tk.push([&]() -> std::optional<ui::Event> {
        if (const auto* w = app.tk.window(kViewer)) title = w->layout.title;
        return std::nullopt;
    });
    app.tk.click(kViewer, ids::kViewerImage);
    app.drive();
#ifdef _WIN32
    EXPECT_EQ(title, "\xC3\xA9t\xC3\xA9.trk");  // names there are Unicode: the file system gives UTF-8 back
#else
    EXPECT_EQ(title, "\xE9t\xE9.trk");
#endif
}

// Show again brings the open viewer to the front; once moved by the user it
// opens where they left it, and until then where the toolkit puts it.
TEST_F(ShowTest, ShowRaisesTheViewerWhichKeepsTheUsersPlace) {
    const auto moved = ui::WindowPlace{700, 50, 532, 580, false};
    for (int round = 0; round < 3; ++round) {
        app.selectRows({0});
        app.click(ids::kShow);
        app.click(ids::kShow);
        app.tk.push([&]() -> std::optional<ui::Event> {
            EXPECT_EQ(app.tk.windowPlace(kViewer).x, round < 2 ? 0 : moved.x) << round;
            if (round == 1) app.tk.placeWindow(kViewer, moved);
            return std::nullopt;
        });
        app.tk.click(kViewer, ids::kViewerImage);
        app.drive();
    }
    EXPECT_EQ(app.tk.raisedWindows(), std::vector<int>(3, kViewer));
}

TEST_F(ShowTest, SecondShowBuildsANewPicture) {
    ASSERT_TRUE(show(0));
    ASSERT_TRUE(show(1));
    EXPECT_EQ(app.tk.picture(ids::kPreviewPicture)->at(100, 100), raster::rgb(160, 135, 110));
}

}  // namespace
}  // namespace pitbox::test
