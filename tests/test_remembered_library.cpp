#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <sstream>
#include <thread>

#include "cli/cli.h"
#include "library/library_store.h"
#include "platform/paths.h"
#include "support/catalogue_of.h"
#include "support/folder_link.h"
#include "support/scripted_app.h"
#include "support/store_bytes.h"
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

Catalogue sampleTracks(const std::string& folder) {
    Catalogue c;
    const TrackState states[] = {TrackState::Unscanned, TrackState::Scanned, TrackState::OldFormat, TrackState::Damaged,
                                 TrackState::Unreadable};
    for (int i = 0; i < 5; ++i) {
        TrackEntry& e = c.append();
        c.setPath(e, folder + "t" + std::to_string(i) + ".trk");
        c.setText(e.name, "t" + std::to_string(i), i == 1 ? " * 1.10" : "");
        c.setText(e.author, "Ann \xE9");
        c.setText(e.record, "Bob Cy");
        c.setText(e.problem, i > 2 ? "why" : "");
        e.worldSize = i;
        e.length = -i * 1000;
        e.state = states[i];
        e.marked110 = i == 1;
        e.stamp = {static_cast<std::uint64_t>(100 + i), -5 - i * 1000000000000LL, i * 7LL,
                   static_cast<std::uint64_t>(90 + i), i % 2 == 0};
    }
    return c;
}

void expectSameTracks(const Catalogue& a, const Catalogue& b) {
    ASSERT_EQ(a.count(), b.count());
    for (std::size_t i = 0; i < a.count(); ++i) {
        EXPECT_EQ(a[i].path(), b[i].path());
        EXPECT_EQ(std::tie(a[i].name, a[i].author, a[i].record), std::tie(b[i].name, b[i].author, b[i].record));
        EXPECT_EQ(problemText(a[i]), problemText(b[i]));
        EXPECT_EQ(std::tie(a[i].worldSize, a[i].length, a[i].state, a[i].marked110, a[i].stamp),
                  std::tie(b[i].worldSize, b[i].length, b[i].state, b[i].marked110, b[i].stamp));
    }
}

// Tracks of a folder share one text of it however they are ordered, set from
// a folder and a name or from a whole path, in the store read back and in a
// copy of the catalogue.
TEST(LibraryStore, EachFolderIsKeptOnceForItsTracks) {
    const std::pair<const char*, const char*> paths[] = {
        {"/lib/a/", "1.trk"}, {"/lib/b/", "2.trk"}, {"/lib/a/3.trk", ""},   {"/lib/", "4.trk"},
        {"/lib/b/5", ".trk"}, {"/lib/a/", "6.trk"}, {"/lib/b/x/", "7.trk"},
    };
    const char* const folders[] = {"/lib/a/", "/lib/b/", "/lib/a/", "/lib/", "/lib/b/", "/lib/a/", "/lib/b/x/"};
    Catalogue c;
    for (const auto& [a, b] : paths) c.setPath(c.append(), a, b);
    const auto expectShared = [&](const Catalogue& k, const char* what) {
        ASSERT_EQ(k.count(), std::size(folders)) << what;
        for (std::size_t i = 0; i < k.count(); ++i) {
            EXPECT_EQ(k.byId(static_cast<std::uint32_t>(i)).folderPath(), folders[i]) << what << " " << i;
            EXPECT_EQ(k.byId(static_cast<std::uint32_t>(i)).path(), std::string(paths[i].first) + paths[i].second)
                << what << " " << i;
            for (std::size_t j = 0; j < k.count(); ++j)
                EXPECT_EQ(k.byId(static_cast<std::uint32_t>(i)).folder == k.byId(static_cast<std::uint32_t>(j)).folder,
                          std::string_view(folders[i]) == folders[j])
                    << what << " " << i << " " << j;
        }
    };
    expectShared(c, "set");
    Catalogue copy;
    for (const TrackEntry& e : std::as_const(c).entries()) copy.append(e);
    expectShared(copy, "copied");
    RememberedLibrary library;
    library.remember("/lib/", c);
    auto back = decodeLibrary(bytesOf(encodeLibrary(library)), "store");
    ASSERT_TRUE(back);
    expectShared(*back->tracksOf("/lib/", "store"), "read back");
}

