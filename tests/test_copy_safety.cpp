// Copies under attack on Linux: links that make two targets one file,
// write-protected targets, interrupted runs, a small file system.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

#include "library/copy_plan.h"
#include "library/copy_tracks.h"
#include "platform/file_replacement.h"
#include "support/child_process.h"
#include "support/temp_dir.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

std::string contents(const std::string& path) {
    const auto b = readFile(path);
    return {b.begin(), b.end()};
}
void write(const std::string& path, const std::string& text) { saveFile(path, {text.begin(), text.end()}); }

std::size_t temporariesIn(const TempDir& dir, const std::string& folder) {
    std::size_t n = 0;
    for (const auto& name : dir.list(folder)) n += name.rfind(".pitbox-", 0) == 0;
    return n;
}

TEST(CopySafety, TwoTargetsThatAreOneFileCopyOnlyTheFirst) {
    struct Case {
        const char* what;
        const char *linkA, *linkB;  // what out/a.trk and out/b.trk point to (null: a plain name)
    };
    const Case cases[] = {
        {"a link to the other target", "b.trk", nullptr},
        {"two links to one file elsewhere", "../elsewhere/t.trk", "../elsewhere/t.trk"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.mkdirs("s");
        dir.mkdirs("out");
        dir.mkdirs("elsewhere");
        write(dir / "s/a.trk", "from a");
        write(dir / "s/b.trk", "from b");
        ASSERT_EQ(::symlink(c.linkA, (dir / "out/a.trk").c_str()), 0);
        if (c.linkB) {
            ASSERT_EQ(::symlink(c.linkB, (dir / "out/b.trk").c_str()), 0);
        }
        const CopyReport report = copyTracks(planCopies({dir / "s/a.trk", dir / "s/b.trk"}, dir / "out/"));
        EXPECT_EQ(report.copied, 1u) << c.what;
        ASSERT_EQ(report.failures.size(), 1u) << c.what;
        EXPECT_EQ(report.failures[0].code, ErrorCode::SameTarget) << c.what;
        EXPECT_EQ(contents(dir / "out/a.trk"), "from a") << c.what;  // what was reported copied is there
        EXPECT_EQ(temporariesIn(dir, "out") + temporariesIn(dir, "elsewhere"), 0u) << c.what;
    }
}

TEST(CopySafety, ASelectedTrackIsReadBeforeACopyReplacesIt) {
    TempDir dir;
    dir.mkdirs("x");
    dir.mkdirs("t");
    // Enough data before it that the copies need several batches.
    std::vector<std::string> sources;
    for (int i = 0; i < 40; ++i) {
        sources.push_back(dir / ("x/f" + std::to_string(i) + ".trk"));
        saveFile(sources.back(), std::vector<std::uint8_t>(std::size_t{1} << 20, static_cast<std::uint8_t>(i)));
    }
    write(dir / "x/a.trk", "outside");
    write(dir / "t/a.trk", "inside");
    sources.push_back(dir / "x/a.trk");
    sources.push_back(dir / "t/a.trk");  // copied to t/a_1.trk, after x/a.trk replaced t/a.trk
    const CopyReport report = copyTracks(planCopies(sources, dir / "t/"));
    EXPECT_EQ(report.copied, sources.size());
    EXPECT_EQ(contents(dir / "t/a.trk"), "outside");
    EXPECT_EQ(contents(dir / "t/a_1.trk"), "inside");
}

TEST(CopySafety, WriteProtectedFilesAreNeverReplaced) {
    TempDir dir;
    dir.mkdirs("out");
    ::chmod(dir.path().c_str(), 0777);
    ::chmod((dir / "out").c_str(), 0777);
    write(dir / "new.trk", "new");
    ::chmod((dir / "new.trk").c_str(), 0644);
    write(dir / "out/kept.trk", "old");
    ::chmod((dir / "out/kept.trk").c_str(), 0444);
    const auto copyCode = inChild(
        [&] {
            const auto report = copyTracks({{dir / "new.trk", dir / "out/kept.trk"}});
            return report.failures.size() == 1 && report.copied == 0 ? report.failures[0].message() : "copied";
        },
        true);
    EXPECT_EQ(copyCode, dir / "out/kept.trk" + ": read-only");
    const auto saveCode = inChild(
        [&] {
            auto saved = platform::replaceFile(dir / "out/kept.trk", "list");
            return saved ? "saved" : saved.error().message();
        },
        true);
    EXPECT_EQ(saveCode, dir / "out/kept.trk" + ": read-only");
    EXPECT_EQ(contents(dir / "out/kept.trk"), "old");
    EXPECT_EQ(temporariesIn(dir, "out"), 0u);
}

// Starts copying 60 files of 1.5 MB in a child, sends it `signal` once the
// first two copies are written, and waits for it to end.
void interruptCopy(const TempDir& dir, int signal) {
    std::vector<std::string> sources;
    sources.reserve(60);
    for (int i = 0; i < 60; ++i) sources.push_back(dir / ("src/t" + std::to_string(i) + ".trk"));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        (void)copyTracks(planCopies(sources, dir / "out/"), [&](std::size_t done) {
            if (done == 2 && ::write(ready[1], "x", 1) == 1) ::pause();
        });
        ::_exit(0);
    }
    char x = 0;
    ASSERT_EQ(::read(ready[0], &x, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    ::kill(child, signal);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal);
}

TEST(CopySafety, InterruptedCopiesLeaveNoTemporaries) {
    TempDir dir;
    dir.mkdirs("src");
    dir.mkdirs("out");
    for (int i = 0; i < 60; ++i)
        saveFile(dir / ("src/t" + std::to_string(i) + ".trk"), std::vector<std::uint8_t>(1500000, 1));
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        interruptCopy(dir, signal);
        EXPECT_EQ(temporariesIn(dir, "out"), 0u) << strsignal(signal);
    }
    // Killed outright, a copy leaves at most its batch: the next copy there
    // removes what it left, and its own, and finishes.
    interruptCopy(dir, SIGKILL);
    const std::size_t left = temporariesIn(dir, "out");
    EXPECT_GT(left, 0u);
    EXPECT_LE(left, 11u);  // 16 MB of 1.5 MB files
    const CopyReport again = copyTracks({{dir / "src/t0.trk", dir / "out/t0.trk"}});
    EXPECT_EQ(again.copied, 1u);
    EXPECT_EQ(temporariesIn(dir, "out"), 0u);
}

