#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/list_view.h"
#include "app/move_to_trash.h"
#include "app/save_catalogue.h"
#include "platform/trash.h"
#include "support/main_window_layout.h"
#include "support/scripted_app.h"
#include "support/temp_dir.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

using Kind = ScriptedToolkit::Gadget::Kind;

TEST(StartUp, MainWindowAndGadgets) {
    ScriptedApp app;
    const auto* w = app.tk.window(ids::kMainWindow);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->layout.title, "Kestrun Pitbox");
    EXPECT_EQ(w->layout.x, 10);
    EXPECT_EQ(w->layout.y, 10);
    EXPECT_EQ(w->layout.clientWidth, 1000);
    EXPECT_EQ(w->layout.clientHeight, 720);
    std::vector<int> order;
    for (const auto& g : kMainWindowGadgets) {
        order.push_back(g.id);
        const auto* got = app.tk.gadget(0, g.id);
        ASSERT_NE(got, nullptr) << g.id;
        const Kind kind = g.kind == ExpectedGadget::Kind::Table         ? Kind::Table
                          : g.kind == ExpectedGadget::Kind::ImageButton ? Kind::ImageButton
                          : g.kind == ExpectedGadget::Kind::TextField   ? Kind::TextField
                          : g.kind == ExpectedGadget::Kind::TextButton  ? Kind::TextButton
                          : g.kind == ExpectedGadget::Kind::ProgressBar ? Kind::ProgressBar
                                                                        : Kind::Text;
        EXPECT_EQ(got->kind, kind) << g.id;
        EXPECT_EQ(got->anchor, g.anchor) << g.id;
        EXPECT_EQ(got->rect.x, g.rect.x) << g.id;
        EXPECT_EQ(got->rect.y, g.rect.y) << g.id;
        EXPECT_EQ(got->rect.width, g.rect.width) << g.id;
        EXPECT_EQ(got->rect.height, g.rect.height) << g.id;
        if (g.kind == ExpectedGadget::Kind::ImageButton) {
            EXPECT_EQ(got->picture, g.pictureOrFont) << g.id;
        }
        if (g.kind == ExpectedGadget::Kind::Text) {
            EXPECT_EQ(got->font, g.pictureOrFont) << g.id;
        }
    }
    EXPECT_EQ(w->creationOrder, order);
    const auto* table = app.tk.gadget(0, ids::kTable);
    const std::vector<std::pair<std::string, int>> columns = {{"Track", 150},  {"WS", 60},         {"Length", 60},
                                                              {"Author", 200}, {"Record/FL", 200}, {"Path", 300}};
    ASSERT_EQ(table->columns.size(), columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        EXPECT_EQ(table->columns[i].title, columns[i].first);
        EXPECT_EQ(table->columns[i].width, columns[i].second);
    }
    EXPECT_EQ(app.tk.fonts().at(1).family, "Lucida Console");
    EXPECT_EQ(app.tk.fonts().at(2).family, "Arial");
    EXPECT_EQ(app.tk.fonts().at(2).points, 12);
}

TEST(StartUp, ButtonPicturesHaveTheirSizes) {
    ScriptedApp app;
    const std::tuple<int, int, int> sizes[] = {
        {11, 86, 32}, {12, 80, 32}, {13, 93, 32}, {14, 95, 32}, {15, 98, 32},  {17, 174, 64}, {18, 87, 32},
        {19, 70, 32}, {20, 76, 32}, {21, 86, 32}, {22, 96, 32}, {23, 138, 32}, {24, 76, 32},  {25, 97, 32},
    };
    for (const auto& [id, w, h] : sizes) {
        const raster::Picture* p = app.tk.picture(id);
        ASSERT_NE(p, nullptr) << id;
        EXPECT_EQ(p->width(), w) << id;
        EXPECT_EQ(p->height(), h) << id;
        EXPECT_EQ(p->at(0, 0), raster::rgb(252, 254, 252)) << id;
    }
    EXPECT_FALSE(app.tk.hasPicture(16));
}

