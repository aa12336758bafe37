#include <gtest/gtest.h>

#include "library/header_refresh.h"
#include "library/list_export.h"
#include "support/catalogue_of.h"
#include "support/scripted_app.h"
#include "support/temp_dir.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

TrackSpec track(const std::string& author, std::uint8_t ws, std::int32_t length, const std::string& d0,
                const std::string& d1, bool needs110 = false) {
    TrackSpec s;
    s.author = author;
    s.worldSize = ws;
    s.trackLength = length;
    s.drivers[0] = d0;
    s.drivers[1] = d1;
    if (needs110) s.objects.push_back({25, 10, 10, 0});
    return s;
}

class ScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.mkdirs("t");
        saveTrack(dir / "t/a.trk", track("Zed", 255, 40000, "Ann", "Bob", true));
        saveTrack(dir / "t/b.trk", TrackSpec::oldFormat());
        saveTrack(dir / "t/c.trk", track("Amy", 10, 500, "", ""));
        saveFile(dir / "t/d.trk", {5, 1, 'K', 'S', 0, 0});  // damaged
        saveTrack(dir / "t/e.trk", track("Eve", 80, -3, "Cy", ""));
        app.load(dir / "t");
        app.drive();
        saveFile(dir / "t/e.trk", std::vector<std::uint8_t>(2'000'001));  // too large by the time of Scan
    }
    TempDir dir;
    ScriptedApp app;
};

TEST_F(ScanTest, FillsEveryRowInTableOrder) {
    app.click(ids::kSortLength);  // all 0: the order stays a..e
    app.click(ids::kScan);
    app.drive();
    const std::vector<std::string> expected = {
        "a * 1.10\n255\n40000\nZed\nAnn Bob\n" + dir / "t/a.trk",
        "b\n0\n0\nzz_Old KS<1.05\n \n" + dir / "t/b.trk",
        "c\n10\n500\nAmy\n \n" + dir / "t/c.trk",
        "d\n\n\n(damaged)\n \n" + dir / "t/d.trk",
        "e\n\n\n(unreadable)\n \n" + dir / "t/e.trk",
    };
    EXPECT_EQ(app.rows(), expected);
    EXPECT_EQ(app.state.listName, "tracks");
    EXPECT_EQ(app.text(ids::kStatusLine1), "5 Tracks found");
    EXPECT_EQ(app.text(ids::kStatusLine2), " ");
    EXPECT_TRUE(app.tk.gadget(0, ids::kScan)->enabled);
    // The export keeps its classic fields; a click on a damaged or missing
    // file says why it has none.
    EXPECT_EQ(exportLine(app.state.view.row(3)).substr(26, 16), "0       0       ");
    for (const auto& [row, why] : {std::pair<std::size_t, std::string>{3, "d.trk: damaged"}, {4, "e.trk: "}}) {
        app.selectRows({row});
        app.drive();
        EXPECT_NE(app.text(ids::kStatusLine2).find(why), std::string::npos) << app.text(ids::kStatusLine2);
    }
    app.selectRows({2});
    app.drive();
    EXPECT_EQ(app.text(ids::kStatusLine2), dir / "t/c.trk");
}

TEST_F(ScanTest, MarkAppearsOnceAndGoesWhenNoLongerNeeded) {
    for (int twice = 0; twice < 2; ++twice) {
        app.click(ids::kScan);
        app.drive();
    }
    EXPECT_EQ(app.state.catalogue[0].name, "a * 1.10");
    saveTrack(dir / "t/a.trk", track("Zed", 255, 1, "Ann", "Bob", false));
    app.click(ids::kScan);
    app.drive();
    EXPECT_EQ(app.state.catalogue[0].name, "a");
}

TEST_F(ScanTest, KeepsTheTableOrderAndNamesTheListTracks) {
    app.click(ids::kScan);
    app.drive();
    app.click(ids::kSortWorldSize);
    app.click(ids::kScan);
    app.drive();
    std::vector<std::string> names;
    for (const TrackEntry& e : app.state.view.shown()) names.emplace_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"b", "d", "e", "c", "a * 1.10"}));
    EXPECT_EQ(app.state.listName, "tracks");
}