TEST(LibraryStore, RoundTripAndEveryDamageRefused) {
    RememberedLibrary library;
    library.remember("/other/", sampleTracks("/other/"));
    library.remember("/lib/", sampleTracks("/lib/"));
    const std::string bytes = encodeLibrary(library);
    auto back = decodeLibrary(bytesOf(bytes), "store");
    ASSERT_TRUE(back) << back.error().message();
    EXPECT_FALSE(back->oldSettings);
    ASSERT_EQ(back->folders.size(), 2u);
    EXPECT_EQ(back->folders[0].folder, "/lib/");  // the most recently used first
    for (const char* folder : {"/lib/", "/other/"}) {
        auto tracks = back->tracksOf(folder, "store");
        ASSERT_TRUE(tracks);
        expectSameTracks(*tracks, sampleTracks(folder));
    }
    EXPECT_EQ(back->tracksOf("/elsewhere/", "store")->count(), 0u);

    // Any cut, any changed byte, another version: refused, never read past the end.
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        EXPECT_FALSE(decodeLibrary(bytesOf(bytes.substr(0, n)), "store")) << n;
        std::string changed = bytes;
        changed[n] = static_cast<char>(changed[n] ^ 0x41);
        EXPECT_FALSE(decodeLibrary(bytesOf(changed), "store")) << n;
    }
    std::string other = bytes;
    other[8] = static_cast<char>(kLibraryVersion + 1);
    EXPECT_EQ(decodeLibrary(bytesOf(other), "store").error().message(), "store: a library store of another version");
    EXPECT_EQ(decodeLibrary(bytesOf("0123456789abcdefghij"), "store").error().message(), "store: not a library store");

    // The least recently used folders beyond the limit go.
    for (std::size_t i = 0; i < kMostRememberedFolders; ++i) library.remember("/f" + std::to_string(i) + "/", {});
    EXPECT_EQ(library.folders.size(), kMostRememberedFolders);
    EXPECT_EQ(library.folders.back().folder, "/f0/");
}

// Tracks written as versions 1 to 5 laid them out: every text after its
// length, every number whole; version 1 without the stamps' last three fields.
void writeOldEntries(StoreBytes& w, const Catalogue& tracks, std::uint32_t version) {
    const auto u64 = [&](std::uint64_t v) {
        w.u32(static_cast<std::uint32_t>(v));
        w.u32(static_cast<std::uint32_t>(v >> 32));
    };
    w.u32(static_cast<std::uint32_t>(tracks.count()));
    for (const TrackEntry& e : tracks.entries()) {
        w.text(e.path());
        for (const Text& t : {e.name, e.author, e.record, e.problem}) w.text(t);
        w.u32(static_cast<std::uint32_t>(e.worldSize));
        w.u32(static_cast<std::uint32_t>(e.length));
        w.body += static_cast<char>(e.state);
        w.flag(e.marked110);
        u64(e.stamp.size);
        u64(static_cast<std::uint64_t>(e.stamp.modified));
        if (version == 1) continue;
        u64(static_cast<std::uint64_t>(e.stamp.changed));
        u64(e.stamp.index);
        w.flag(e.stamp.settled);
    }
}