TEST(MainLoop, CloseRequestEndsWithExitCodeZero) {
    ScriptedApp app;
    app.click(ids::kSortName);
    app.tk.closeRequest(ids::kMainWindow);
    app.click(ids::kSortAuthor);  // never reached
    EXPECT_EQ(app.run(), 0);
    EXPECT_FALSE(app.tk.isWindowOpen(ids::kMainWindow));
    EXPECT_EQ(app.state.listName, "tracks");
}

TEST(StartUp, CloseRequestWhileSettlingEndsTheProgram) {
    ScriptedToolkit tk;
    AppState state(tk);
    tk.click(ids::kMainWindow, ids::kSortName);  // dropped: the window is settling
    tk.closeRequest(ids::kMainWindow);
    tk.click(ids::kMainWindow, ids::kSortAuthor);  // never reached
    startUp(state, "/tmp/");
    EXPECT_EQ(runMainLoop(state), 0);
    EXPECT_FALSE(tk.isWindowOpen(ids::kMainWindow));
    EXPECT_EQ(state.listName, "");
    EXPECT_FALSE(tk.scriptExhausted());
}

TEST(StartUp, LoadsTheFolderItIsGiven) {
    TempDir dir;
    dir.mkdirs("t/sub");
    saveTrack(dir / "t/sub/b.trk", TrackSpec{});
    saveTrack(dir / "t/a.trk", TrackSpec{});
    const ScriptedApp relative(dir.path(), "t");
    EXPECT_EQ(relative.text(ids::kStatusLine1), "2 Tracks found");
    EXPECT_EQ(relative.rows().front(), "a\n\n\n\n\n" + dir / "t/a.trk");  // not scanned: no numbers yet
    EXPECT_EQ(relative.state.trackFolder, dir / "t/");
    EXPECT_TRUE(relative.tk.requests().empty());

    const ScriptedApp missing(dir.path(), dir / "nowhere");
    EXPECT_EQ(missing.text(ids::kStatusLine1), "Error: " + dir / "nowhere/: " + missingFileReason());
    EXPECT_TRUE(missing.rows().empty());
}

TEST(MainLoop, SortButtonsOnAnEmptyCatalogue) {
    const std::pair<int, const char*> buttons[] = {{ids::kSortWorldSize, "tracks_ws"},
                                                   {ids::kSortLength, "tracks_km"},
                                                   {ids::kSortAuthor, "tracks_autor"},
                                                   {ids::kSortName, "tracks"}};
    for (const auto& [button, listName] : buttons) {
        ScriptedApp app;
        app.click(button);
        app.drive();
        EXPECT_EQ(app.state.listName, listName);
        EXPECT_EQ(app.text(ids::kStatusLine1), "0 Tracks found");
        EXPECT_EQ(app.text(ids::kStatusLine2), " ");
        EXPECT_TRUE(app.rows().empty());
    }
}

class LoadedApp : public ::testing::Test {
protected:
    void SetUp() override {
        dir.mkdirs("tracks/sub");
        for (const char* n : {"e.trk", "b.trk", "sub/a.TRK", "sub/d.trk", "c.trk", "f.trk", "g.trk", "h.trk", "i.trk",
                              "j.trk", "sub/k.trk"})
            saveTrack(dir / "tracks/" + n, TrackSpec{});
        saveFile(dir / "tracks/readme.txt", {1});
        app.load(dir / "tracks");
    }
    TempDir dir;
    ScriptedApp app;
};

TEST_F(LoadedApp, LoadListsByNameAndCountsThem) {
    app.drive();
    ASSERT_EQ(app.rows().size(), 11u);
    EXPECT_EQ(app.rows()[0], "a\n\n\n\n\n" + dir / "tracks/sub/a.TRK");
    EXPECT_EQ(app.text(ids::kStatusLine1), "11 Tracks found");
    EXPECT_EQ(app.text(ids::kStatusLine2), " ");
    EXPECT_EQ(app.state.trackFolder, dir / "tracks/");
    EXPECT_EQ(app.state.listName, "");  // Load leaves it
    ASSERT_FALSE(app.tk.requests().empty());
    EXPECT_EQ(app.tk.requests()[0].title, "Open Track Directory");
    EXPECT_EQ(app.tk.requests()[0].start, "/tmp/");
}

