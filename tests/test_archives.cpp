// Tracks inside packs: listed by Load, read by Scan one pass a pack, copied
// out and compared like files, never moved to the trash.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "jobs/copy_job.h"
#include "jobs/duplicates_job.h"
#include "jobs/scan_job.h"
#include "library/duplicates.h"
#include "library/folder_load.h"
#include "library/trash_tracks.h"
#include "platform/archives.h"
#include "platform/paths.h"
#include "support/packs.h"
#include "support/temp_dir.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

std::vector<std::uint8_t> trackBy(const std::string& author) {
    TrackSpec track;
    track.author = author;
    return writeTrack(track);
}

class Packs : public ::testing::Test {
protected:
    void SetUp() override {
        dir.mkdirs("lib/Packs");
        saveFile(dir / "lib/Loose.trk", trackBy("Ann"));
        TrackSpec cut;
        cut.truncateAt = 3000;
        makeZip(dir / "inner.zip", {{"Deep.trk", trackBy("Dee")}});
        makeZip(dir / "lib/Packs/Season 3.zip", {{"Week 1/Green Ring.trk", trackBy("Ann")},
                                                 {"Blue.trk", trackBy("Bob")},
                                                 {"bad.trk", writeTrack(cut)},
                                                 {"../../evil.trk", trackBy("Eve")},
                                                 {"notes.txt", {'h', 'i'}},
                                                 {"inner.zip", readFile(dir / "inner.zip")},
                                                 {"big.trk", std::vector<std::uint8_t>(3'000'000, 0)}});
        make7z(dir / "lib/Pack.7z", {{"Week 1/Red.trk", trackBy("Cy")}});
        make7z(dir / "lib/Locked.zip", {{"secret.trk", trackBy("Sam")}}, "secret");
        // A pack cut in its second member: the first is still read, the second
        // listed and damaged.
        makeZip(dir / "whole.zip", {{"First.trk", trackBy("Fay")}, {"Second.trk", trackBy("Gus")}});
        auto whole = readFile(dir / "whole.zip");
        const std::uint8_t local[] = {'P', 'K', 3, 4};
        const auto first = std::search(whole.begin(), whole.end(), std::begin(local), std::end(local));
        const auto second = std::search(first + 1, whole.end(), std::begin(local), std::end(local));
        ASSERT_NE(second, whole.end());
        whole.resize(static_cast<std::size_t>(second - whole.begin()) + 50);  // into its deflated bytes
        saveFile(dir / "lib/Cut.zip", whole);
    }
    std::string lib() const { return dir / "lib/"; }
    TempDir dir;
};

