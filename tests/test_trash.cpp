// Moving tracks to the trash on Linux: the home trash, the trash of another
// volume, a full volume, and what is never moved.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "library/trash_tracks.h"
#include "platform/trash.h"
#include "support/loop_volume.h"
#include "support/temp_dir.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

void write(const std::string& path, const std::string& text) { saveFile(path, {text.begin(), text.end()}); }
std::string contents(const std::string& path) {
    std::ifstream in(path);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}
bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }
std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    return names;
}

TEST(Trash, TracksGoToTheHomeTrashRestorably) {
    const std::string trash = testTrash();
    TempDir dir;
    dir.mkdirs("a");
    dir.mkdirs("b \u00e9");
    write(dir / "a/Ring.trk", "first");
    write(dir / "b \u00e9/Ring.trk", "second");
    ASSERT_EQ(::symlink((dir / "a/Ring.trk").c_str(), (dir / "link.trk").c_str()), 0);
    dir.mkdirs("folder.trk");
    const std::vector<std::string> paths = {dir / "a/Ring.trk", dir / "b \u00e9/Ring.trk", dir / "link.trk",
                                            dir / "gone.trk", dir / "folder.trk"};
    const TrashReport report = trashTracks(paths);

    EXPECT_EQ(report.moved, std::vector<std::string>(paths.begin(), paths.begin() + 3));
    ASSERT_EQ(report.failures.size(), 2u);
    EXPECT_EQ(report.failures[0].code, ErrorCode::Missing);
    EXPECT_EQ(report.failures[1].code, ErrorCode::NotRegularFile);
    EXPECT_TRUE(exists(dir / "folder.trk"));
    EXPECT_EQ(dir.list(), std::vector<std::string>({"a", "b \u00e9", "folder.trk"}));
    // Both of one name are there, each with where it came from; the link went
    // as a link.
    std::string came;
    const std::string infos = trash + "info/";
    for (const std::string& info : namesIn(infos)) {
        const std::string text = contents(infos + info);
        const std::size_t from = text.find("Path=") + 5;
        came.append(text, from, text.find('\n', from) - from).append(" ");
    }
    // Where each came from, its bytes beyond the unreserved ones escaped.
    for (const char* name : {"a/Ring.trk", "b%20%C3%A9/Ring.trk", "link.trk"})
        EXPECT_NE(came.find(dir / name + " "), std::string::npos) << came;
    std::size_t links = 0;
    const std::string files = trash + "files/";
    for (const std::string& file : namesIn(files)) links += std::filesystem::is_symlink(files + file);
    EXPECT_EQ(links, 1u);
}

TEST(Trash, AnotherVolumeKeepsItsOwnTrashAndAFullOneKeepsTheTrack) {
    testTrash();
    TempDir dir;
    LoopVolume volume(dir);
    if (!volume.mounted()) GTEST_SKIP() << "mounting a volume needs root, a loop device and mkfs.ext4";
    const std::string& top = volume.path();
    dir.mkdirs("volume/sub");
    write(top + "sub/t.trk", "track");
    ASSERT_TRUE(platform::moveToTrash(top + "sub/t.trk"));
    const std::string own = top + ".Trash-" + std::to_string(::geteuid()) + "/";
    EXPECT_EQ(contents(own + "files/t.trk"), "track");
    // Restorable from the volume wherever it is mounted: the path is its own.
    EXPECT_NE(contents(own + "info/t.trk.trashinfo").find("\nPath=sub/t.trk\n"), std::string::npos);

    // Nothing is held open there once the tracks are moved: the stick unmounts.
    write(top + "sub/u.trk", "track");
    EXPECT_EQ(trashTracks({top + "sub/u.trk"}).moved.size(), 1u);
    ASSERT_EQ(::umount2(top.c_str(), 0), 0) << std::strerror(errno);
    ASSERT_EQ(std::system(("mount -o loop " + dir / "volume.img " + top).c_str()), 0);

    write(top + "kept.trk", "kept");
    fillVolume(top);
    const auto full = platform::moveToTrash(top + "kept.trk");
    ASSERT_FALSE(full);
    EXPECT_EQ(full.error().code, ErrorCode::NoTrash);
    EXPECT_NE(full.error().reason.find("no space"), std::string::npos) << full.error().reason;
    EXPECT_EQ(contents(top + "kept.trk"), "kept");
}

// A name too long to take ".trashinfo" within the 255 bytes a name may have
// is kept shorter in the trash, and trash-cli puts it back under its own.
TEST(Trash, ALongNameComesBackWhole) {
    const std::string trash = testTrash();
    TempDir dir;
    const std::string name = std::string(243, 'a') + "\u00e9\u00e9.trk";  // 251 bytes
    write(dir / name, "long");
    const TrashReport report = trashTracks({dir / name});
    ASSERT_EQ(report.moved.size(), 1u) << report.failures.front().message();
    std::string info;
    for (const std::string& n : namesIn(trash + "info/"))
        if (n.starts_with("aaaa")) info = n;
    ASSERT_FALSE(info.empty());
    EXPECT_LE(info.size(), 255u);
    EXPECT_TRUE(info.ends_with(".trk.trashinfo")) << info;
    EXPECT_NE(contents(trash + "info/" + info).find(std::string(243, 'a') + "%C3%A9%C3%A9.trk\n"), std::string::npos);
    ASSERT_EQ(std::system(("cd '" + dir.path() + "' && echo 0 | trash-restore >/dev/null 2>&1").c_str()), 0);
    EXPECT_EQ(contents(dir / name), "long");
}

}  // namespace
}  // namespace pitbox::test