TEST_F(LoadedApp, CancelledLoadKeepsEverything) {
    app.drive();
    app.tk.answerFolder("");
    app.click(ids::kLoad);
    app.drive();
    EXPECT_EQ(app.rows().size(), 11u);
    EXPECT_EQ(app.state.trackFolder, dir / "tracks/");
    EXPECT_EQ(app.tk.requests().back().start, dir / "tracks/");
}

// A Load walks beside the window: its button reads Stop, the others that start
// work are off; stopped, the table stays as it was.
TEST_F(LoadedApp, LoadRunsBesideTheWindowAndStops) {
    app.drive();
    app.state.workByHand = true;
    for (bool stopped : {true, false}) {
        app.tk.answerFolder(dir / "tracks/sub");
        app.click(ids::kLoad);
        app.handleOne();
        EXPECT_EQ(app.tk.gadget(0, ids::kLoad)->picture, ids::kPictureStop);
        EXPECT_FALSE(app.tk.gadget(0, ids::kScan)->enabled);
        EXPECT_TRUE(app.tk.gadget(0, ids::kProgress)->shown);
        if (stopped) {
            app.click(ids::kLoad);
            app.handleOne();
        }
        app.finishWork();
        EXPECT_EQ(app.text(ids::kStatusLine1), stopped ? "Load stopped: 0 Tracks found" : "3 Tracks found");
        EXPECT_EQ(app.rows().size(), stopped ? 11u : 3u);
        EXPECT_EQ(app.tk.gadget(0, ids::kLoad)->picture, ids::kPictureLoad);
        EXPECT_TRUE(app.tk.gadget(0, ids::kScan)->enabled);
    }
}

TEST_F(LoadedApp, ListEventTakesTheTopmostSelectedRow) {
    app.selectRows({5, 2, 9});
    app.drive();
    EXPECT_EQ(app.text(ids::kStatusLine1), "c");
    EXPECT_EQ(app.text(ids::kStatusLine2), dir / "tracks/c.trk");
    EXPECT_EQ(app.text(ids::kSelectionCounter), "3/11");
    EXPECT_EQ(app.state.view.selectedCount(), 3u);

    // A click below the last row: nothing selected, texts stay.
    app.selectRows({});
    app.drive();
    EXPECT_EQ(app.text(ids::kStatusLine1), "c");
    EXPECT_EQ(app.text(ids::kSelectionCounter), "3/11");
    EXPECT_EQ(app.state.view.selectedCount(), 0u);

    // A sort keeps the current track (Show opens it) and its path in line 2.
    app.selectRows({5, 2, 9});
    app.tk.clickHeader(ids::kMainWindow, ids::kTable, 0);  // sorted by name already: descending
    app.click(ids::kShow);
    app.drive();
    EXPECT_EQ(app.rows()[0].substr(0, 2), "k\n");
    EXPECT_EQ(app.state.view.selectedRows(), (std::vector<std::size_t>{1, 5, 8}));
    EXPECT_EQ(app.state.view.currentRow(), 8u);
    EXPECT_EQ(app.text(ids::kStatusLine2), dir / "tracks/c.trk");
    EXPECT_EQ(app.text(ids::kSelectionCounter), "3/11");
    EXPECT_EQ(app.tk.gadget(ids::kMainWindow, ids::kTable)->focusRow, 8u);
    EXPECT_EQ(app.tk.openedWindows().back().title, "c.trk");
}

