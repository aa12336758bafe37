#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

#include "library/folder_load.h"
#include "library/library_store.h"
#include "library/tree_check.h"
#include "platform/paths.h"
#ifdef _WIN32
#include "platform/win32/wide.h"
#endif
#ifndef _WIN32
#include "support/child_process.h"
#endif
#include "support/folder_link.h"
#include "support/packs.h"
#include "support/temp_dir.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

void touch(const std::string& path) { saveFile(path, {1, 2, 3}); }

std::vector<std::string> walk(const std::string& root) {
    std::vector<std::string> found;
    EXPECT_TRUE(walkTrackFolders(root, [&](std::string_view, std::string&& path) {
        std::string below = path.substr(root.size());
        std::replace(below.begin(), below.end(), '\\', '/');  // the same on every system
        found.push_back(below);
    }));
    return found;
}

TEST(FolderLoad, TrackFileNames) {
    const std::pair<const char*, bool> cases[] = {
        {"Ring.trk", true}, {"Ring.TRK", true}, {"a.b.trk", true},       {"x.Trk", true},
        {".trk", false},    {"trk", false},     {"ring.trk.bak", false}, {"ring.trkx", false},
        {"ring.tr", false}, {"a.trk ", false},  {"ab.trk", true},
    };
    for (const auto& [name, expected] : cases) EXPECT_EQ(isTrackFileName(name), expected) << name;
}

TEST(FolderLoad, DepthFirstPreOrderWithFilesBeforeSubfolders) {
    TempDir dir;
    dir.mkdirs("root/b/deep/deeper");
    dir.mkdirs("root/a");
    dir.mkdirs("root/folder.trk");
    touch(dir / "root/top.trk");
    touch(dir / "root/notes.txt");
    touch(dir / "root/a/A1.TRK");
    touch(dir / "root/b/B1.trk");
    touch(dir / "root/b/deep/deeper/D.trk");
    touch(dir / "root/folder.trk/inside.trk");
    const auto found = walk(dir / "root/");
    // Listing order is the file system's; check the structure it must keep.
    ASSERT_EQ(found.size(), 5u);
    EXPECT_EQ(found[0], "top.trk");
    auto at = [&](const std::string& p) { return std::find(found.begin(), found.end(), p) - found.begin(); };
    EXPECT_LT(at("b/B1.trk"), at("b/deep/deeper/D.trk"));
    EXPECT_LT(at("top.trk"), at("a/A1.TRK"));
    EXPECT_NE(at("folder.trk/inside.trk"), static_cast<long>(found.size()));
    // A whole subtree comes before the next sibling.
    const bool aFirst = at("a/A1.TRK") < at("b/B1.trk");
    if (aFirst) {
        EXPECT_LT(at("a/A1.TRK"), at("b/B1.trk"));
    } else {
        EXPECT_GT(at("a/A1.TRK"), at("b/deep/deeper/D.trk"));
    }
}

#ifndef _WIN32  // links and permission bits as on Linux; Windows has its own tests
TEST(FolderLoad, LinkCycleEndsAtOnce) {
    TempDir dir;
    dir.mkdirs("root/sub");
    touch(dir / "root/sub/t1.trk");
    std::filesystem::create_directory_symlink(dir / "root", dir / "root/sub/loop");
    std::filesystem::create_directory_symlink(dir / "root/sub", dir / "root/again");
    // sub is entered once, through "again" (before "sub" in byte order); the
    // link back to root is never entered.
    EXPECT_EQ(walk(dir / "root/"), std::vector<std::string>{"again/t1.trk"});
}

#endif

TEST(FolderLoad, LoadSortsByNameKeepingDiscoveryOrderOfEqualNames) {
    TempDir dir;
    dir.mkdirs("r/x");
    touch(dir / "r/Ring.trk");
    touch(dir / "r/x/ring.TRK");
    touch(dir / "r/alpha.trk");
    Catalogue c;
    ASSERT_TRUE(collectTracks(dir / "r/", c));
    ASSERT_EQ(c.count(), 3u);
    EXPECT_EQ(c[0].name, "alpha");
    EXPECT_EQ(c[1].name, "Ring");  // found first, in the chosen folder itself
    EXPECT_EQ(c[1].path(), dir / "r/Ring.trk");
    EXPECT_EQ(c[2].name, "ring");
    EXPECT_EQ(c[2].path(), dir / "r/x/ring.TRK");
    EXPECT_EQ(c[2].worldSize, 0);
    EXPECT_EQ(c[2].author, "");
}

