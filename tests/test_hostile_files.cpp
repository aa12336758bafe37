// Hostile folders and files on a real file system: every operation ends, with a
// sound result, whatever sits where a track is expected. Each case runs in a
// child process under an alarm, so a call that blocks fails instead of hanging.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <sstream>

#include "cli/cli.h"
#include "library/copy_tracks.h"
#include "library/folder_load.h"
#include "library/header_refresh.h"
#include "platform/file_replacement.h"
#include "preview/track_preview.h"
#include "support/catalogue_of.h"
#include "support/child_process.h"
#include "support/temp_dir.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

std::string outcome(const Result<void>& r) { return r ? "ok" : std::to_string(static_cast<int>(r.error().code)); }
std::string outcome(ErrorCode code) { return std::to_string(static_cast<int>(code)); }

// What Load, Scan, Show and Copy make of one file: "listed scan show copy".
std::string tryEverything(const TempDir& dir, const std::string& name) {
    std::size_t listed = 0;
    (void)walkTrackFolders(dir / "in/", [&](std::string_view found, std::string&&) { listed += found == name; });
    const std::string path = dir / "in/" + name;
    Catalogue c;
    TrackEntry& entry = appendTrack(c, {"x", "", 0, 0, "", path, false});
    TrackBuffer buffer;
    HeaderFields header;
    const std::string scan = outcome(refreshEntry(c, entry, buffer, header));
    auto picture = preview::buildTrackPreview(path, buffer, header, nullptr, 1);
    const std::string show = picture ? "ok" : outcome(picture.error().code);
    const CopyReport copy = copyTracks({{path, dir / "out/" + name}});
    const std::string copied = copy.failures.empty() ? "ok" : outcome(copy.failures.front().code);
    return std::to_string(listed) + " " + scan + " " + show + " " + copied;
}