TEST_F(LoadedApp, FilterShowsMatchesAndActionsTakeOnlyThem) {
    app.selectRows({0, 1, 2});  // a, b, c
    app.tk.typeText(ids::kMainWindow, ids::kFilter, "SUB");
    app.drive();
    // a, d and k lie in "sub"; of the selection only a is still shown.
    EXPECT_EQ(app.text(ids::kStatusLine1), "3 of 11 Tracks shown");
    EXPECT_EQ(app.text(ids::kSelectionCounter), "1/3");
    EXPECT_EQ(app.text(ids::kStatusLine2), dir / "tracks/sub/a.TRK");
    app.tk.answerSave(dir / "sub.txt");
    app.click(ids::kSaveList);
    dir.mkdirs("out");
    app.tk.answerFolder(dir / "out");
    app.click(ids::kCopy);
    app.tk.click(ids::kCopyWindow, ids::kCopySelect);
    app.tk.click(ids::kCopyWindow, ids::kCopyStart);
    app.settle();
    app.tk.closeRequest(ids::kCopyWindow);
    app.tk.typeText(ids::kMainWindow, ids::kFilter, "");
    app.drive();
    const auto bytes = readFile(dir / "sub.txt");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()).substr(0, 10), "3 Tracks\r\n");
    EXPECT_EQ(dir.list("out"), std::vector<std::string>{"a.TRK"});
    EXPECT_EQ(app.text(ids::kStatusLine1), "11 Tracks found");
    EXPECT_EQ(app.state.view.selectedRows(), std::vector<std::size_t>{0});
}

TEST_F(LoadedApp, SaveCatalogueOfTheShownTracksBesideTheWindow) {
    app.tk.typeText(ids::kMainWindow, ids::kFilter, "SUB");
    app.tk.answerFolder(dir / "tracks/");  // the user's folder is refused before any work
    app.click(ids::kSaveCatalogue);
    app.drive();
    EXPECT_NE(app.text(ids::kStatusLine1).find("holds files that are not a catalogue's"), std::string::npos);
    app.tk.answerFolder(dir / "catalogue/");  // stopped before a picture is drawn
    app.click(ids::kSaveCatalogue);
    app.click(ids::kSaveCatalogue);
    app.handleOne();
    app.handleOne();
    app.finishWork();
    EXPECT_EQ(app.text(ids::kStatusLine1), "Stopped: no catalogue saved");
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"tracks"}));
    app.tk.answerFolder(dir / "catalogue/");
    app.click(ids::kSaveCatalogue);
    app.handleOne();
    EXPECT_EQ(app.text(ids::kSaveCatalogue), "Stop");
    app.finishWork();
    EXPECT_EQ(app.text(ids::kSaveCatalogue), kSaveCatalogueCaption);
    EXPECT_EQ(app.text(ids::kStatusLine1), "3 Tracks in the catalogue, 3 with a picture: " + dir / "catalogue/");
    EXPECT_EQ(dir.list("catalogue/tracks"), (std::vector<std::string>{"00001.png", "00002.png", "00003.png"}));
    EXPECT_EQ(app.tk.requests().back().start, dir / "catalogue/");  // where the last one went
}