TEST(LibraryStore, StoresOfOlderLayoutsAreReadAndWrittenInTheNew) {
    const Catalogue tracks = sampleTracks("/lib/");
    // Version 1: the settings as the first versions had them (the folders, the
    // widths, the window), then one folder's tracks, whose files count as changed.
    StoreBytes first;
    first.text("/lib/");
    first.text("/out/");
    for (std::uint32_t v : {1u, 150u, 0u, 0u, 0u, 0u}) first.u32(v);
    first.flag(false);
    writeOldEntries(first, tracks, 1);
    // Version 5: tracks only, each folder's in the old layout.
    StoreBytes fifth;
    fifth.u32(2);
    for (const char* folder : {"/lib/", "/other/"}) {
        fifth.text(folder);
        StoreBytes entries;
        writeOldEntries(entries, sampleTracks(folder), 5);
        fifth.text(entries.body);
    }
    for (const auto& [version, body] : {std::pair{1u, first.body}, std::pair{5u, fifth.body}}) {
        SCOPED_TRACE(version);
        auto back = decodeLibrary(bytesOf(sealLibrary(body, version)), "store");
        ASSERT_TRUE(back) << back.error().message();
        EXPECT_EQ(back->oldSettings.has_value(), version == 1);
        if (version == 1) {
            EXPECT_EQ(back->oldSettings->targetFolder, "/out/");
        }
        // Written again, it is a store of this version with the same tracks.
        auto again = decodeLibrary(bytesOf(encodeLibrary(*back)), "store");
        ASSERT_TRUE(again);
        EXPECT_EQ(storeVersion(bytesOf(encodeLibrary(*again))), kLibraryVersion);
        const auto read = again->tracksOf("/lib/", "store");
        ASSERT_TRUE(read);
        if (version == 1) {
            ASSERT_EQ(read->count(), tracks.count());
            for (std::size_t i = 0; i < tracks.count(); ++i) {
                EXPECT_EQ((*read)[i].author, tracks[i].author);
                EXPECT_EQ((*read)[i].stamp.size, tracks[i].stamp.size);
                EXPECT_FALSE((*read)[i].stamp.settled);
            }
        } else {
            expectSameTracks(*read, tracks);
            expectSameTracks(*again->tracksOf("/other/", "store"), sampleTracks("/other/"));
        }
    }
}

// The packed layout keeps what its shortcuts would lose: names that are not
// their files', problems that only look as if they named their file, paths of
// no folder or of backslashes, times far apart, file numbers going down.
TEST(LibraryStore, PackedTracksKeepEveryOddEntry) {
    struct Case {
        const char* path;
        const char* name;
        bool marked;
        platform::FileStamp stamp;
        const char* problem = "";
    };
    constexpr std::int64_t kFar = std::numeric_limits<std::int64_t>::max();
    const Case cases[] = {
        {"/lib/a.trk", "a", false, {1, 10, 10, 5, true}, "/lib/a.trk: damaged"},
        {"/lib/b.TRK", "b * 1.10", true, {2, -kFar - 1, kFar, 3, false}, "/lib/b.TRK: "},
        {"/lib/sub/c.trk",
         "not c",
         false,
         {0, kFar, -kFar - 1, std::numeric_limits<std::uint64_t>::max(), true},
         "/lib/sub/c.trkx: no"},
        {"/lib/d.trk", "d", true, {3, 0, 0, 0, true}, "/lib/a.trk: damaged"},  // marked, yet no mark in its name
        {"x.trk", "x", false, {}, "x.trk: damaged"},
        {"C:\\lib\\e.trk", "e", false, {4, 1, 2, 1, true}},
        {"/lib/ab", "", false, {}},
        {"/lib/sub/", "", false, {}},
    };
    Catalogue c;
    for (const Case& k : cases) {
        TrackEntry& e = c.append();
        c.setPath(e, k.path);
        c.setText(e.name, k.name);
        c.setText(e.problem, k.problem);
        e.marked110 = k.marked;
        e.stamp = k.stamp;
        e.worldSize = std::numeric_limits<std::int32_t>::min();
        e.length = std::numeric_limits<std::int32_t>::max();
    }
    // Reasons kept apart from their paths, as a read leaves them: one after a
    // path with a control character, which the user reads made visible.
    for (const auto& [path, reason] : {std::pair{"/lib/f.trk", "too short"}, {"/lib/g\x01.trk", "gone"}}) {
        TrackEntry& e = c.append();
        c.setPath(e, path);
        c.setText(e.name, std::string_view(path).substr(5, std::strlen(path) - 9));
        c.setText(e.problem, reason);
        e.problemAfterPath = true;
    }
    RememberedLibrary library;
    library.remember("/lib/", c);
    auto back = decodeLibrary(bytesOf(encodeLibrary(library)), "store");
    ASSERT_TRUE(back);
    auto tracks = back->tracksOf("/lib/", "store");
    expectSameTracks(*tracks, c);
    // What was read back is written again as it was.
    RememberedLibrary again;
    again.remember("/lib/", *tracks);
    auto twice = decodeLibrary(bytesOf(encodeLibrary(again)), "store");
    ASSERT_TRUE(twice);
    expectSameTracks(*twice->tracksOf("/lib/", "store"), c);
}