TEST(CopySafety, ARunningCopysTemporariesAreNotRemoved) {
    TempDir dir;
    dir.mkdirs("out");
    auto running = platform::FileReplacement::create(dir / "out/a.trk");
    ASSERT_TRUE(running);
    platform::removeDeadTemporaries(dir / "out/");
    EXPECT_EQ(temporariesIn(dir, "out"), 1u);
    ASSERT_TRUE(running->write("kept"));
    ASSERT_TRUE(platform::commit(std::move(*running)));
    EXPECT_EQ(contents(dir / "out/a.trk"), "kept");
}

TEST(CopySafety, ReplacingNeedsSpaceForOneBatchNotTheSelection) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
    TempDir dir;
    dir.mkdirs("src");
    const std::string small = dir.mkdirs("small");
    // 100 copies of 500 KB fill 50 MB of it, leaving about 20 MB free.
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=70m") != 0)
        GTEST_SKIP() << "no tmpfs could be mounted here: " << std::strerror(errno);
    std::vector<std::string> sources;
    for (int i = 0; i < 100; ++i) {
        const std::string name = "t" + std::to_string(i) + ".trk";
        saveFile(dir / ("small/" + name), std::vector<std::uint8_t>(500000, 1));
        sources.push_back(dir / ("src/" + name));
        saveFile(sources.back(), std::vector<std::uint8_t>(500000, 2));
    }
    const CopyReport report = copyTracks(planCopies(sources, small));
    EXPECT_EQ(report.copied, 100u);
    EXPECT_TRUE(report.failures.empty()) << report.failures.front().message();
    EXPECT_EQ(readFile(dir / "small/t99.trk")[0], 2);
    ::umount2(small.c_str(), MNT_DETACH);
}

}  // namespace
}  // namespace pitbox::test