TEST(DuplicatesButton, ShownTogetherAndMarkedThenAllAgain) {
    TempDir dir;
    dir.mkdirs("t/sub");
    TrackSpec track;
    track.objects = {{1, 10, 20, 0}};
    saveTrack(dir / "t/a.trk", track);
    saveTrack(dir / "t/sub/a copy.trk", track);
    track.author = "Someone else";
    saveTrack(dir / "t/b.trk", track);  // the same track saved again
    track.objects[0].x = 11;
    saveTrack(dir / "t/c.trk", track);  // another track
    saveTrack(dir / "t/d.trk", track);  // and its twin
    track.objects[0].x = 12;
    saveTrack(dir / "t/e.trk", track);  // a track of its own
    ScriptedApp app;
    app.load(dir / "t");
    app.drive();
    EXPECT_FALSE(app.tk.gadget(ids::kMainWindow, ids::kSelectExtras)->enabled);
    // The search runs beside the window, its button reading Stop; stopped, nothing changes.
    app.state.workByHand = true;
    for (bool stopped : {true, false}) {
        app.click(ids::kDuplicates);
        app.handleOne();
        EXPECT_EQ(app.text(ids::kDuplicates), "Stop");
        if (stopped) {
            app.click(ids::kDuplicates);
            app.handleOne();
        }
        app.finishWork();
        if (stopped) {
            EXPECT_EQ(app.text(ids::kStatusLine1), "Duplicates stopped: 0 of 6 looked at");
            EXPECT_EQ(app.text(ids::kDuplicates), "Duplicates");
        }
    }
    std::vector<std::string> names;
    for (const std::string& row : app.rows()) names.push_back(row.substr(0, row.find('\n')));
    EXPECT_EQ(names, (std::vector<std::string>{"\u2261 a", "\u2261 a copy", "\u2248 b", "\u2261 c", "\u2261 d"}));
    EXPECT_EQ(app.text(ids::kStatusLine1), "5 duplicates in 2 groups, of 6 Tracks");
    EXPECT_EQ(app.text(ids::kDuplicates), "All Tracks");
    // Select extras: all of each group but its newest file (b); of equally
    // recent ones (c and d), the first path is kept.
    for (TrackEntry& e : app.state.catalogue.entries()) e.stamp.modified = e.name.view() == "b" ? 200 : 100;
    app.click(ids::kSelectExtras);
    app.drive();
    std::vector<std::string> extras;
    for (std::size_t row : app.state.view.selectedRows()) extras.emplace_back(app.state.view.row(row).name);
    EXPECT_EQ(extras, (std::vector<std::string>{"a", "a copy", "d"}));
    EXPECT_EQ(app.text(ids::kSelectionCounter), "3/5");
    // Save List writes the extras.
    app.tk.answerSave(dir / "extras.txt");
    app.click(ids::kSaveList);
    app.drive();
    const auto saved = readFile(dir / "extras.txt");
    EXPECT_EQ(std::string(saved.begin(), saved.end()).substr(0, 10), "3 Tracks\r\n");
    // As CSV, when that type is chosen: each with its group.
    app.tk.answerSave(dir / "extras.csv", 1);
    app.click(ids::kSaveList);
    app.drive();
    const auto csv = readFile(dir / "extras.csv");
    const std::string csvText(csv.begin(), csv.end());
    EXPECT_EQ(std::count(csvText.begin(), csvText.end(), '\n'), 4);
    EXPECT_NE(csvText.find("Record/FL,Path,Status,Group\r\n"), std::string::npos);
    // The filter's rows are counted, and so are their groups.
    app.tk.typeText(ids::kMainWindow, ids::kFilter, "SUB");
    app.drive();
    EXPECT_EQ(app.text(ids::kStatusLine1), "1 duplicates in 1 groups, of 6 Tracks");
    app.tk.typeText(ids::kMainWindow, ids::kFilter, "");
    app.click(ids::kDuplicates);
    app.drive();
    EXPECT_EQ(app.rows().size(), 6u);
    EXPECT_EQ(app.text(ids::kDuplicates), "Duplicates");
    EXPECT_FALSE(app.tk.gadget(ids::kMainWindow, ids::kSelectExtras)->enabled);

    // The extras to the trash by the Delete key, after a question: cancelled,
    // nothing moves; agreed, what could go went, a group left with one track
    // is no duplicate, and a file gone meanwhile is counted and named.
    testTrash();
    app.click(ids::kDuplicates);
    app.handleOne();
    app.finishWork();
    for (TrackEntry& e : app.state.catalogue.entries()) e.stamp.modified = e.name.view() == "b" ? 200 : 100;
    app.click(ids::kSelectExtras);
    app.tk.pressKey(ids::kMainWindow, ui::Key::Delete);
    app.drive();
    EXPECT_EQ(app.tk.requests().back().start,
              "Move 3 tracks to " + platform::trashName() + "?\nThey can be put back from there; nothing is deleted.");
    EXPECT_EQ(app.rows().size(), 5u);
    removeFile(dir / "t/sub/a copy.trk");
    app.tk.answerQuestion(true);
    app.tk.pressKey(ids::kMainWindow, ui::Key::Delete);
    app.handleOne();
    EXPECT_EQ(app.text(ids::kMoveToTrash), "Stop");
    app.finishWork();
    EXPECT_EQ(app.text(ids::kMoveToTrash), kMoveToTrashCaption);
    names.clear();
    for (const std::string& row : app.rows()) names.push_back(row.substr(0, row.find('\n')));
    EXPECT_EQ(names, (std::vector<std::string>{"\u2261 a copy", "\u2248 b"}));
    EXPECT_EQ(app.text(ids::kStatusLine1), "2 Tracks moved to " + platform::trashName() + " (1 stayed)");
    EXPECT_NE(app.text(ids::kStatusLine2).find("a copy.trk"), std::string::npos);
    EXPECT_EQ(dir.list("t"), (std::vector<std::string>{"b.trk", "c.trk", "e.trk", "sub"}));
    EXPECT_EQ(app.state.catalogue.count(), 4u);
    EXPECT_EQ(app.state.catalogue.root(), dir / "t/");  // path words still count below it
}

