#include <gtest/gtest.h>

#include <chrono>

#include "jobs/copy_job.h"
#include "jobs/scan_job.h"
#include "library/folder_load.h"
#include "library/library_store.h"
#include "platform/files.h"
#include "support/temp_dir.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

TrackSpec authoredBy(const std::string& author) {
    TrackSpec track;
    track.author = author;
    return track;
}

// A Scan reads what its kind asks of it: given a folder read once, then one
// file rewritten and one added.
TEST(ScanJob, ReadsWhatItsKindAsks) {
    // Files just written count as unchanged once looked at.
    platform::setSettleTime(std::chrono::milliseconds(0));
    struct Case {
        ScanKind kind;
        bool stamps;
        std::size_t reads;
    };
    for (const Case c : {Case{ScanKind::ChangedFiles, true, 2}, Case{ScanKind::EveryFile, true, 3},
                         Case{ScanKind::CheckedFiles, true, 3}, Case{ScanKind::ChangedFiles, false, 3}}) {
        TempDir dir;
        saveTrack(dir / "a.trk", authoredBy("Ann"));
        saveTrack(dir / "b.trk", authoredBy("Bob"));
        Catalogue catalogue;
        ASSERT_TRUE(collectTracks(dir.path(), catalogue, {}, true));
        JobProgress progress;
        EXPECT_EQ(ScanJob(ScanJob::filesOf(catalogue, true), ScanKind::EveryFile).runInto(catalogue, progress), 2u);
        // A rewrite of another length is a change whatever the clock says.
        saveTrack(dir / "b.trk", authoredBy("Bobby"));
        saveTrack(dir / "c.trk", authoredBy("Cy"));
        Catalogue again;
        ASSERT_TRUE(collectTracks(dir.path(), again, {}, true));
        (void)takeRememberedFields(again, catalogue);
        JobProgress second;
        EXPECT_EQ(ScanJob(ScanJob::filesOf(again, false), c.kind, c.stamps).runInto(again, second), c.reads)
            << static_cast<int>(c.kind) << c.stamps;
        std::vector<std::string> authors;
        for (const TrackEntry& e : again.entries()) authors.emplace_back(e.author.view());
        EXPECT_EQ(authors, (std::vector<std::string>{"Ann", "Bobby", "Cy"}));
        EXPECT_EQ(second.done(), 3u);
    }
    platform::setSettleTime(std::chrono::seconds(3));
}

TEST(ScanJob, AStopBeforeItBeginsReadsNothing) {
    TempDir dir;
    saveTrack(dir / "a.trk", authoredBy("Ann"));
    Catalogue catalogue;
    ASSERT_TRUE(collectTracks(dir.path(), catalogue, {}, false));
    JobProgress progress;
    progress.requestStop();
    EXPECT_EQ(ScanJob(ScanJob::filesOf(catalogue, false), ScanKind::EveryFile).runInto(catalogue, progress), 0u);
    EXPECT_EQ(catalogue.entries()[0].state, TrackState::Unscanned);
}

TEST(CopyJob, RefusedFirstThenFailedAndWhatWasThere) {
    TempDir dir;
    dir.mkdirs("lib/sub");
    dir.mkdirs("out/sub");
    saveTrack(dir / "lib/sub/a.trk", authoredBy("Ann"));
    saveTrack(dir / "out/sub/a.trk", authoredBy("Ann"));  // there already
    saveTrack(dir / "elsewhere.trk", authoredBy("Eve"));  // not below the library
    CopyRequest request{
        {dir / "lib/sub/a.trk", dir / "elsewhere.trk", dir / "lib/gone.trk"}, dir / "out/", dir / "lib/", true};
    JobProgress progress;
    const CopyOutcome outcome = copyJob(request, progress);
    EXPECT_EQ(outcome.copied, 0u);
    EXPECT_EQ(outcome.alreadyThere, 1u);
    EXPECT_EQ(outcome.planned, 1u);
    ASSERT_EQ(outcome.failures.size(), 2u);
    EXPECT_EQ(outcome.failures[0].file, dir / "elsewhere.trk");
    EXPECT_EQ(outcome.failures[1].file, dir / "lib/gone.trk");
    EXPECT_FALSE(outcome.stopped);
    EXPECT_EQ(dir.list("out/sub"), (std::vector<std::string>{"a.trk"}));
}

}  // namespace
}  // namespace pitbox::test
