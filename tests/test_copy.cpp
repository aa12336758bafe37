#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <atomic>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <set>
#include <thread>

#include "library/already_there.h"
#include "library/copy_plan.h"
#include "library/copy_tracks.h"
#include "platform/paths.h"
#ifndef _WIN32
#include "support/child_process.h"
#endif
#include "support/temp_dir.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

std::vector<std::string> targets(const std::vector<std::string>& sources) {
    std::vector<std::string> out;
    for (const auto& item : planCopies(sources, "/out/")) out.push_back(item.target);
    return out;
}

TEST(CopyPlan, NumbersClashingNames) {
    struct Case {
        const char* what;
        std::vector<std::string> sources, targets;
    };
    const Case cases[] = {
        {"the Ring example",
         {"/A/Ring.trk", "/B/ring.TRK", "/C/Ring.trk"},
         {"/out/Ring.trk", "/out/ring_1.trk", "/out/Ring_2.trk"}},
        {"distinct names kept", {"/a/x.trk", "/b/y.TRK"}, {"/out/x.trk", "/out/y.TRK"}},
        {"mixed-case extensions become .trk", {"/a/Hill.TRK", "/b/hill.Trk"}, {"/out/Hill.TRK", "/out/hill_1.trk"}},
        {"two groups numbered apart",
         {"/a/x.trk", "/a/y.trk", "/b/x.trk", "/b/y.trk", "/c/x.trk"},
         {"/out/x.trk", "/out/y.trk", "/out/x_1.trk", "/out/y_1.trk", "/out/x_2.trk"}},
        {"a numbered name matches a later reference",
         {"/a/Ring.trk", "/b/Ring_1.trk", "/c/Ring.trk"},
         {"/out/Ring.trk", "/out/Ring_1.trk", "/out/Ring_1_1.trk"}},
        {"coinciding targets kept apart",
         {"/a/Ring_1.trk", "/b/Ring.trk", "/c/Ring.trk"},
         {"/out/Ring_1.trk", "/out/Ring.trk", "/out/Ring_2.trk"}},
        {"coinciding targets in other letter case",
         {"/a/RING_1.TRK", "/b/ring.trk", "/c/Ring.trk", "/d/ring_2.trk"},
         {"/out/RING_1.TRK", "/out/ring.trk", "/out/Ring_3.trk", "/out/ring_2.trk"}},
        {"names of four characters or fewer are not renamed", {"/a/.trk", "/b/.trk"}, {"/out/.trk", "/out/_1.trk"}},
    };
    for (const auto& c : cases) EXPECT_EQ(targets(c.sources), c.targets) << c.what;
}

// Keeping folders: each lands at its path below the root, clashes numbered
// within their own folder; a source elsewhere is refused.
TEST(CopyPlan, KeepingFolders) {
    const auto plan = planCopiesKeepingFolders(
        {"/lib/sub/a.trk", "/lib/a.trk", "/elsewhere/x.trk", "/lib/sub/A.trk", "/lib/sub/deep/b.trk"}, "/lib/",
        "/out/");
    std::vector<std::string> got;
    for (const CopyItem& item : plan.items) got.push_back(item.target);
    EXPECT_EQ(got,
              (std::vector<std::string>{"/out/sub/a.trk", "/out/a.trk", "/out/sub/A_1.trk", "/out/sub/deep/b.trk"}));
    ASSERT_EQ(plan.refused.size(), 1u);
    EXPECT_EQ(plan.refused[0].file, "/elsewhere/x.trk");
}

TEST(CopyPlan, LargeSelectionsStayDistinct) {
    std::vector<std::string> sources;
    sources.reserve(20000);
    for (int i = 0; i < 20000; ++i) sources.push_back("/f" + std::to_string(i % 7) + "/Ring.trk");
    const auto t = targets(sources);
    std::set<std::string> unique(t.begin(), t.end());
    EXPECT_EQ(unique.size(), t.size());
    EXPECT_EQ(t[0], "/out/Ring.trk");
    EXPECT_EQ(t[19999], "/out/Ring_19999.trk");
}

