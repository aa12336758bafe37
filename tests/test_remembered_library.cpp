#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "library/library_store.h"
#include "support/catalogue_of.h"
#include "support/scripted_app.h"
#include "support/temp_dir.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

TrackSpec byAuthor(const std::string& author, std::size_t padding = 0) {
    TrackSpec t;
    t.author = author;
    t.padding = padding;
    return t;
}

std::vector<std::uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

TEST(LibraryStore, RoundTripAndEveryDamageRefused) {
    Catalogue c;
    const TrackState states[] = {TrackState::Unscanned, TrackState::Scanned, TrackState::OldFormat, TrackState::Damaged,
                                 TrackState::Unreadable};
    for (int i = 0; i < 5; ++i) {
        TrackEntry& e = c.append();
        c.setText(e.path, "/lib/t" + std::to_string(i) + ".trk");
        c.setText(e.name, "t" + std::to_string(i), i == 1 ? " * 1.10" : "");
        c.setText(e.author, "Ann \xE9");
        c.setText(e.record, "Bob Cy");
        c.setText(e.problem, i > 2 ? "why" : "");
        e.worldSize = i;
        e.length = -i * 1000;
        e.state = states[i];
        e.marked110 = i == 1;
        e.stamp = {static_cast<std::uint64_t>(100 + i), -5 - i * 1000000000000LL};
    }
    const RememberedSettings settings{"/lib/", "/out/", {150, 60, 61, 200, 201, 300}, -20, 30, 1200, 800, true};
    const std::string bytes = encodeLibrary(settings, c);
    auto back = decodeLibrary(bytesOf(bytes), "store");
    ASSERT_TRUE(back) << back.error().message();
    EXPECT_EQ(back->settings, settings);
    ASSERT_EQ(back->catalogue.count(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        const TrackEntry &a = c[i], &b = back->catalogue[i];
        EXPECT_EQ(std::tie(a.path, a.name, a.author, a.record, a.problem),
                  std::tie(b.path, b.name, b.author, b.record, b.problem));
        EXPECT_EQ(std::tie(a.worldSize, a.length, a.state, a.marked110),
                  std::tie(b.worldSize, b.length, b.state, b.marked110));
        EXPECT_EQ(a.stamp, b.stamp);
    }

    // Any cut, any changed byte, another version: refused, never read past the end.
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        EXPECT_FALSE(decodeLibrary(bytesOf(bytes.substr(0, n)), "store")) << n;
        std::string changed = bytes;
        changed[n] = static_cast<char>(changed[n] ^ 0x41);
        EXPECT_FALSE(decodeLibrary(bytesOf(changed), "store")) << n;
    }
    std::string other = bytes;
    other[8] = 2;
    EXPECT_EQ(decodeLibrary(bytesOf(other), "store").error().message(), "store: a library store of another version");
    EXPECT_EQ(decodeLibrary(bytesOf("0123456789abcdefghij"), "store").error().message(), "store: not a library store");
}

class Remembering : public ::testing::Test {
protected:
    void SetUp() override {
        dir.mkdirs("lib");
        saveTrack(dir / "lib/a.trk", byAuthor("Ann"));
        saveTrack(dir / "lib/b.trk", byAuthor("Bob"));
        saveTrack(dir / "lib/c.trk", byAuthor("Cy"));
        store = dir / "state/kestrun-pitbox/library.dat";
    }
    // Starts the program as a user does, with or without a folder, and lets
    // what is scripted run.
    std::unique_ptr<ScriptedApp> start(const std::string& folder = {}) {
        return std::make_unique<ScriptedApp>(dir.path(), folder, store);
    }
    static std::vector<std::string> authors(ScriptedApp& app) {
        std::vector<std::string> out;
        for (std::size_t r = 0; r < app.state.view.rows(); ++r) {
            std::string cell;
            app.state.rows.appendCell(r, 3, cell);
            out.push_back(std::string(app.state.view.row(r).name) + ":" + cell);
        }
        return out;
    }
    TempDir dir;
    std::string store;
};