TEST(LibraryStore, OnlyUnchangedFilesThatWereReadKeepTheirFields) {
    const platform::FileStamp stamp{100, 5000, 4000, 77, true};
    struct Case {
        const char* what;
        TrackState was;
        platform::FileStamp then, now;
        bool read;
    };
    const auto with = [&](auto change) {
        platform::FileStamp s = stamp;
        change(s);
        return s;
    };
    const Case cases[] = {
        {"unchanged", TrackState::Scanned, stamp, stamp, false},
        {"damaged and unchanged", TrackState::Damaged, stamp, stamp, false},
        {"never read", TrackState::Unscanned, stamp, stamp, false},
        {"never read, changed since", TrackState::Unscanned, stamp, with([](auto& s) { s.size = 101; }), false},
        {"unreadable then", TrackState::Unreadable, stamp, stamp, true},
        {"another size", TrackState::Scanned, stamp, with([](auto& s) { s.size = 101; }), true},
        {"another time", TrackState::Scanned, stamp, with([](auto& s) { s.modified = 5001; }), true},
        {"moved over it", TrackState::Scanned, stamp, with([](auto& s) { s.index = 78; }), true},
        {"rewritten, time put back", TrackState::Scanned, stamp, with([](auto& s) { s.changed = 4001; }), true},
        {"read in the tick it was written", TrackState::Scanned, with([](auto& s) { s.settled = false; }),
         with([](auto& s) { s.settled = false; }), true},
    };
    for (const Case& c : cases) {
        Catalogue remembered, fresh;
        TrackEntry& r = remembered.append();
        remembered.setPath(r, "/lib/a.trk");
        remembered.setText(r.author, "Ann");
        r.state = c.was;
        r.stamp = c.then;
        TrackEntry& f = fresh.append();
        fresh.setPath(f, "/lib/a.trk");
        f.stamp = c.now;
        const auto toRead = takeRememberedFields(fresh, remembered);
        EXPECT_EQ(toRead.size(), c.read ? 1u : 0u) << c.what;
        EXPECT_EQ(f.author.view(), !c.read && c.was != TrackState::Unscanned ? "Ann" : "") << c.what;
        // The same walk taken in place: only when nothing is to be read.
        EXPECT_EQ(takeUnchangedWalk(remembered, fresh), !c.read) << c.what;
        EXPECT_EQ(r.stamp, c.was == TrackState::Unscanned ? c.now : c.then) << c.what;
    }
    // A walk of other files, or of the same in another order, is not taken in place.
    Catalogue known, other;
    for (const char* path : {"/lib/a.trk", "/lib/b.trk"}) known.setPath(known.append(), path);
    for (const char* path : {"/lib/b.trk", "/lib/a.trk"}) other.setPath(other.append(), path);
    EXPECT_FALSE(takeUnchangedWalk(known, other));
    other.setPath(other.append(), "/lib/c.trk");
    EXPECT_FALSE(takeUnchangedWalk(known, other));
}