// A second copy of a name at the length limit still fits: the stem loses whole
// characters from its end and keeps "_1.trk".
TEST(CopyPlan, NumberedNamesFitTheNameLimit) {
    const std::string stem = std::string(249, 'a') + "\xC3\xA9";  // a name of 255 bytes with its ".trk"
    const auto plan = planCopies({"/a/" + stem + ".trk", "/b/" + stem + ".trk"}, "/out/");
    const std::string_view second = platform::filePart(plan[1].target);
    EXPECT_LE(second.size(), 255u);
    EXPECT_EQ(second, std::string(249, 'a') + "_1.trk");  // the "é" goes whole
}

// The code of the one copy's failure, or nothing when it was copied.
std::optional<ErrorCode> copyOne(const std::string& source, const std::string& target) {
    const CopyReport report = copyTracks({{source, target}});
    EXPECT_EQ(report.copied + report.failures.size(), 1u);
    if (report.failures.empty()) return std::nullopt;
    return report.failures.front().code;
}

std::string contents(const std::string& path) {
    const auto b = readFile(path);
    return {b.begin(), b.end()};
}

class CopyFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir.mkdirs("src");
        dir.mkdirs("out");
        saveFile(dir / "src/a.trk", {'n', 'e', 'w'});
        saveFile(dir / "out/a.trk", {'o', 'l', 'd'});
    }
    TempDir dir;
};

// The folders kept below the target are made; one that cannot be (a file in
// its way) fails its copies with the reason, and the others are made.
TEST_F(CopyFiles, FoldersKeptAreMadeAsNeeded) {
    dir.mkdirs("src/sub/deep");
    dir.mkdirs("src/x");
    saveFile(dir / "src/sub/deep/b.trk", {'b'});
    saveFile(dir / "src/x/c.trk", {'c'});
    saveFile(dir / "out/x", {'f'});  // a file where the folder x would be
    const auto plan =
        planCopiesKeepingFolders({dir / "src/sub/deep/b.trk", dir / "src/x/c.trk"},
                                 platform::withSeparator(dir / "src"), platform::withSeparator(dir / "out"));
    const CopyReport report = copyTracks(plan.items);
    EXPECT_EQ(report.copied, 1u);
    EXPECT_EQ(contents(dir / "out/sub/deep/b.trk"), "b");
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_NE(report.failures[0].message().find('x'), std::string::npos);
    EXPECT_EQ(contents(dir / "out/x"), "f");
}

