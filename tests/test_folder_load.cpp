#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>

#include "library/folder_load.h"
#ifndef _WIN32
#include "support/child_process.h"
#endif
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
    EXPECT_EQ(c[1].path, dir / "r/Ring.trk");
    EXPECT_EQ(c[2].name, "ring");
    EXPECT_EQ(c[2].path, dir / "r/x/ring.TRK");
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
