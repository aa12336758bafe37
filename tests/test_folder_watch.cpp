#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "app/library_watch.h"
#include "platform/folder_watch.h"
#include "support/packs.h"
#include "support/scripted_app.h"
#include "support/temp_dir.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

// Counts the watch's calls and waits for the next.
class Calls {
public:
    void add() {
        const std::lock_guard<std::mutex> hold(lock_);
        ++count_;
        arrived_.notify_all();
    }
    // Whether a call came after the `seen`-th within a few seconds.
    bool comesAfter(int seen) {
        std::unique_lock<std::mutex> hold(lock_);
        return arrived_.wait_for(hold, std::chrono::seconds(5), [&] { return count_ > seen; });
    }
    int count() {
        const std::lock_guard<std::mutex> hold(lock_);
        return count_;
    }

private:
    std::mutex lock_;
    std::condition_variable arrived_;
    int count_ = 0;
};

// Wine's ReadDirectoryChangesW reports no change inside a subfolder that was
// there before the watch began, nor inside one renamed since (it does in
// folders made since, and Windows does everywhere).
bool underWine() {
#ifdef _WIN32
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#else
    return false;
#endif
}

// Where in the tree something changed, once the watch has told it.
bool told(platform::FolderWatch& watch, const std::string& where, bool tree) {
    for (int i = 0; i < 500; ++i) {
        const platform::FolderChanges changes = watch.takeChanges();
        const auto& in = tree ? changes.trees : changes.folders;
        if (std::find(in.begin(), in.end(), where) != in.end()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// Every kind of change anywhere in the tree is heard, in folders made after
// the watch began too, and told where it was: the folder of a file changed,
// the tree of a folder made, removed or renamed.
TEST(FolderWatch, HearsEveryChangeInTheTree) {
    TempDir dir;
    dir.mkdirs("t/sub");
    saveTrack(dir / "t/sub/a.trk", TrackSpec{});
    Calls calls;
    auto watch = platform::watchFolder(dir / "t/", [&] { calls.add(); });
    ASSERT_TRUE(watch) << watch.error().message();
    namespace fs = std::filesystem;
    struct Change {
        const char* what;
        std::function<void()> make;
        bool wineHearsNot;
        const char* where;  // below the root
        bool tree;
    };
    const Change changes[] = {
        {"a file added", [&] { saveTrack(dir / "t/top.trk", TrackSpec{}); }, false, "", false},
        {"a file written",
         [&] {
             saveFile(dir / "t/top.trk", {1, 2, 3});
         },
         false, "", false},
        {"a file added below", [&] { saveTrack(dir / "t/sub/b.trk", TrackSpec{}); }, true, "sub/", false},
        {"a file renamed", [&] { fs::rename(dir / "t/sub/b.trk", dir / "t/sub/c.trk"); }, true, "sub/", false},
        {"a file removed", [&] { fs::remove(dir / "t/sub/c.trk"); }, true, "sub/", false},
        {"a folder made", [&] { dir.mkdirs("t/new"); }, false, "new/", true},
        {"a file in the new folder", [&] { saveTrack(dir / "t/new/d.trk", TrackSpec{}); }, false, "new/", false},
        {"a file renamed in it", [&] { fs::rename(dir / "t/new/d.trk", dir / "t/new/e.trk"); }, false, "new/", false},
        {"the folder renamed", [&] { fs::rename(dir / "t/new", dir / "t/newer"); }, false, "new/", true},
        {"a file in it, at its new name", [&] { saveTrack(dir / "t/newer/f.trk", TrackSpec{}); }, true, "newer/",
         false},
        {"a folder removed", [&] { fs::remove_all(dir / "t/newer"); }, false, "newer/", true},
    };
    for (const auto& [what, change, wineHearsNot, where, tree] : changes) {
        if (wineHearsNot && underWine()) {
            change();
            continue;
        }
        // What an earlier change still reports is let pass first.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        (void)(*watch)->takeChanges();
        const int seen = calls.count();
        change();
        EXPECT_TRUE(calls.comesAfter(seen)) << what;
        EXPECT_TRUE(told(**watch, dir / (std::string("t/") + where), tree)) << what;
    }
}

// The root itself gone is told, and the watch is lost; a watch for a folder
// that is not there hears it come back, through folders on its way too.
TEST(FolderWatch, TellsTheRootGoneAndHearsAFolderComeBack) {
    TempDir dir;
    dir.mkdirs("t/sub");
    Calls calls;
    auto watch = platform::watchFolder(dir / "t/", [&] { calls.add(); });
    ASSERT_TRUE(watch) << watch.error().message();
    EXPECT_TRUE((*watch)->watching());
    removeTreeAsAnotherProgram(dir / "t");
    ASSERT_TRUE(calls.comesAfter(0));
    for (int i = 0; i < 500 && (*watch)->watching(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE((*watch)->watching());

    const auto missing = platform::watchFolder(dir / "t/", [] {});
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, ErrorCode::Missing);
    Calls back;
    auto returning = platform::watchForFolder(dir / "a/t/", [&] { back.add(); });
    ASSERT_TRUE(returning) << returning.error().message();
    dir.mkdirs("a");
    ASSERT_TRUE(back.comesAfter(0)) << "a folder on the way";
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int seen = back.count();
    dir.mkdirs("a/t");
    EXPECT_TRUE(back.comesAfter(seen)) << "the folder itself";
}

// The program: a track added while it is open shows once the change settled,
// without a click; nothing is looked at before.
TEST(LibraryWatch, ATrackAddedShowsWithoutAClick) {
    TempDir dir;
    dir.mkdirs("t");
    saveTrack(dir / "t/a.trk", TrackSpec{});
    ScriptedApp app;
    app.state.watchesLibrary = true;
    app.load(dir / "t");
    app.drive();
    ASSERT_NE(app.state.watch, nullptr);
    const auto now = std::chrono::steady_clock::now();
    EXPECT_EQ(takeLibraryChanges(app.state, now), -1);  // nothing changed

    saveTrack(dir / "t/b.trk", TrackSpec{});
    const auto pending = [&] {
        const std::lock_guard<std::mutex> hold(app.state.watch->lock);
        return app.state.watch->pending;
    };
    for (int i = 0; i < 500 && !pending(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(pending());
    const auto later = std::chrono::steady_clock::now();
    EXPECT_GT(takeLibraryChanges(app.state, later), 0);  // not settled yet
    EXPECT_EQ(app.state.check, nullptr);
    EXPECT_EQ(takeLibraryChanges(app.state, later + std::chrono::seconds(2)), -1);
    ASSERT_NE(app.state.check, nullptr);
    app.finishCheck();
    EXPECT_EQ(app.rows().size(), 2u);
    EXPECT_EQ(app.text(ids::kStatusLine1), "2 Tracks found");
}

// The program with a library of one track, lib/a.trk, loaded and watched.
void watchLibraryOfOne(ScriptedApp& app, const TempDir& dir) {
    saveTrack(dir.mkdirs("lib") + "a.trk", TrackSpec{});
    app.state.watchesLibrary = true;
    app.load(dir / "lib");
    app.drive();
}

// Waits for the watch to have seen a change, then takes it as the main loop
// would once it settled, and runs the check that follows.
void takeChanges(ScriptedApp& app) {
    const auto pending = [&] {
        const std::lock_guard<std::mutex> hold(app.state.watch->lock);
        return app.state.watch->pending;
    };
    for (int i = 0; i < 500 && !pending(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(pending());
    (void)takeLibraryChanges(app.state, std::chrono::steady_clock::now() + std::chrono::seconds(2));
    app.finishCheck();
}

// A watch that tells what the test says changed.
class ToldWatch final : public platform::FolderWatch {
public:
    explicit ToldWatch(platform::FolderChanges told) : told_(std::move(told)) {}
    bool watching() const override { return true; }
    platform::FolderChanges takeChanges() override { return std::exchange(told_, {}); }

private:
    platform::FolderChanges told_;
};

// Only where the watch saw changes is looked at, unless it cannot say where
// or a folder may lie at two paths of the tree: then the whole tree is.
TEST(LibraryWatch, OnlyWhereTheWatchSawChangesIsLookedAt) {
    struct Case {
        const char* what;
        bool everything, links;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {"told where", false, false, {"1", "2", "3"}},
        {"told it cannot say where", true, false, {"1", "2", "3", "4"}},
        {"a folder link in the tree", false, true, {"1", "2", "3", "4"}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        saveTrack(dir.mkdirs("lib/a") + "1.trk", TrackSpec{});
        saveTrack(dir.mkdirs("lib/b") + "2.trk", TrackSpec{});
        ScriptedApp app;
        app.state.watchesLibrary = true;
        app.load(dir / "lib");
        app.drive();
        ASSERT_NE(app.state.watch, nullptr);
        EXPECT_FALSE(app.state.treeHasLinks);
        saveTrack(dir / "lib/a/3.trk", TrackSpec{});
        saveTrack(dir / "lib/b/4.trk", TrackSpec{});
        app.state.watch->watch =
            std::make_unique<ToldWatch>(platform::FolderChanges{{dir / "lib/a/"}, {}, c.everything});
        app.state.treeHasLinks = c.links;
        libraryChanged(*app.state.watch);
        (void)takeLibraryChanges(app.state, std::chrono::steady_clock::now() + std::chrono::seconds(2));
        app.finishCheck();
        std::vector<std::string> shown;
        for (const std::string& row : app.rows()) shown.push_back(row.substr(0, row.find('\n')));
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(shown, c.shown) << c.what;
    }
}

// A pack is watched as a file: added, its tracks show; replaced, they are
// read again; removed, they go.
TEST(LibraryWatch, APackAddedReplacedAndRemovedIsSeenAsAFile) {
    TempDir dir;
    ScriptedApp app;
    watchLibraryOfOne(app, dir);
    const auto packedBy = [](const std::string& author) {
        TrackSpec track;
        track.author = author;
        return std::vector<PackMember>{{"Week 1/Packed.trk", writeTrack(track)}};
    };
    const auto packedRow = [&] {
        const auto rows = app.rows();
        const auto row =
            std::find_if(rows.begin(), rows.end(), [](const std::string& r) { return r.starts_with("Packed"); });
        return row == rows.end() ? std::string() : *row;
    };
    makeZip(dir / "pack.zip", packedBy("Ann"));
    std::filesystem::rename(dir / "pack.zip", dir / "lib/Season.zip");
    takeChanges(app);
    EXPECT_EQ(app.rows().size(), 2u);
    EXPECT_NE(packedRow().find("Ann"), std::string::npos) << packedRow();

    makeZip(dir / "pack.zip", packedBy("Bea"));
    std::filesystem::rename(dir / "pack.zip", dir / "lib/Season.zip");
    takeChanges(app);
    EXPECT_NE(packedRow().find("Bea"), std::string::npos) << packedRow();

    removeFile(dir / "lib/Season.zip");
    takeChanges(app);
    EXPECT_EQ(app.rows().size(), 1u);
}

// The library's folder removed: its tracks leave the table and the program
// watches for it; made again, it is watched and checked again.
TEST(LibraryWatch, AFolderRemovedIsWatchedForAndTakenBackWhenMadeAgain) {
    TempDir dir;
    ScriptedApp app;
    watchLibraryOfOne(app, dir);
    ASSERT_EQ(app.rows().size(), 1u);
    removeTreeAsAnotherProgram(dir / "lib");
    takeChanges(app);
    EXPECT_TRUE(app.rows().empty());
    EXPECT_EQ(app.text(ids::kStatusLine2), dir / "lib/ is not there; watching for it");
    ASSERT_NE(app.state.watch, nullptr);
    EXPECT_TRUE(app.state.watch->forReturn);

    saveTrack(dir.mkdirs("lib") + "Zulu.trk", TrackSpec{});
    takeChanges(app);
    ASSERT_EQ(app.rows().size(), 1u);
    EXPECT_EQ(app.rows()[0].substr(0, 4), "Zulu");
    EXPECT_EQ(app.text(ids::kStatusLine1), "1 Tracks found");
    ASSERT_FALSE(app.state.watch->forReturn);
    if (underWine()) return;  // Wine reports nothing in a folder that was there when the watch began
    saveTrack(dir / "lib/Yankee.trk", TrackSpec{});
    takeChanges(app);
    EXPECT_EQ(app.rows().size(), 2u) << "the folder made again is watched";
}

// What the watch finds while the status line holds the result of what the
// user did goes to the counter; the user's next step takes the line back.
TEST(LibraryWatch, TheUsersResultStaysUntilTheUserDoesSomethingElse) {
    TempDir dir;
    saveTrack(dir.mkdirs("lib") + "a.trk", TrackSpec{});
    ScriptedApp app;
    app.state.watchesLibrary = true;
    app.load(dir / "lib");
    app.click(ids::kDuplicates);
    app.settle();
    app.drive();
    const std::string result = "No duplicates among 1 Tracks";
    ASSERT_EQ(app.text(ids::kStatusLine1), result);
    TrackSpec other;
    other.worldSize = 7;
    saveTrack(dir / "lib/b.trk", other);
    takeChanges(app);
    EXPECT_EQ(app.rows().size(), 2u);
    EXPECT_EQ(app.text(ids::kStatusLine1), result);
    EXPECT_EQ(app.text(ids::kSelectionCounter), "0/2");
    app.click(ids::kSortAuthor);
    app.drive();
    EXPECT_EQ(app.text(ids::kStatusLine1), "2 Tracks found");
}

}  // namespace
}  // namespace pitbox::test