TEST_F(LoadedApp, SaveListWritesTheTableAndProposesTheListName) {
    app.click(ids::kSortWorldSize);
    app.tk.answerSave(dir / "out.txt");
    app.click(ids::kSaveList);
    app.drive();
    const auto& request = app.tk.requests().back();
    EXPECT_EQ(request.kind, "save");
    EXPECT_EQ(request.title, "Save List");
    EXPECT_EQ(request.start, dir / "tracks/tracks_ws.txt");
    EXPECT_EQ(request.filter, "txt|*.txt;csv|*.csv");
    const auto bytes = readFile(dir / "out.txt");
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.substr(0, 12), "11 Tracks\r\nT");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 14);
    EXPECT_EQ(app.text(ids::kStatusLine1), "11 Tracks found");
}

TEST(SaveList, ProposesDotTxtWithoutAListNameAndReportsFailures) {
    TempDir dir;
    ScriptedApp app(dir.path());
    app.tk.answerSave("");  // cancelled: silent
    app.click(ids::kSaveList);
    app.tk.answerSave(dir / "no/such/folder/list.txt");
    app.click(ids::kSaveList);
    app.drive();
    EXPECT_EQ(app.tk.requests()[0].start, dir / ".txt");
    EXPECT_EQ(app.text(ids::kStatusLine1).rfind("Error: " + dir / "no/such/folder/list.txt", 0), 0u)
        << app.text(ids::kStatusLine1);
    EXPECT_TRUE(dir.list().empty());
}

TEST(SaveList, FailureLeavesTheExistingFile) {
    TempDir dir;
    dir.mkdirs("ro");
    saveFile(dir / "ro/list.txt", {'k', 'e', 'e', 'p'});
    // A file in place of the folder makes the write fail even for root.
    ScriptedApp app(dir.path());
    app.tk.answerSave(dir / "ro/list.txt/x.txt");
    app.click(ids::kSaveList);
    app.drive();
    EXPECT_EQ(app.text(ids::kStatusLine1).rfind("Error: ", 0), 0u);
    const auto kept = readFile(dir / "ro/list.txt");
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "keep");
    EXPECT_EQ(dir.list("ro"), std::vector<std::string>{"list.txt"});
}

TEST(LargeCatalogue, HundredThousandRowsInEveryCount) {
    ScriptedApp app;
    for (int i = 0; i < 100000; ++i) {
        TrackEntry& e = app.state.catalogue.append();
        app.state.catalogue.setText(e.name, std::string("t").append(std::to_string(i)));
        app.state.catalogue.setPath(e, "/x/", std::string(e.name).append(".trk"));
    }
    app.state.view.reset(app.state.catalogue);
    fillList(app.state);
    std::vector<std::size_t> rows;
    for (std::size_t i = 40000; i < 100000; ++i) rows.push_back(i);
    app.selectRows(rows);
    app.drive();
    EXPECT_EQ(app.text(ids::kSelectionCounter), "60000/100000");
    EXPECT_EQ(app.text(ids::kStatusLine1), "t40000");
}

}  // namespace
}  // namespace pitbox::test
