#include <gtest/gtest.h>

#include "library/header_refresh.h"
#include "library/list_export.h"
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
        removeFile(dir / "t/e.trk");  // gone by the time of Scan
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
    EXPECT_EQ(app.state.currentTrackPath, dir / "t/e.trk");
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
    app.click(ids::kScan);
    app.click(ids::kScan);
    app.drive();
    EXPECT_EQ(app.state.catalogue[0].name, "a * 1.10");
    saveTrack(dir / "t/a.trk", track("Zed", 255, 1, "Ann", "Bob", false));
    app.click(ids::kScan);
    app.drive();
    EXPECT_EQ(app.state.catalogue[0].name, "a");
}

TEST_F(ScanTest, KeepsTheTableOrderAndNamesTheListTracks) {
    app.click(ids::kScan);
    app.click(ids::kSortWorldSize);
    app.click(ids::kScan);
    app.drive();
    std::vector<std::string> names;
    for (const TrackEntry& e : app.state.view.shown()) names.emplace_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"b", "d", "e", "c", "a * 1.10"}));
    EXPECT_EQ(app.state.listName, "tracks");
}

TEST_F(ScanTest, ScanButtonIsDisabledWhileItRunsAndShowsProgress) {
    app.state.progressInterval = std::chrono::milliseconds(0);
    std::vector<std::pair<std::string, bool>> seen;
    app.tk.duringLongAction = [&] {
        seen.emplace_back(app.text(ids::kStatusLine1), app.tk.gadget(0, ids::kScan)->enabled);
    };
    app.click(ids::kScan);
    app.drive();
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0], std::make_pair(std::string("Reading 1 / 5"), false));
    EXPECT_EQ(seen[4], std::make_pair(std::string("Reading 5 / 5"), false));
    EXPECT_TRUE(app.tk.gadget(0, ids::kScan)->enabled);
}

TEST(RefreshEntry, UnreadableFileKeepsNothingOfThePreviousOne) {
    TempDir dir;
    saveTrack(dir / "good.trk", track("Zed", 200, 900, "Ann", "Bob", true));
    TrackBuffer buffer;
    HeaderFields header;
    Catalogue c;
    const std::string goodPath = dir / "good.trk";
    TrackEntry& good = c.append({"good", "", 0, 0, "", goodPath, false});
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
        TrackEntry& e = c.append({"other", "", 7, 7, "x", path, false});
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