class Remembering : public ::testing::Test {
protected:
    void SetUp() override {
        dir.mkdirs("lib");
        saveTrack(dir / "lib/a.trk", byAuthor("Ann"));
        saveTrack(dir / "lib/b.trk", byAuthor("Bob"));
        saveTrack(dir / "lib/c.trk", byAuthor("Cy"));
        // The command line's store is in the state folder of the system's naming.
        setStateFolder(dir / "state");
        store = libraryStorePath();
        // The files are made just now: their stamps count as settled at once.
        platform::setSettleTime(std::chrono::milliseconds(0));
    }
    void TearDown() override {
        platform::setSettleTime(std::chrono::seconds(3));
        setStateFolder({});
    }
    void makeStoreFolder() { std::filesystem::create_directories(std::string(platform::pathPart(store))); }
    static void setStateFolder(const std::string& folder) {
#ifdef _WIN32
        _putenv_s("LOCALAPPDATA", folder.c_str());
#else
        if (folder.empty())
            ::unsetenv("XDG_STATE_HOME");
        else
            ::setenv("XDG_STATE_HOME", folder.c_str(), 1);
#endif
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
        app->clickHeader(ids::kMainWindow, ids::kTable, 3);
        app->clickHeader(ids::kMainWindow, ids::kTable, 3);  // by author, descending
        app->selectRows({1});                                // b
        app->drive();
        app->state.viewerPlace = ui::WindowPlace{640, 20, 532, 580, false};
        EXPECT_EQ(app->run(), 0);  // remembers on the way out
    }
    // b changes (another size), c goes, d comes.
    saveTrack(dir / "lib/b.trk", byAuthor("Bob", 10));
    removeFile(dir / "lib/c.trk");
    saveTrack(dir / "lib/d.trk", byAuthor("Dee"));

    auto app = start();
    EXPECT_EQ(authors(*app), (std::vector<std::string>{"c:Cy", "b:Bob", "a:Ann"}));  // at once, as remembered
    EXPECT_EQ(app->state.view.current()->name, "b");
    EXPECT_EQ(app->state.viewerPlace->x, 640);
    EXPECT_EQ(app->state.targetFolder, dir / "out/");
    EXPECT_EQ(app->tk.columnWidths(ids::kMainWindow, ids::kTable), (std::vector<int>{90, 40, 40, 120, 120, 400}));
    const ui::WindowPlace place = app->tk.windowPlace(ids::kMainWindow);
    EXPECT_EQ(std::tie(place.x, place.y, place.width, place.height, place.maximised),
              std::make_tuple(300, 200, 1100, 800, true));
    app->finishCheck();
    // c gone; b keeps its row and fields until it is read again; d comes in
    // where the sort puts it unread; the rows not moved by their reading.
    EXPECT_EQ(authors(*app), (std::vector<std::string>{"b:Bob", "a:Ann", "d:Dee"}));
    EXPECT_EQ(app->state.view.current()->name, "b");
    EXPECT_EQ(app->text(ids::kStatusLine1), "3 Tracks found");
}

#ifndef _WIN32  // Wine makes no folder links
// A folder link leads the start's check to a walk of the whole tree: a folder
// it reaches by two paths keeps the first in the walk's order, once.
TEST_F(Remembering, ALibraryWithAFolderLinkIsCheckedWhole) {
    dir.mkdirs("lib/sub");
    saveTrack(dir / "lib/sub/s.trk", byAuthor("Sue"));
    ASSERT_TRUE(makeFolderLink(dir / "lib/a-link", dir / "lib/sub"));
    start(dir / "lib")->run();
    saveTrack(dir / "lib/sub/t.trk", byAuthor("Tim"));
    auto app = start();
    app->finishCheck();
    std::vector<std::string> paths;
    for (std::size_t r = 0; r < app->state.view.rows(); ++r)
        paths.emplace_back(app->state.view.row(r).path().substr(app->state.trackFolder.size()));
    EXPECT_EQ(paths, (std::vector<std::string>{"a.trk", "b.trk", "c.trk", "a-link/s.trk", "a-link/t.trk"}));
    EXPECT_TRUE(app->state.treeHasLinks);
}
#endif