TEST(HostileFiles, EveryOperationEndsWithASoundResult) {
    const std::string notRegular = outcome(ErrorCode::NotRegularFile);
    const std::string tooLarge = outcome(ErrorCode::TooLarge);
    const std::string missing = outcome(ErrorCode::Missing);
    TrackSpec big;
    big.padding = 1'500'000;
    TrackSpec huge;
    huge.padding = 2'000'000;
    struct Case {
        const char* what;
        std::string name;
        std::function<void(const std::string& path)> make;
        std::string expected;
    };
    const Case cases[] = {
        {"a plain track", "plain.trk", [](const std::string& p) { saveTrack(p, TrackSpec{}); }, "1 ok ok ok"},
        {"a pipe", "pipe.trk", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); },
         "1 " + notRegular + " " + notRegular + " " + notRegular},
        {"a link to a device", "zero.trk",
         [](const std::string& p) { ASSERT_EQ(::symlink("/dev/zero", p.c_str()), 0); },
         "1 " + notRegular + " " + notRegular + " " + notRegular},
        {"a socket", "socket.trk",
         [](const std::string& p) {
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             ASSERT_LT(p.size(), sizeof address.sun_path);
             p.copy(address.sun_path, p.size());
             const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
             ASSERT_EQ(::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
             ::close(s);
         },
         "1 " + notRegular + " " + notRegular + " " + notRegular},
        {"a dangling link", "gone.trk", [](const std::string& p) { ASSERT_EQ(::symlink("nowhere", p.c_str()), 0); },
         "1 " + missing + " " + missing + " " + missing},
        {"1,500,000 bytes: header yes, picture no", "big.trk", [&](const std::string& p) { saveTrack(p, big); },
         "1 ok " + tooLarge + " ok"},
        {"larger than the track buffer", "huge.trk", [&](const std::string& p) { saveTrack(p, huge); },
         "1 " + tooLarge + " " + tooLarge + " ok"},
        {"a name of 255 bytes", std::string(251, 'n') + ".trk", [](const std::string& p) { saveTrack(p, TrackSpec{}); },
         "1 ok ok ok"},
        {"a backslash in the name", "my\\slash.trk", [](const std::string& p) { saveTrack(p, TrackSpec{}); },
         "1 ok ok ok"},
        {"line ends in the name", "a\r\nb.trk", [](const std::string& p) { saveTrack(p, TrackSpec{}); }, "1 ok ok ok"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.mkdirs("in");
        dir.mkdirs("out");
        saveFile(dir / "out/slash.trk", {'k', 'e', 'e', 'p'});
        c.make(dir / "in/" + c.name);
        const auto got = inChild([&] {
            ::alarm(20);
            return tryEverything(dir, c.name);
        });
        EXPECT_EQ(got.value_or("blocked or crashed"), c.expected) << c.what;
        if (c.expected.ends_with(" ok")) {
            EXPECT_EQ(readFile(dir / "out/" + c.name), readFile(dir / "in/" + c.name)) << c.what;
        }
        EXPECT_EQ(readFile(dir / "out/slash.trk"), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'})) << c.what;
    }
}

// Each level holds a track and two links to the next level: 2^30 paths, 31
// folders.
TEST(HostileFiles, LinkLatticeEntersEachFolderOnce) {
    TempDir dir;
    std::string level = dir.mkdirs("lattice");
    for (int i = 0; i <= 30; ++i) {
        saveTrack(level + "t" + std::to_string(i) + ".trk", TrackSpec{});
        if (i == 30) break;
        const std::string next = dir.mkdirs("lattice/L" + std::to_string(i + 1));
        for (const char* link : {"x", "y"}) ASSERT_EQ(::symlink(next.c_str(), (level + link).c_str()), 0);
        level = next;
    }
    const auto found = inChild([&] {
        ::alarm(20);
        std::size_t n = 0;
        (void)walkTrackFolders(dir / "lattice/", [&](std::string_view, std::string&&) { ++n; });
        return std::to_string(n);
    });
    EXPECT_EQ(found.value_or("did not end"), "31");
}

// 1,100 levels, each with a track in a side folder visited after the levels
// below it, then a bare chain down to 5,000 levels with a track at the bottom
// (its path far past the system's limit); walked with 64 descriptors allowed,
// and the bottom track scanned, shown and copied.
TEST(HostileFiles, DepthNeverLosesTracks) {
    TempDir dir;
    const std::string root = dir.mkdirs("deep");
    {
        int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
        for (int level = 0; level < 5000; ++level) {
            if (level < 1100) {
                ASSERT_EQ(::mkdirat(fd, "b", 0755), 0);
                const int side = ::openat(fd, "b", O_RDONLY | O_DIRECTORY);
                ::close(::openat(side, "t.trk", O_WRONLY | O_CREAT, 0644));
                ::close(side);
            }
            ASSERT_EQ(::mkdirat(fd, "a", 0755), 0);
            const int next = ::openat(fd, "a", O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = next;
        }
        const int bottom = ::openat(fd, "bottom.trk", O_WRONLY | O_CREAT, 0644);
        const auto bytes = writeTrack(TrackSpec{});
        ASSERT_EQ(::write(bottom, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        ::close(bottom);
        ::close(fd);
    }
    dir.mkdirs("out");
    const auto found = inChild([&] {
        ::alarm(60);
        const rlimit limit{64, 64};
        ::setrlimit(RLIMIT_NOFILE, &limit);
        std::size_t n = 0;
        std::string deepest;
        const auto walked = walkTrackFolders(root, [&](std::string_view, std::string&& path) {
            ++n;
            if (path.size() > deepest.size()) deepest = std::move(path);
        });
        Catalogue c;
        TrackEntry& entry = appendTrack(c, {"bottom", "", 0, 0, "", deepest, false});
        TrackBuffer buffer;
        HeaderFields header;
        const bool scanned = refreshEntry(c, entry, buffer, header).ok();
        const bool shown = preview::buildTrackPreview(deepest, buffer, header, nullptr, 1).ok();
        const bool copied = copyTracks({{deepest, dir / "out/bottom.trk"}}).copied == 1;
        return std::to_string(n) + (walked ? "" : " failed") + (scanned ? " scanned" : "") + (shown ? " shown" : "") +
               (copied ? " copied" : "") + (deepest.size() > 4096 ? " deep" : "");
    });
    EXPECT_EQ(found.value_or("crashed"), "1101 scanned shown copied deep");
    // Deeper than any path the system takes: removed name by name.
    EXPECT_EQ(std::system(("rm -rf " + root).c_str()), 0);
}

// A folder of another user that cannot be read is named, in the walk's result
// and by pitbox-cli list (exit 1, the list still written).
TEST(HostileFiles, UnreadableFoldersAreNamed) {
    TempDir dir;
    dir.mkdirs("r/locked");
    dir.mkdirs("r/open");
    for (const char* name : {"r/a.trk", "r/locked/b.trk", "r/open/c.trk"}) saveTrack(dir / name, TrackSpec{});
    ::chmod(dir.path().c_str(), 0755);
    ::chmod((dir / "r").c_str(), 0755);
    ::chmod((dir / "r/open").c_str(), 0755);
    ::chmod((dir / "r/locked").c_str(), 0700);
    const auto seen = inChild(
        [&] {
            std::ostringstream out, err;
            const int code = cli::run({"list", dir / "r"}, out, err);
            const std::string listed = out.str();
            return std::to_string(code) + "|" + std::to_string(std::count(listed.begin(), listed.end(), '\n')) + "|" +
                   err.str();
        },
        true);
    EXPECT_EQ(seen, "1|5|pitbox-cli: " + dir / "r/locked/: Permission denied\n");  // three heading lines, two tracks
}

TEST(HostileFiles, ReplacingFollowsLinksAndKeepsPermissions) {
    TempDir dir;
    const std::string real = dir / "real.txt";
    saveFile(real, {'o', 'l', 'd'});
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("real.txt", (dir / "link.txt").c_str()), 0);
    ASSERT_TRUE(platform::replaceFile(dir / "link.txt", "new"));
    struct stat st {};
    ASSERT_EQ(::lstat((dir / "link.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(readFile(real), (std::vector<std::uint8_t>{'n', 'e', 'w'}));
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"link.txt", "real.txt"}));
}

}  // namespace
}  // namespace pitbox::test