#ifndef _WIN32
TEST(FolderLoad, UnreadableFolderIsSkipped) {
    TempDir dir;
    dir.mkdirs("r/open");
    dir.mkdirs("r/closed/below");
    touch(dir / "r/open/o.trk");
    touch(dir / "r/closed/c.trk");
    touch(dir / "r/closed/below/b.trk");
    ::chmod((dir / "r/closed").c_str(), 0);
    // Root reads every folder, so the walk runs in a child that gave up root.
    const auto found = inChild(
        [&] {
            std::string out;
            for (const auto& f : walk(dir / "r/")) out += f + "\n";
            return out;
        },
        true);
    EXPECT_EQ(found, "open/o.trk\n");
}

#endif

// A check of only the areas the watch saw change makes what a check of the
// whole tree makes: the same tracks in the same order (equal names in the
// walk's order), each with what was known of it, the same ones to read. A
// track changed since keeps what was known of it until it is read again.
TEST(ChangedAreas, ACheckOfTheAreasFindsWhatAWalkOfTheWholeTreeFinds) {
    namespace fs = std::filesystem;
    platform::setSettleTime(std::chrono::milliseconds(0));
    struct Case {
        const char* what;
        std::function<void(const TempDir&)> change;
        std::vector<std::string> folders, trees;  // below the root, as the watch tells them
        bool tableChanges = true;
    };
    const Case cases[] = {
        {"a track added beside others", [](const TempDir& d) { saveTrack(d / "r/b/e.trk", TrackSpec{}); }, {"b/"}, {}},
        {"a track removed", [](const TempDir& d) { removeFile(d / "r/b/c.trk"); }, {"b/"}, {}},
        {"a track written",
         [](const TempDir& d) {
             saveFile(d / "r/b/c.trk", {9, 9});
         },
         {"b/"},
         {}},
        {"a track in the root", [](const TempDir& d) { saveTrack(d / "r/a.TRK", TrackSpec{}); }, {""}, {}},
        {"a folder made with tracks",
         [](const TempDir& d) {
             d.mkdirs("r/b/n");
             saveTrack(d / "r/b/n/a.trk", TrackSpec{});
         },
         {},
         {"b/n/"}},
        {"a folder removed", [](const TempDir& d) { fs::remove_all(d / "r/b/d"); }, {}, {"b/d/"}},
        {"a folder renamed", [](const TempDir& d) { fs::rename(d / "r/b", d / "r/z"); }, {""}, {"b/", "z/"}},
        {"a pack added",
         [](const TempDir& d) {
             makeZip(d / "r/b/p.zip", {{"in/a.trk", writeTrack(TrackSpec{})}});
         },
         {"b/"},
         {}},
        {"changes nested in a tree told too",
         [](const TempDir& d) {
             saveTrack(d / "r/b/d/f.trk", TrackSpec{});
             saveTrack(d / "r/b-c/a (2).trk", TrackSpec{});
         },
         {"b/d/", "b-c/"},
         {"b/"}},
        {"a pack removed", [](const TempDir& d) { removeFile(d / "r/b/p.zip"); }, {"b/"}, {}},
        {"a track in a folder with a pack's name",
         [](const TempDir& d) { saveTrack(d / "r/b/o.zip/h.trk", TrackSpec{}); },
         {"b/o.zip/"},
         {}},
        {"another file written", [](const TempDir& d) { touch(d / "r/b/notes.txt"); }, {"b/"}, {}, false},
        {"a folder gone that held no tracks",
         [](const TempDir& d) { fs::remove_all(d / "r/empty"); },
         {},
         {"empty/"},
         false},
    };
    TempDir packs;
    const std::string pack = packs / "p.zip";
    makeZip(pack, {{"in/a.trk", writeTrack(TrackSpec{})}});
    for (const Case& c : cases) {
        TempDir dir;
        // Equal names in many folders, and folder names that sort before the
        // separator ("b-c" and "b.c" against "b/"), so that the order shows.
        // A pack's tracks, and a folder with a pack's name beside it.
        for (const char* folder : {"r/b/d", "r/b/o.zip", "r/b-c", "r/b.c", "r/empty"}) dir.mkdirs(folder);
        for (const char* track : {"r/a.trk", "r/x.trk", "r/b/a.trk", "r/b/c.trk", "r/b/d/a.trk", "r/b/o.zip/o.trk",
                                  "r/b-c/a.trk", "r/b.c/a.trk"})
            saveTrack(dir / track, TrackSpec{});
        fs::copy_file(pack, dir / "r/b/p.zip");
        const std::string root = dir / "r/";
        // One for the areas told, one for those compared: each is changed in place.
        Catalogue knownOf[2];
        for (Catalogue& known : knownOf) {
            ASSERT_TRUE(collectTracks(root, known, {}, true));
            for (TrackEntry& e : known.entries()) {
                e.state = TrackState::Scanned;
                known.setText(e.author, "known " + e.path().substr(root.size()));
            }
        }
        std::map<std::string, std::string> knownAuthors;
        for (const TrackEntry& e : knownOf[0].entries()) knownAuthors[e.path()] = e.author.view();
        c.change(dir);
        platform::FolderChanges changes;
        for (const std::string& f : c.folders) changes.folders.push_back(dir / ("r/" + f));
        for (const std::string& t : c.trees) changes.trees.push_back(dir / ("r/" + t));
        const ChangedAreas areas(changes, root);

        Catalogue whole;
        ASSERT_TRUE(collectTracks(root, whole, {}, true));
        std::vector<std::string> wholeRead;
        for (const TrackEntry* e : takeRememberedFields(whole, knownOf[0])) wholeRead.emplace_back(e->path());

        std::vector<std::string> wholePaths, wholeAuthors;
        for (const TrackEntry& e : whole.entries()) {
            wholePaths.emplace_back(e.path());
            const bool changed = std::find(wholeRead.begin(), wholeRead.end(), e.path()) != wholeRead.end();
            wholeAuthors.emplace_back(changed && knownAuthors.count(e.path()) ? knownAuthors[e.path()]
                                                                              : e.author.view());
        }
        // The areas the watch told, then those a comparison of the whole
        // tree with the table finds.
        TreeDifferences differences;
        ASSERT_TRUE(compareTree(root, knownFiles(knownOf[1]), differences)) << c.what;
        EXPECT_FALSE(differences.linkMet) << c.what;
        EXPECT_TRUE(differences.stamps.empty()) << c.what;
        const ChangedAreas compared({changedFolders(knownOf[1], differences), {}, false}, root);
        for (const ChangedAreas* looked : {&areas, &compared}) {
            const std::string what = std::string(c.what) + (looked == &areas ? ", told" : ", compared");
            Catalogue& known = knownOf[looked == &areas ? 0 : 1];
            Catalogue walked;
            bool linkMet = true;
            ASSERT_TRUE(collectChangedTracks(root, *looked, walked, linkMet)) << what;
            EXPECT_FALSE(linkMet) << what;
            const auto changed = takeChangedAreas(known, walked, *looked);
            if (looked == &areas) {
                ASSERT_EQ(changed.has_value(), c.tableChanges) << what;
            }
            std::vector<std::string> shownPaths, shownAuthors, read;
            for (const TrackEntry& e : known.entries()) {
                shownPaths.emplace_back(e.path());
                shownAuthors.emplace_back(e.author.view());
            }
            if (changed)
                for (const TrackEntry* e : changed->toRead) read.emplace_back(e->path());
            EXPECT_EQ(shownPaths, wholePaths) << what;
            EXPECT_EQ(shownAuthors, wholeAuthors) << what;
            EXPECT_EQ(read, wholeRead) << what;
        }
    }
    platform::setSettleTime(std::chrono::seconds(3));
    // The root gone fails the walk, as a walk of the whole tree fails.
    TempDir gone;
    platform::FolderChanges atRoot;
    atRoot.folders.push_back(gone / "r/");
    Catalogue none;
    bool linkMet = false;
    const auto walked = collectChangedTracks(gone / "r/", ChangedAreas(atRoot, gone / "r/"), none, linkMet);
    ASSERT_FALSE(walked);
    EXPECT_EQ(walked.error().code, ErrorCode::Missing);
}