// What Scan made of a.trk after its fields were marked "Kept" in the table:
// "Kept" when it did not read the file again.
std::string authorOfAAfterScan(ScriptedApp& app, bool shift = false) {
    for (TrackEntry& e : app.state.catalogue.entries())
        if (e.name.view() == "a") app.state.catalogue.setText(e.author, "Kept");
    app.tk.pushEvent({ui::EventKind::Gadget, ids::kMainWindow, ids::kScan, -1, ui::Key::None, shift});
    app.drive();
    for (const TrackEntry& e : app.state.catalogue.entries())
        if (e.name.view() == "a") return std::string(e.author);
    return "gone";
}

TEST_F(Remembering, ScanReadsOnlyChangedFilesUnlessShiftIsHeld) {
    auto app = start(dir / "lib");
    app->click(ids::kScan);
    app->drive();
    saveTrack(dir / "lib/b.trk", byAuthor("Bo", 3));
    EXPECT_EQ(authorOfAAfterScan(*app), "Kept");
    EXPECT_EQ(authors(*app)[1], "b:Bo");
    EXPECT_EQ(authorOfAAfterScan(*app, true), "Ann");

    // A Load of the folder again keeps the fields of unchanged files only.
    saveTrack(dir / "lib/c.trk", byAuthor("Cyd", 3));
    app->load(dir / "lib");
    app->drive();
    EXPECT_EQ(authors(*app), (std::vector<std::string>{"a:Ann", "b:Bo", "c:"}));
}

TEST_F(Remembering, ChangesThatKeepSizeAndTimeAreSeen) {
    const auto sameSizeAndTime = [this](const std::string& path) {
        const auto time = std::filesystem::last_write_time(dir / "lib/a.trk");
        saveTrack(path, byAuthor("Max"));
        std::filesystem::last_write_time(path, time);
    };
    struct Case {
        const char* what;
        std::chrono::milliseconds settle;
        std::function<void()> change;
        const char* author;
    };
    const Case cases[] = {
        {"nothing", std::chrono::milliseconds(0), [] {}, "Kept"},
        {"nothing, but read within the tick it was written", std::chrono::hours(1), [] {}, "Ann"},
        {"moved over by another file", std::chrono::milliseconds(0),
         [&] {
             sameSizeAndTime(dir / "other.trk");
             std::filesystem::rename(dir / "other.trk", dir / "lib/a.trk");
         },
         "Max"},
#ifndef _WIN32  // Windows's quick look has no change time
        {"rewritten in place", std::chrono::milliseconds(0), [&] { sameSizeAndTime(dir / "lib/a.trk"); }, "Max"},
#endif
    };
    for (const Case& c : cases) {
        saveTrack(dir / "lib/a.trk", byAuthor("Ann"));
        platform::setSettleTime(c.settle);
        auto app = start(dir / "lib");
        app->click(ids::kScan);
        app->drive();
        c.change();
        EXPECT_EQ(authorOfAAfterScan(*app), c.author) << c.what;
    }
}

TEST_F(Remembering, EachFolderIsKeptAndTheProgramOpensItsOwnLast) {
    start(dir / "lib")->run();
    dir.mkdirs("other");
    saveTrack(dir / "other/x.trk", byAuthor("Xena"));
    // The command line, given a relative folder, remembers it absolute.
    const auto working = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    std::ostringstream out, err;
    EXPECT_EQ(cli::run({"list", "--scan", "--cache", "./lib/../other"}, out, err), 0) << err.str();
    std::filesystem::current_path(working);
    const auto held = readLibrary(store);
    ASSERT_TRUE(held && *held);
    ASSERT_EQ((*held)->folders.size(), 2u);
    EXPECT_EQ((*held)->folders[0].folder, dir / "other/");
    EXPECT_EQ((*held)->tracksOf(dir / "other/", store)->count(), 1u);

    auto app = start();
    EXPECT_EQ(app->state.trackFolder, dir / "lib/");
    EXPECT_EQ(authors(*app), (std::vector<std::string>{"a:", "b:", "c:"}));
    // Loading the other folder gives back what the command line read there.
    app->load(dir / "other");
    app->drive();
    EXPECT_EQ(authors(*app), (std::vector<std::string>{"x:Xena"}));
}