// Scan looks at the folder again: a track added since is listed and read, one
// removed goes, and the selection stays on the tracks it was on.
TEST_F(ScanTest, ListsNewTracksAndDropsRemovedOnes) {
    app.selectRows({1, 2});  // b and c
    app.drive();
    removeFile(dir / "t/a.trk");
    saveTrack(dir / "t/ab.trk", track("Neu", 20, 700, "", ""));
    app.click(ids::kScan);
    app.drive();
    std::vector<std::string> names;
    for (const TrackEntry& e : app.state.view.shown()) names.emplace_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"ab", "b", "c", "d", "e"}));
    EXPECT_EQ(app.state.view.row(0).author, "Neu");
    EXPECT_EQ(app.state.view.selectedRows(), (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(app.state.view.current()->name, "b");
    EXPECT_EQ(app.text(ids::kStatusLine1), "5 Tracks found");
}

// The Scan runs beside the window: the filter and the sorts work meanwhile, the
// other buttons that start work are off, and Stop leaves what was read read
// and the rest as it was. Its first step walks the folder, the next takes
// every stamp, each other reads a file.
TEST_F(ScanTest, RunsBesideTheWindowAndStopsWhereAsked) {
    app.state.workByHand = true;
    removeFile(dir / "t/e.trk");                                                   // 4 tracks
    const std::pair<std::size_t, std::size_t> stops[] = {{0, 0}, {1, 0}, {3, 2}};  // after steps: files read
    for (const auto& [steps, read] : stops) {
        app.load(dir / "t");
        app.handleOne();
        app.click(ids::kScan);
        app.handleOne();
        stepWorkByHand(app.state, 1);  // the walk, after which the reading starts
        tickWork(app.state);
        EXPECT_EQ(app.tk.gadget(0, ids::kScan)->picture, ids::kPictureStop);
        for (int off : {ids::kLoad, ids::kDuplicates, ids::kCopy}) EXPECT_FALSE(app.tk.gadget(0, off)->enabled) << off;
        EXPECT_TRUE(app.tk.gadget(0, ids::kProgress)->shown);
        stepWorkByHand(app.state, steps);
        app.tk.typeText(0, ids::kFilter, read > 0 ? "zed" : "a.trk");
        app.handleOne();
        EXPECT_EQ(app.state.view.rows(), 1u) << steps;  // a's author is known once it is read
        app.clickHeader(0, ids::kTable, 2);
        app.handleOne();
        EXPECT_EQ(app.tk.gadget(0, ids::kTable)->sortColumn, 2) << steps;
        app.tk.typeText(0, ids::kFilter, "");
        app.handleOne();
        app.click(ids::kScan);  // Stop
        app.handleOne();
        app.finishWork();
        EXPECT_EQ(app.text(ids::kStatusLine1), "Scan stopped: " + std::to_string(read) + " of 4 read") << steps;
        std::size_t scanned = 0;
        for (const TrackEntry& e : app.state.catalogue.entries()) scanned += e.state != TrackState::Unscanned;
        EXPECT_EQ(scanned, read) << steps;
        EXPECT_EQ(app.tk.gadget(0, ids::kScan)->picture, ids::kPictureScan);
        EXPECT_TRUE(app.tk.gadget(0, ids::kLoad)->enabled);
        EXPECT_FALSE(app.tk.gadget(0, ids::kProgress)->shown);
    }
    // Escape stops it too; a close request ends it and the program.
    app.click(ids::kScan);
    app.handleOne();
    app.tk.pressKey(0, ui::Key::Escape);
    app.handleOne();
    EXPECT_TRUE(app.state.work->work->stopRequested());
    app.tk.closeRequest(0);
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(app.state.work, nullptr);
}

TEST(RefreshEntry, UnreadableFileKeepsNothingOfThePreviousOne) {
    TempDir dir;
    saveTrack(dir / "good.trk", track("Zed", 200, 900, "Ann", "Bob", true));
    TrackBuffer buffer;
    HeaderFields header;
    Catalogue c;
    const std::string goodPath = dir / "good.trk";
    TrackEntry& good = appendTrack(c, {"good", "", 0, 0, "", goodPath, false});
    ASSERT_TRUE(refreshEntry(c, good, buffer, header));
    EXPECT_EQ(good.name, "good * 1.10");
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;  // empty: no file at all
    };
    const Case cases[] = {
        {"missing file", {}},
        {"damaged file", {5, 1, 'K', 'S', 1, 2, 3}},
        {"larger than the track buffer", std::vector<std::uint8_t>(2'000'001, 0)},
    };
    for (const auto& k : cases) {
        const std::string path = dir / "other.trk";
        removeFile(path);
        if (!k.bytes.empty()) saveFile(path, k.bytes);
        ASSERT_TRUE(refreshEntry(c, good, buffer, header));  // an earlier file was read just before
        TrackEntry& e = appendTrack(c, {"other", "", 7, 7, "x", path, false});
        EXPECT_FALSE(refreshEntry(c, e, buffer, header)) << k.what;
        EXPECT_EQ(e.name, "other") << k.what;
        EXPECT_EQ(e.author, "") << k.what;
        EXPECT_EQ(e.worldSize, 0) << k.what;
        EXPECT_EQ(e.length, 0) << k.what;
        EXPECT_EQ(e.record, " ") << k.what;
    }
}

}  // namespace
}  // namespace pitbox::test