// The comparison of a tree with the table names the folders whose tracks are
// not the known ones, and those alone: a folder whose files are as they were
// read is not walked again.
TEST(TreeCheck, OnlyTheFoldersThatDifferAreNamed) {
    namespace fs = std::filesystem;
    platform::setSettleTime(std::chrono::milliseconds(0));
    struct Case {
        const char* what;
        std::function<void(const TempDir&)> change;
        std::vector<std::string> folders;  // below the root
        std::size_t stamps = 0;            // of tracks not read yet
    };
    const Case cases[] = {
        {"nothing", [](const TempDir&) {}, {}},
        {"another file written", [](const TempDir& d) { touch(d / "r/notes.txt"); }, {}},
        {"a track not read yet written",
         [](const TempDir& d) {
             saveFile(d / "r/d/e.trk", {1, 2, 3, 4});
         },
         {},
         1},
        {"a track read written",
         [](const TempDir& d) {
             saveFile(d / "r/b/c.trk", {1, 2, 3, 4});
         },
         {"b/"}},
        {"a track added", [](const TempDir& d) { saveTrack(d / "r/d/f.trk", TrackSpec{}); }, {"d/"}},
        {"a track removed", [](const TempDir& d) { removeFile(d / "r/a.trk"); }, {""}},
        {"a folder removed", [](const TempDir& d) { fs::remove_all(d / "r/d"); }, {"d/"}},
        {"a folder made",
         [](const TempDir& d) {
             d.mkdirs("r/n");
             saveTrack(d / "r/n/a.trk", TrackSpec{});
         },
         {"n/"}},
        {"a pack written",
         [](const TempDir& d) {
             makeZip(d / "r/b/p.zip", {{"in/b.trk", writeTrack(TrackSpec{})}});
         },
         {"b/"}},
        {"a pack with no tracks given one",
         [](const TempDir& d) {
             makeZip(d / "r/b/none.zip", {{"a.trk", writeTrack(TrackSpec{})}});
         },
         {"b/"}},
    };
    TempDir packs;
    makeZip(packs / "p.zip", {{"in/a.trk", writeTrack(TrackSpec{})}});
    makeZip(packs / "none.zip", {{"readme.txt", {1}}});
    for (const Case& c : cases) {
        TempDir dir;
        for (const char* folder : {"r/b", "r/d"}) dir.mkdirs(folder);
        for (const char* track : {"r/a.trk", "r/b/c.trk", "r/d/e.trk"}) saveTrack(dir / track, TrackSpec{});
        touch(dir / "r/notes.txt");
        for (const char* pack : {"p.zip", "none.zip"}) fs::copy_file(packs / pack, dir / ("r/b/" + std::string(pack)));
        const std::string root = dir / "r/";
        Catalogue known;
        ASSERT_TRUE(collectTracks(root, known, {}, true));
        for (TrackEntry& e : known.entries())
            if (e.file != "e.trk") e.state = TrackState::Scanned;
        c.change(dir);
        TreeDifferences differences;
        ASSERT_TRUE(compareTree(root, knownFiles(known), differences)) << c.what;
        EXPECT_EQ(differences.stamps.size(), c.stamps) << c.what;
        std::vector<std::string> folders;
        for (const std::string& f : changedFolders(known, differences)) folders.push_back(f.substr(root.size()));
        std::sort(folders.begin(), folders.end());
        std::vector<std::string> expected;
        for (const std::string& f : c.folders) expected.push_back(platform::nativeSeparators(f));
        EXPECT_EQ(folders, expected) << c.what;
    }
    platform::setSettleTime(std::chrono::seconds(3));
    TempDir gone;
    TreeDifferences differences;
    const auto walked = compareTree(gone / "r/", {}, differences);
    ASSERT_FALSE(walked);
    EXPECT_EQ(walked.error().code, ErrorCode::Missing);
}

