// Copies under attack on Linux: links that make two targets one file,
// write-protected targets, interrupted runs, a small file system.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <functional>

#include "library/copy_plan.h"
#include "library/copy_tracks.h"
#include "platform/file_replacement.h"
#include "support/child_process.h"
#include "support/loop_volume.h"
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
        write(dir / "elsewhere/t.trk", "old");  // links are followed to files only
        if (!c.linkB) write(dir / "out/b.trk", "old");
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

// Starts copying the files of src/ in a child, sends it `signal` once `pauseAt`
// copies are read, and waits for it to end.
void interruptCopy(const TempDir& dir, int signal, std::size_t pauseAt) {
    std::vector<std::string> sources;
    for (const std::string& name : dir.list("src")) sources.push_back(dir / ("src/" + name));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        (void)copyTracks(planCopies(sources, dir / "out/"), [&](std::size_t done) {
            if (done == pauseAt && ::write(ready[1], "x", 1) == 1) ::pause();
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

void makeSources(const TempDir& dir, int count, std::size_t bytes) {
    dir.mkdirs("src");
    dir.mkdirs("out");
    for (int i = 0; i < count; ++i)
        saveFile(dir / ("src/t" + std::to_string(i) + ".trk"), std::vector<std::uint8_t>(bytes, 1));
}

TEST(CopySafety, InterruptedCopiesLeaveNoTemporaries) {
    struct Case {
        const char* what;
        int files;
        std::size_t bytes, pauseAt;
    };
    const Case cases[] = {
        {"large files, early", 60, 1500000, 2},
        {"a whole batch of small files, at its flush", 300, 100, 256},
    };
    for (const Case& c : cases) {
        TempDir dir;
        makeSources(dir, c.files, c.bytes);
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
            interruptCopy(dir, signal, c.pauseAt);
            EXPECT_EQ(temporariesIn(dir, "out"), 0u) << c.what << ", " << strsignal(signal);
        }
    }
}

TEST(CopySafety, ACopyKilledOutrightLeavesNoMoreThanItsBatch) {
    // The next copy there removes what it left, and its own, and finishes.
    TempDir dir;
    makeSources(dir, 60, 1500000);
    interruptCopy(dir, SIGKILL, 2);
    const std::size_t left = temporariesIn(dir, "out");
    EXPECT_GT(left, 0u);
    EXPECT_LE(left, 3u);  // the files read so far; a new file needs no room beyond its copy
    const CopyReport again = copyTracks({{dir / "src/t0.trk", dir / "out/t0.trk"}});
    EXPECT_EQ(again.copied, 1u);
    EXPECT_EQ(temporariesIn(dir, "out"), 0u);
}

TEST(CopySafety, ASelectedTrackWhoseOwnCopyFailsIsNotReplaced) {
    struct Case {
        const char* what;
        std::function<void()> inChild;  // what makes the copy of t/a.trk fail
        bool withoutRoot;
    };
    const Case cases[] = {
        {"no space left",
         [] {
             ::signal(SIGXFSZ, SIG_IGN);
             const rlimit limit{4096, 4096};
             ::setrlimit(RLIMIT_FSIZE, &limit);
         },
         false},
        {"no access", [] {}, true},
    };
    for (const Case& c : cases) {
        TempDir dir;
        dir.mkdirs("y");
        dir.mkdirs("t");
        ::chmod(dir.path().c_str(), 0777);
        ::chmod((dir / "t").c_str(), 0777);
        write(dir / "y/a.trk", "outside");
        write(dir / "t/a.trk", std::string(100000, 'i'));
        if (c.withoutRoot) ::chmod((dir / "t/a.trk").c_str(), 0622);  // writable, not readable
        // y/a.trk goes to t/a.trk, t/a.trk to t/a_1.trk.
        const auto got = inChild(
            [&] {
                c.inChild();
                const auto report = copyTracks(planCopies({dir / "y/a.trk", dir / "t/a.trk"}, dir / "t/"));
                std::string said = std::to_string(report.copied);
                for (const Error& e : report.failures)
                    if (e.code == ErrorCode::WouldLoseTrack) said += " " + e.message();
                return said;
            },
            c.withoutRoot);
        EXPECT_EQ(got, "0 " + dir / "t/a.trk" + ": would replace a selected track that could not be copied") << c.what;
        EXPECT_EQ(contents(dir / "t/a.trk"), std::string(100000, 'i')) << c.what;
        EXPECT_EQ(dir.list("t"), std::vector<std::string>{"a.trk"}) << c.what;
    }
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

// On a disk, whose flushes take their time, the next batch is read while the
// one before is flushed: a volume with room for less than both still takes
// every copy that fits, in smaller batches.
TEST(CopySafety, ReplacingNeedsNoMoreSpaceThanTheCopiesThatFit) {
    TempDir dir;
    LoopVolume volume(dir, "72M");
    if (!volume.mounted()) GTEST_SKIP() << "mounting a volume needs root, a loop device and mkfs.ext4";
    dir.mkdirs("src");
    // 100 files of 500 KB fill 50 MB of it, leaving about 20 MB free.
    std::vector<std::string> sources;
    for (int i = 0; i < 100; ++i) {
        const std::string name = "t" + std::to_string(i) + ".trk";
        saveFile(volume.path() + name, std::vector<std::uint8_t>(500000, 1));
        sources.push_back(dir / ("src/" + name));
        saveFile(sources.back(), std::vector<std::uint8_t>(500000, 2));
    }
    const CopyReport report = copyTracks(planCopies(sources, volume.path()));
    EXPECT_EQ(report.copied, 100u);
    EXPECT_TRUE(report.failures.empty()) << report.failures.size() << ": " << report.failures.front().message();
    EXPECT_EQ(readFile(volume.path() + "t99.trk")[0], 2);
    // A copy that cannot fit alone fails, and leaves the file it would replace.
    saveFile(dir / "src/big.trk", std::vector<std::uint8_t>(std::size_t{40} << 20, 3));
    saveFile(volume.path() + "big.trk", {'o', 'l', 'd'});
    const CopyReport big = copyTracks(planCopies({dir / "src/big.trk"}, volume.path()));
    ASSERT_EQ(big.failures.size(), 1u);
    EXPECT_EQ(big.failures[0].code, ErrorCode::NoSpace);
    EXPECT_EQ(contents(volume.path() + "big.trk"), "old");
    EXPECT_EQ(temporariesIn(dir, "volume"), 0u);
}

}  // namespace
}  // namespace pitbox::test