// Skipping tracks already there: neither copied nor rewritten when the bytes
// lie in the target folder after the copy, under the name or a numbered one.
TEST(CopyAlreadyThere, SkipsOnlyWhatStaysThere) {
    using Files = std::vector<std::pair<std::string, std::string>>;  // name, bytes
    struct Case {
        const char* what;
        Files there, selected;  // in out/; in src/ (folders below it may differ)
        std::size_t skipped;
        Files after;  // out/ at the end
    };
    const Case cases[] = {
        {"copied again", {{"Ring.trk", "X"}}, {{"Ring.trk", "X"}}, 1, {{"Ring.trk", "X"}}},
        {"at a numbered name, the file at the name is not replaced",
         {{"Ring.trk", "Y"}, {"Ring_2.trk", "X"}},
         {{"Ring.trk", "X"}},
         1,
         {{"Ring.trk", "Y"}, {"Ring_2.trk", "X"}}},
        {"an earlier track of the selection", {}, {{"a/Ring.trk", "X"}, {"b/Ring.trk", "X"}}, 1, {{"Ring.trk", "X"}}},
        {"a file another track replaces does not count",
         {{"Ring.trk", "X"}},
         {{"a/Ring.trk", "Y"}, {"b/Ring.trk", "X"}},
         0,
         {{"Ring.trk", "Y"}, {"Ring_1.trk", "X"}}},
        {"the same size is not the same bytes", {{"Ring.trk", "X"}}, {{"Ring.trk", "Z"}}, 0, {{"Ring.trk", "Z"}}},
        {"another family", {{"Ringo.trk", "X"}}, {{"Ring.trk", "X"}}, 0, {{"Ring.trk", "X"}, {"Ringo.trk", "X"}}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        dir.mkdirs("out");
        for (const auto& [name, bytes] : c.there) saveFile(dir / ("out/" + name), {bytes.begin(), bytes.end()});
        std::vector<std::string> sources;
        for (const auto& [name, bytes] : c.selected) {
            dir.mkdirs("src/" + std::string(platform::pathPart(name)));
            sources.push_back(dir / ("src/" + name));
            saveFile(sources.back(), {bytes.begin(), bytes.end()});
        }
        std::vector<CopyItem> plan = planCopies(sources, dir / "out/");
        EXPECT_EQ(dropTracksAlreadyThere(plan), c.skipped) << c.what;
        const CopyReport report = copyTracks(plan);
        EXPECT_TRUE(report.failures.empty()) << c.what << ": " << report.failures.front().message();
        Files after;
        for (const std::string& name : dir.list("out")) after.emplace_back(name, contents(dir / ("out/" + name)));
        EXPECT_EQ(after, c.after) << c.what;
    }
}

TEST_F(CopyFiles, ReplacesAnExistingFileWithACompleteCopy) {
    EXPECT_EQ(copyOne(dir / "src/a.trk", dir / "out/a.trk"), std::nullopt);
    EXPECT_EQ(contents(dir / "out/a.trk"), "new");
    EXPECT_EQ(dir.list("out"), std::vector<std::string>{"a.trk"});
#ifndef _WIN32
    struct stat st {};
    ASSERT_EQ(::stat((dir / "out/a.trk").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & 0044, 0u);  // readable like any new file, not a private temporary
#endif
}

TEST_F(CopyFiles, FailuresLeaveEverythingAsItWas) {
    dir.mkdirs("src/dir.trk");
    saveFile(dir / "blocker", {'f'});
    struct Case {
        const char* what;
        std::string source, target;
        ErrorCode expected;
    };
    const Case cases[] = {
        {"missing source", dir / "src/gone.trk", dir / "out/a.trk", ErrorCode::Missing},
        {"source is a folder", dir / "src/dir.trk", dir / "out/a.trk", ErrorCode::NotRegularFile},
        {"onto itself", dir / "out/a.trk", dir / "out/a.trk", ErrorCode::SameFile},
        {"target folder missing", dir / "src/a.trk", dir / "nowhere/a.trk", ErrorCode::WriteFailed},
        {"a file in place of the folder", dir / "src/a.trk", dir / "blocker/a.trk", ErrorCode::WriteFailed},
        {"a folder in place of the target", dir / "src/a.trk", dir / "src/dir.trk", ErrorCode::NotRegularFile},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(copyOne(c.source, c.target), c.expected) << c.what;
        EXPECT_EQ(contents(dir / "out/a.trk"), "old") << c.what;
        EXPECT_EQ(dir.list("out"), std::vector<std::string>{"a.trk"}) << c.what;
        EXPECT_EQ(dir.list("src"), (std::vector<std::string>{"a.trk", "dir.trk"})) << c.what;
    }
}

TEST_F(CopyFiles, ASourceThatChangesWhileCopiedIsReportedNotCopied) {
    struct Case {
        const char* what;
        std::ios::openmode mode;  // app: it grows; in|out: rewritten in place, keeping its size
    };
    for (const Case& c : {Case{"grows", std::ios::app}, Case{"rewritten in place", std::ios::in | std::ios::out}}) {
        const std::string source = dir / "src/changing.trk";
        saveFile(source, std::vector<std::uint8_t>(std::size_t{8} << 20, 1));
        std::atomic<bool> stop{false};
        std::atomic<bool> writing{false};
        std::thread writer([&] {
            std::fstream f(source, std::ios::binary | c.mode);
            writing = static_cast<bool>(f);
            for (char x = 'x'; f && !stop; ++x) {
                f.seekp(c.mode == std::ios::app ? 0 : (x & 0xFF) * 4096).put(x).flush();
            }
        });
        while (!writing && !stop) std::this_thread::yield();
        // The file changes all the time; a copy may still slip through between
        // two writes now and then (the file system's clock ticks coarsely), so
        // a few tries are allowed. On Windows the writer's open file keeps it
        // from being opened for a copy at all.
        std::optional<ErrorCode> got;
        for (int attempt = 0; attempt < 50 && got != ErrorCode::Changed && got != ErrorCode::CannotOpen; ++attempt) {
            saveFile(dir / "out/a.trk", {'o', 'l', 'd'});
            got = copyOne(source, dir / "out/a.trk");
        }
        stop = true;
        writer.join();
#ifdef _WIN32
        EXPECT_EQ(got, ErrorCode::CannotOpen) << c.what;
#else
        EXPECT_EQ(got, ErrorCode::Changed) << c.what;
#endif
        EXPECT_TRUE(contents(dir / "out/a.trk") == "old") << c.what;
        EXPECT_EQ(dir.list("out"), std::vector<std::string>{"a.trk"}) << c.what;
    }
}

// Stopped part-way, a copy waits for what is being put in place, gives up what
// was only read, and reports what is there.
TEST_F(CopyFiles, StopKeepsWhatIsInPlaceAndLeavesNoTemporary) {
    std::vector<std::string> sources;
    for (int i = 0; i < 300; ++i) {
        sources.push_back(dir / ("src/t" + std::to_string(i) + ".trk"));
        saveFile(sources.back(), std::vector<std::uint8_t>(100, static_cast<std::uint8_t>(i)));
    }
    std::atomic<bool> stop{false};
    const CopyReport report = copyTracks(
        planCopies(sources, dir / "out/"), [&](std::size_t done) { stop = done == 280; }, &stop);
    EXPECT_TRUE(report.stopped);
    EXPECT_TRUE(report.failures.empty());
    const auto out = dir.list("out");
    EXPECT_EQ(out.size(), report.copied + 1);  // and a.trk from before
    EXPECT_EQ(report.copied, 256u);            // the first batch; the rest was only read
    for (const std::string& name : out) EXPECT_NE(name.rfind(".pitbox-", 0), 0u) << name;
}

#ifndef _WIN32  // permission bits and file size limits as on Linux
TEST_F(CopyFiles, ReadOnlyFolderRefusesWithoutRoot) {
    ::chmod((dir / "out").c_str(), 0555);
    ::chmod((dir / "out/a.trk").c_str(), 0666);  // only the folder keeps the copy out
    const auto refused = inChild(
        [&] { return copyOne(dir / "src/a.trk", dir / "out/a.trk") == ErrorCode::WriteFailed ? "yes" : "no"; }, true);
    EXPECT_EQ(refused, "yes");
    EXPECT_EQ(contents(dir / "out/a.trk"), "old");
    EXPECT_EQ(dir.list("out"), std::vector<std::string>{"a.trk"});
}

TEST_F(CopyFiles, FullDiskLeavesTheOldFileAndNoTemporary) {
    saveFile(dir / "src/big.trk", std::vector<std::uint8_t>(100000, 7));
    saveFile(dir / "out/big.trk", {'o', 'l', 'd'});
    // A file size limit makes writes fail part-way, as a full disk would.
    const auto refused = inChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return copyOne(dir / "src/big.trk", dir / "out/big.trk") == ErrorCode::WriteFailed ? "yes" : "no";
    });
    EXPECT_EQ(refused, "yes");
    EXPECT_EQ(contents(dir / "out/big.trk"), "old");
    EXPECT_EQ(dir.list("out"), (std::vector<std::string>{"a.trk", "big.trk"}));
}

#endif

}  // namespace
}  // namespace pitbox::test
