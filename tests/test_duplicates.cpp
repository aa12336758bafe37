#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <functional>

#include "library/duplicates.h"
#include "support/temp_dir.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

TrackSpec base() {
    TrackSpec s;
    s.terrainRuns = {0x0102, 0x0203};
    s.objects = {{1, 10, 20, 0}, {9, 30, 40, 64}};
    s.drivers[0] = "Ann";
    return s;
}

// A track whose 40,000 terrain runs put its object table past 64 KB.
std::function<std::vector<std::uint8_t>()> longMap(std::int16_t shift, const std::string& author) {
    return [=] {
        TrackSpec s = base();
        s.terrainRuns.assign(40000, 0x0102);
        s.objects.back().x = static_cast<std::int16_t>(s.objects.back().x + shift);
        s.author = author;
        return writeTrack(s);
    };
}

// Each case writes "a.trk" and "b.trk" (b from the base track changed, or from bytes)
// and says which kinds find them as one group.
TEST(Duplicates, BothKindsAndTheirNearMisses) {
    struct Case {
        const char* what;
        std::function<std::vector<std::uint8_t>()> a, b;
        bool identical, sameTrack;
    };
    auto changed = [](const std::function<void(TrackSpec&)>& change) {
        return [change] {
            TrackSpec s = base();
            change(s);
            return writeTrack(s);
        };
    };
    const auto same = changed([](TrackSpec&) {});
    const auto old = [] { return writeTrack(TrackSpec::oldFormat()); };
    const Case cases[] = {
        {"the same bytes", same, same, true, true},
        {"other author and records", same, changed([](TrackSpec& s) {
             s.author = "Someone";
             s.drivers[0] = "Bob";
             s.recordTimes[0] = 5000;
         }),
         false, true},
        {"one byte of the object table", same, changed([](TrackSpec& s) { s.objects[1].x = 31; }), false, false},
        {"one height", same, changed([](TrackSpec& s) { s.heightGrid[100] = 7; }), false, false},
        {"the water level", same, changed([](TrackSpec& s) { s.waterLevel = 3; }), false, false},
        {"same size, other bytes", same, changed([](TrackSpec& s) { s.author = "Authoz"; }), false, true},
        {"identical old-format files", old, old, true, true},
        {"old-format files of one size", old,
         [] {
             TrackSpec s = TrackSpec::oldFormat();
             s.worldSize = 7;
             return writeTrack(s);
         },
         false, false},
        {"a damaged copy, its records cut off", same,
         [] {
             TrackSpec s = base();
             s.author = "Someone";
             auto bytes = writeTrack(s);
             bytes.resize(4118 + 2 * 2 + 2 + 2 * 8);  // the object table, and no more
             return bytes;
         },
         false, false},
        {"maps longer than 64 KB, other author", longMap(0, "Ann"), longMap(0, "Bob"), false, true},
        {"maps longer than 64 KB, the last object moved", longMap(0, "Ann"), longMap(1, "Ann"), false, false},
        {"identical, longer than 64 KB", longMap(0, "Ann"), longMap(0, "Ann"), true, true},
        // Exactly the 4 KB head, or a byte more; a byte past a 64 KB piece.
        {"identical files of exactly 4 KB", [] { return std::vector<std::uint8_t>(4096, 7); },
         [] { return std::vector<std::uint8_t>(4096, 7); }, true, true},
        {"4 KB and a byte, the last one apart", [] { return std::vector<std::uint8_t>(4097, 7); },
         [] {
             std::vector<std::uint8_t> bytes(4097, 7);
             bytes.back() = 8;
             return bytes;
         },
         false, false},
        {"64 KB and a byte, the last one apart", [] { return std::vector<std::uint8_t>(65537, 7); },
         [] {
             std::vector<std::uint8_t> bytes(65537, 7);
             bytes.back() = 8;
             return bytes;
         },
         false, false},
        {"identical damaged files",
         [] {
             return std::vector<std::uint8_t>{5, 1, 'K', 'S', 9};
         },
         [] {
             return std::vector<std::uint8_t>{5, 1, 'K', 'S', 9};
         },
         true, true},
    };
    for (const Case& c : cases) {
        TempDir dir;
        saveFile(dir / "a.trk", c.a());
        saveFile(dir / "b.trk", c.b());
        const std::vector<std::string> paths = {dir / "b.trk", dir / "a.trk"};
        const std::vector<std::vector<std::string>> pair = {{dir / "a.trk", dir / "b.trk"}};
        const auto identical = findDuplicates(PathList(paths), DuplicateKind::IdenticalFiles);
        const auto sameTrack = findDuplicates(PathList(paths), DuplicateKind::SameTrack);
        EXPECT_EQ(identical.groups, c.identical ? pair : decltype(pair){}) << c.what;
        EXPECT_EQ(sameTrack.groups, c.sameTrack ? pair : decltype(pair){}) << c.what;
        // Both kinds tell which of their groups are identical files.
        EXPECT_EQ(identical.identicalGroups(), identical.groups) << c.what;
        EXPECT_EQ(sameTrack.identicalGroups(), c.identical ? pair : decltype(pair){}) << c.what;
        EXPECT_TRUE(identical.failures.empty() && sameTrack.failures.empty()) << c.what;
    }
}