TEST_F(Remembering, TheCheckKeepsTheDuplicatesViewAndDropsFilesThatWent) {
    saveFile(dir / "lib/a2.trk", readFile(dir / "lib/a.trk"));
    {
        auto first = start(dir / "lib");
        first->click(ids::kScan);
        first->drive();
        first->run();
    }
    saveTrack(dir / "lib/c.trk", byAuthor("Cyd", 5));  // changed: the check reads it
    auto app = std::make_unique<ScriptedApp>(dir.path(), "", store, false, true);
    app->click(ids::kDuplicates);
    app->handleOne();               // the search, beside the check
    stepWorkByHand(app->state, 1);  // the search's one step
    tickWork(app->state);
    ASSERT_TRUE(app->state.view.showingDuplicates());
    stepWorkByHand(app->state, 1);  // the check's walk
    removeFile(dir / "lib/c.trk");  // gone after the walk, before it is read
    app->finishWork();
    EXPECT_TRUE(app->state.view.showingDuplicates());
    EXPECT_EQ(app->tk.text(ids::kMainWindow, ids::kDuplicates), "All Tracks");
    EXPECT_EQ(app->state.view.rows(), 3u);        // the same track three times, two of them identical files
    EXPECT_EQ(app->state.catalogue.count(), 3u);  // c is gone, not unreadable
}

TEST_F(Remembering, AStoreOfAnotherVersionIsSetAsideAndDeadWritesCleared) {
    makeStoreFolder();
    const std::string newer = sealLibrary("from a newer program", kLibraryVersion + 1);
    saveFile(store, bytesOf(newer));
    const std::string dead = std::string(platform::pathPart(store)) + ".pitbox-0000abcd";
    saveFile(dead, bytesOf("half"));
    auto app = start();
    EXPECT_EQ(app->text(ids::kStatusLine2), "Error: " + store +
                                                ": a library store of another version, kept as library.dat.v" +
                                                std::to_string(kLibraryVersion + 1) + "; it is made anew");
    app->load(dir / "lib");
    app->drive();
    EXPECT_EQ(readFile(store + ".v" + std::to_string(kLibraryVersion + 1)), bytesOf(newer));
    const auto remade = readLibrary(store);
    EXPECT_TRUE(remade && *remade);
    EXPECT_FALSE(platform::fileStatus(dead));
}

#ifndef _WIN32  // pipes and links as Linux has them
TEST_F(Remembering, OnlyARegularFileIsReplacedByTheStore) {
    const std::string fifo = dir / "fifo";
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"a pipe", [&] { ASSERT_EQ(::mkfifo(store.c_str(), 0600), 0); }},
        {"a link to a pipe", [&] { ASSERT_EQ(::symlink(fifo.c_str(), store.c_str()), 0); }},
        {"a link to nothing", [&] { ASSERT_EQ(::symlink((dir / "nowhere").c_str(), store.c_str()), 0); }},
    };
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    makeStoreFolder();
    for (const auto& [what, make] : cases) {
        removeFile(store);
        make();
        struct stat before {};
        ::lstat(store.c_str(), &before);
        auto app = start(dir / "lib");
        EXPECT_EQ(app->state.view.rows(), 3u) << what;
        EXPECT_NE(app->text(ids::kStatusLine2).find("; the library is not remembered"), std::string::npos)
            << what << ": " << app->text(ids::kStatusLine2);
        struct stat after {};
        ::lstat(store.c_str(), &after);
        EXPECT_EQ(after.st_mode, before.st_mode) << what;
        EXPECT_EQ(std::filesystem::status(fifo).type(), std::filesystem::file_type::fifo) << what;
        EXPECT_FALSE(std::filesystem::exists(dir / "nowhere")) << what;
    }
}
#endif

TEST_F(Remembering, BadStoresAreSaidAndMadeAnew) {
    const std::string unwritable = dir / "lib/a.trk/library.dat";  // below a file: no folder can be made
    const std::pair<std::string, std::string> cases[] = {
        {"garbage", "not a library store; it is made anew"},
        {"", "not a library store; it is made anew"},
    };
    makeStoreFolder();
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