// A folder link met in an area is told: the folder it leads to may lie
// elsewhere in the tree too. Wine cannot make junctions: there the test run
// lays out a link of the host's (in PITBOX_LINK_LOOP, sub/loop leads back up).
TEST(ChangedAreas, AFolderLinkMetIsTold) {
    TempDir dir;
    std::string root = dir / "r/";
    if (const char* prepared = std::getenv("PITBOX_LINK_LOOP")) {
        root = platform::withSeparator(prepared);
    } else {
        dir.mkdirs("r/sub");
        saveTrack(dir / "r/sub/t1.trk", TrackSpec{});
        ASSERT_TRUE(makeFolderLink(dir / "r/sub/loop", dir / "r"));
    }
    for (const bool below : {false, true}) {
        platform::FolderChanges changes;
        (below ? changes.trees : changes.folders).push_back(root + platform::nativeSeparators("sub/"));
        Catalogue walked;
        bool linkMet = false;
        ASSERT_TRUE(collectChangedTracks(root, ChangedAreas(changes, root), walked, linkMet));
        EXPECT_TRUE(linkMet) << below;
        EXPECT_EQ(walked.count(), 1u) << below;
    }
    Catalogue whole;
    bool linkMet = false;
    ASSERT_TRUE(collectTracks(root, whole, {}, false, nullptr, &linkMet));
    EXPECT_TRUE(linkMet);
    TreeDifferences differences;
    ASSERT_TRUE(compareTree(root, knownFiles(whole), differences));
    EXPECT_TRUE(differences.linkMet);
#ifdef _WIN32
    if (!std::getenv("PITBOX_LINK_LOOP")) RemoveDirectoryW(platform::apiPath(dir / "r/sub/loop").c_str());
#endif
}

TEST(FolderLoad, MissingRootFails) {
    TempDir dir;
    std::size_t found = 0;
    const auto walked = walkTrackFolders(dir / "absent/", [&](std::string_view, std::string&&) { ++found; });
    ASSERT_FALSE(walked);
    EXPECT_EQ(walked.error().message(), dir / "absent/: " + missingFileReason());
    EXPECT_EQ(found, 0u);
}

}  // namespace
}  // namespace pitbox::test