TEST_F(Packs, LoadListsMembersAndScanReadsThemAsFiles) {
    Catalogue catalogue;
    auto walked = collectTracks(lib(), catalogue, {}, true);
    ASSERT_TRUE(walked);
    // The cut pack is named; what it yielded is listed.
    ASSERT_EQ(walked->size(), 1u);
    EXPECT_EQ(walked->front().file, lib() + "Cut.zip");
    JobProgress progress;
    ScanJob(ScanJob::filesOf(catalogue, true), ScanKind::EveryFile).runInto(catalogue, progress);
    struct Row {
        std::string path;
        TrackState state;
        std::string authorOrProblem;
    };
    const std::vector<Row> expected = {
        {"Packs/Season 3.zip/bad.trk", TrackState::Damaged, "damaged"},
        {"Packs/Season 3.zip/big.trk", TrackState::Damaged, "inflates past 2000000 bytes"},
        {"Packs/Season 3.zip/Blue.trk", TrackState::Scanned, "Bob"},
        {"Packs/Season 3.zip/../../evil.trk", TrackState::Scanned, "Eve"},
        {"Cut.zip/First.trk", TrackState::Scanned, "Fay"},
        {"Packs/Season 3.zip/Week 1/Green Ring.trk", TrackState::Scanned, "Ann"},
        {"Loose.trk", TrackState::Scanned, "Ann"},
        {"Pack.7z/Week 1/Red.trk", TrackState::Scanned, "Cy"},
        {"Cut.zip/Second.trk", TrackState::Damaged, "Second.trk: "},  // in the library's words
        {"Locked.zip/secret.trk", TrackState::Unreadable, "encrypted"},
    };
    ASSERT_EQ(catalogue.count(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const TrackEntry& e = catalogue.entries()[i];
        const Row& row = expected[i];
        EXPECT_EQ(e.path(), dir / ("lib/" + row.path));
        EXPECT_EQ(e.state, row.state) << row.path;
        const std::string said = row.state == TrackState::Scanned ? std::string(e.author.view()) : problemText(e);
        EXPECT_NE(said.find(row.authorOrProblem), std::string::npos) << row.path << ": " << said;
        // A member is stamped as its archive is.
        EXPECT_EQ(e.stamp, platform::trackSourceStamp(e.path())) << row.path;
    }
}

TEST_F(Packs, MembersCopyOutAndCompareButStayInTheirPack) {
    const std::string evil = dir / "lib/Packs/Season 3.zip/../../evil.trk";
    const std::string green = dir / "lib/Packs/Season 3.zip/Week 1/Green Ring.trk";
    dir.mkdirs("out");
    JobProgress progress;
    const CopyOutcome copied = copyJob({{evil, green}, dir / "out/", lib(), false}, progress);
    EXPECT_EQ(copied.copied, 2u);
    // The member's "../" reaches nowhere: it lands inside its pack's folder.
    EXPECT_EQ(readFile(dir / "out/Packs/Season 3.zip/evil.trk"), trackBy("Eve"));
    EXPECT_EQ(readFile(dir / "out/Packs/Season 3.zip/Week 1/Green Ring.trk"), trackBy("Ann"));
    EXPECT_FALSE(std::filesystem::exists(dir / "evil.trk"));

    const TrashReport trashed = trashTracks({green});
    ASSERT_EQ(trashed.failures.size(), 1u);
    EXPECT_EQ(trashed.failures[0].message(), green + ": inside Season 3.zip: Pitbox never rewrites an archive");
    EXPECT_TRUE(std::filesystem::exists(dir / "lib/Packs/Season 3.zip"));

    const DuplicateGroups found =
        findDuplicates(PathList({lib() + "Loose.trk", green, evil}), DuplicateKind::IdenticalFiles);
    ASSERT_EQ(found.groups.size(), 1u);
    EXPECT_EQ(found.groups[0], (std::vector<std::string>{lib() + "Loose.trk", green}));
    // The loose file is kept, though the pack is newer.
    EXPECT_EQ(extraFiles(found), std::vector<std::string>{green});
}

TEST(ArchivePaths, SafeFoldersAndSplitting) {
    const std::pair<const char*, const char*> folders[] = {
        {"../../x.trk", ""},          {"/abs/x.trk", "abs/"}, {"C:\\games\\x.trk", "games/"},
        {"a/./b//c/x.trk", "a/b/c/"}, {"x.trk", ""},
    };
    for (const auto& [member, safe] : folders) {
        std::string expected = safe;
        std::replace(expected.begin(), expected.end(), '/', platform::kSeparator);
        EXPECT_EQ(platform::safeMemberFolders(member), expected) << member;
    }
    const std::pair<const char*, bool> names[] = {
        {"a.zip", true}, {"A.7Z", true},  {"a.tar.gz", true}, {"a.TAR.XZ", true}, {"a.tgz", true},
        {".zip", false}, {"a.gz", false}, {"a.trk", false},   {"zip", false},     {"a.zipx", false},
    };
    for (const auto& [name, archive] : names) EXPECT_EQ(platform::isArchiveName(name), archive) << name;
    // The pack a path lies in, from the names alone: dots elsewhere in its folders, or in the file's name, are not one.
    const std::pair<std::string, std::string> packs[] = {
        {"/t/x.trk", ""},
        {"/t/a.zip", ""},
        {"/v1.2/p.zip/x.trk", "/v1.2/p.zip"},
        {"/v1.2/x.trk", ""},
        {"/t/p.7z/Week 1/x.trk", "/t/p.7z"},
        {"x.trk", ""},
    };
    for (auto [path, pack] : packs) {
        std::replace(path.begin(), path.end(), '/', platform::kSeparator);
        std::replace(pack.begin(), pack.end(), '/', platform::kSeparator);
        EXPECT_EQ(platform::archivePartOf(path), pack) << path;
    }
    TempDir dir;
    dir.mkdirs("folder.zip");
    makeZip(dir / "p.zip", {{"a.trk", {1}}});
    EXPECT_FALSE(platform::splitMemberPath(dir / "folder.zip/a.trk"));
    const auto member = platform::splitMemberPath(dir / "p.zip/sub/a.trk");
    ASSERT_TRUE(member);
    EXPECT_EQ(member->archive, dir / "p.zip");
    EXPECT_EQ(member->member, (dir / "sub/a.trk").substr(dir.path().size()));
}

}  // namespace
}  // namespace pitbox::test