// Paths held as folders and names give back what was put in, and sort as
// the whole paths do, with their folders given in any order.
TEST(Duplicates, PathListsKeepPathsAndTheirOrder) {
    const std::vector<std::string> given = {"/t/b/x.trk", "/t/a/y.trk", "/t/b/w.trk", "/t/b/",       "lone.trk",
                                            "/t/a/y.trk", "/t/ab",      "/t/a",       "/t/a/b/c.trk"};
    PathList paths(given);
    paths.shrinkToFit();
    paths.add("/t/a/", "z.trk");  // a folder given before, after the list was fitted
    std::vector<std::string> all = given;
    all.emplace_back("/t/a/z.trk");
    ASSERT_EQ(paths.size(), all.size());
    for (std::size_t a = 0; a < all.size(); ++a) {
        EXPECT_EQ(paths.path(a), all[a]);
        for (std::size_t b = 0; b < all.size(); ++b) EXPECT_EQ(paths.before(a, b), all[a] < all[b]) << a << " " << b;
    }
    EXPECT_EQ(paths.folder(2), "/t/b/");
    EXPECT_EQ(paths.name(4), "lone.trk");
}

// The one kept of each group: the most recently modified, ties to the first path.
TEST(Duplicates, TheFileKeptIsTheNewest) {
    struct Case {
        std::vector<DuplicateFile> group;
        std::size_t keep;
    } cases[] = {
        {{{"/a.trk", 5}, {"/b.trk", 9}, {"/c.trk", 7}}, 1},
        {{{"/b.trk", 9}, {"/a.trk", 9}, {"/c.trk", 1}}, 1},  // equally recent: the first path
        {{{"/z.trk", -3}, {"/y.trk", -3}}, 1},
        {{{"/only.trk", 0}}, 0},
        {{{"/p.zip/a.trk", 9, true}, {"/b.trk", 1}}, 1},  // a loose file before a newer packed one
        // Paths in two parts, as the table gives them, in the order of the whole paths.
        {{{"/t/", 9, false, "b.trk"}, {"/t/a/", 9, false, "z.trk"}, {"/t/", 9, false, "a/y.trk"}}, 2},
        {{{"/t/b", 9, false, ".trk"}, {"/t/", 9, false, "b.tr"}}, 1},
        {{}, static_cast<std::size_t>(-1)},
    };
    for (const Case& c : cases) EXPECT_EQ(fileToKeep(c.group), c.keep) << c.group.size();
}

TEST(Duplicates, GroupsInPathOrderAndFailuresNamed) {
    TempDir dir;
    const auto track = writeTrack(base());
    for (const char* name : {"z.trk", "m.trk", "c.trk", "b.trk"}) saveFile(dir / name, track);
    saveFile(dir / "x.trk", writeTrack(TrackSpec::oldFormat()));
    saveFile(dir / "y.trk", writeTrack(TrackSpec::oldFormat()));
    // A file that failed takes no further part: not even beside an empty one.
    saveFile(dir / "empty.trk", {});
    const std::vector<std::string> paths = {dir / "z.trk",    dir / "x.trk",     dir / "m.trk",
                                            dir / "gone.trk", dir / "empty.trk", dir / "y.trk",
                                            dir / "c.trk",    dir / "b.trk",     dir / "gone-too.trk"};
    const auto found = findDuplicates(PathList(paths), DuplicateKind::IdenticalFiles);
    const std::vector<std::vector<std::string>> groups = {{dir / "b.trk", dir / "c.trk", dir / "m.trk", dir / "z.trk"},
                                                          {dir / "x.trk", dir / "y.trk"}};
    EXPECT_EQ(found.groups, groups);
    ASSERT_EQ(found.failures.size(), 2u);
    EXPECT_EQ(found.failures[0].file, dir / "gone-too.trk");
    EXPECT_EQ(found.failures[1].file, dir / "gone.trk");
}

#ifndef _WIN32  // links and pipes as Linux has them
TEST(Duplicates, OneFileBySeveralPathsIsOneAndSpecialFilesFailAlike) {
    TempDir dir;
    saveFile(dir / "b.trk", writeTrack(base()));
    saveFile(dir / "c.trk", writeTrack(base()));
    ASSERT_EQ(::link((dir / "b.trk").c_str(), (dir / "z-hard.trk").c_str()), 0);
    ASSERT_EQ(::symlink("b.trk", (dir / "a-link.trk").c_str()), 0);
    saveFile(dir / "lone.trk", writeTrack(TrackSpec::oldFormat()));
    ASSERT_EQ(::link((dir / "lone.trk").c_str(), (dir / "lone-too.trk").c_str()), 0);
    ASSERT_EQ(::mkfifo((dir / "pipe.trk").c_str(), 0644), 0);
    const std::vector<std::string> paths = {dir / "b.trk",      dir / "c.trk",    dir / "z-hard.trk",
                                            dir / "a-link.trk", dir / "lone.trk", dir / "lone-too.trk",
                                            dir / "pipe.trk"};
    for (DuplicateKind kind : {DuplicateKind::IdenticalFiles, DuplicateKind::SameTrack}) {
        const auto found = findDuplicates(PathList(paths), kind);
        // b.trk under its first path, the link; lone.trk is no duplicate of itself.
        EXPECT_EQ(found.groups, (std::vector<std::vector<std::string>>{{dir / "a-link.trk", dir / "c.trk"}}));
        ASSERT_EQ(found.failures.size(), 1u);
        EXPECT_EQ(found.failures[0].message(), dir / "pipe.trk" + ": not a regular file");
    }
}
#endif

}  // namespace
}  // namespace pitbox::test