TEST_F(Remembering, AStartWithoutAFolderShowsTheLibraryAndChecksIt) {
    {
        auto app = start(dir / "lib");
        app->state.targetFolder = dir.mkdirs("out");
        app->tk.setColumnWidths(ids::kMainWindow, ids::kTable, {90, 40, 40, 120, 120, 400});
        app->tk.placeWindow(ids::kMainWindow, {300, 200, 1100, 800, true});
        app->click(ids::kScan);
        EXPECT_EQ(app->run(), 0);  // remembers on the way out
    }
    // b changes (another size), c goes, d comes.
    saveTrack(dir / "lib/b.trk", byAuthor("Bob", 10));
    removeFile(dir / "lib/c.trk");
    saveTrack(dir / "lib/d.trk", byAuthor("Dee"));

    auto app = start();
    EXPECT_EQ(authors(*app), (std::vector<std::string>{"a:Ann", "b:Bob", "c:Cy"}));  // at once, as remembered
    EXPECT_EQ(app->state.targetFolder, dir / "out/");
    EXPECT_EQ(app->tk.columnWidths(ids::kMainWindow, ids::kTable), (std::vector<int>{90, 40, 40, 120, 120, 400}));
    const ui::WindowPlace place = app->tk.windowPlace(ids::kMainWindow);
    EXPECT_EQ(std::tie(place.x, place.y, place.width, place.height, place.maximised),
              std::make_tuple(300, 200, 1100, 800, true));
    app->finishCheck();
    EXPECT_EQ(authors(*app), (std::vector<std::string>{"a:Ann", "b:Bob", "d:Dee"}));
    EXPECT_EQ(app->text(ids::kStatusLine1), "3 Tracks found");
}

TEST_F(Remembering, ScanReadsOnlyChangedFilesUnlessShiftIsHeld) {
    // A time in whole seconds, which every system's file times keep exactly.
    const std::filesystem::file_time_type time =
        std::chrono::floor<std::chrono::seconds>(std::filesystem::last_write_time(dir / "lib/a.trk"));
    std::filesystem::last_write_time(dir / "lib/a.trk", time);
    auto app = start(dir / "lib");
    app->click(ids::kScan);
    app->drive();
    // The same size and time with other bytes: taken for unchanged.
    saveTrack(dir / "lib/a.trk", byAuthor("Max"));
    std::filesystem::last_write_time(dir / "lib/a.trk", time);
    saveTrack(dir / "lib/b.trk", byAuthor("Bo", 3));
    app->click(ids::kScan);
    app->drive();
    EXPECT_EQ(authors(*app), (std::vector<std::string>{"a:Ann", "b:Bo", "c:Cy"}));
    app->tk.pushEvent({ui::EventKind::Gadget, ids::kMainWindow, ids::kScan, -1, ui::Key::None, true});
    app->drive();
    EXPECT_EQ(authors(*app), (std::vector<std::string>{"a:Max", "b:Bo", "c:Cy"}));

    // A Load of the folder again keeps the fields of unchanged files.
    app->load(dir / "lib");
    app->drive();
    EXPECT_EQ(authors(*app), (std::vector<std::string>{"a:Max", "b:Bo", "c:Cy"}));
}

TEST_F(Remembering, BadStoresAreSaidAndMadeAnew) {
    const std::string unwritable = dir / "lib/a.trk/library.dat";  // below a file: no folder can be made
    const std::pair<std::string, std::string> cases[] = {
        {"garbage", "not a library store; it is made anew"},
        {"", "not a library store; it is made anew"},
    };
    dir.mkdirs("state/kestrun-pitbox");
    for (const auto& [content, said] : cases) {
        std::FILE* f = std::fopen(store.c_str(), "wb");
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
        auto app = start();
        EXPECT_EQ(app->text(ids::kStatusLine2), "Error: " + store + ": " + said);
        EXPECT_EQ(app->state.view.rows(), 0u);
        app->load(dir / "lib");
        app->drive();
        const auto remade = readLibrary(store);
        EXPECT_TRUE(remade && *remade) << content;
    }
    // --forget: what the store holds is not given back, and the store goes.
    {
        ScriptedApp forgetting(dir.path(), {}, store, true);
        EXPECT_EQ(forgetting.state.view.rows(), 0u);
        const auto gone = readLibrary(store);
        EXPECT_TRUE(gone && !*gone);
    }
    store = unwritable;
    auto app = start(dir / "lib");
    EXPECT_EQ(app->state.view.rows(), 3u);
    EXPECT_NE(app->text(ids::kStatusLine2).find("; the library is not remembered"), std::string::npos)
        << app->text(ids::kStatusLine2);
}

}  // namespace
}  // namespace pitbox::test
