#include "app/scan_tracks.h"

#include <algorithm>
#include <chrono>
#include <unordered_set>
#include <utility>

#include "app/ids.h"
#include "app/job_work.h"
#include "app/list_view.h"
#include "app/load_tracks.h"
#include "app/long_work.h"
#include "app/remembered_library.h"
#include "app/show_track.h"
#include "library/header_refresh.h"

namespace pitbox {
namespace {

// How long one slice may spend putting fields into entries.
constexpr std::chrono::milliseconds kSlice{3};

// The window's side of a Scan: the job takes every file's stamp first, then
// reads each file that needs it; the entries take the fields on the event
// thread, a slice at a time.
class ScanApply {
public:
    ScanApply(Catalogue& catalogue, const std::vector<TrackEntry*>& entries, const std::shared_ptr<ScanJob>& job)
        : catalogue_(catalogue), entries_(entries), job_(job) {}

    // At most a few milliseconds of them a slice, so that the window stays
    // quick while the worker reads faster than the fields can be shown.
    bool take(AppState& s) {
        {
            std::vector<TrackRead> made = job_->takeReads();
            taking_.insert(taking_.end(), std::make_move_iterator(made.begin()), std::make_move_iterator(made.end()));
        }
        if (taken_ == taking_.size()) return false;
        const auto until = std::chrono::steady_clock::now() + kSlice;
        std::vector<const TrackEntry*> changed;
        while (taken_ < taking_.size() && (changed.size() % 64 != 0 || std::chrono::steady_clock::now() < until)) {
            TrackRead& r = taking_[taken_++];
            TrackEntry* entry = entries_[r.file];
            entry->stamp = r.stamp;
            applyTrackFields(catalogue_, *entry, r.header, r.result);
            changed.push_back(entry);
            if (!r.result && r.result.error().code == ErrorCode::Missing) gone_.insert(entry);
        }
        if (taken_ == taking_.size()) {
            taking_.clear();
            taken_ = 0;
        }
        // Under a filter the rows may change; else only their texts do.
        if (s.view.entriesChanged(changed))
            showTableRows(s);
        else
            s.tk.refreshTable(ids::kMainWindow, ids::kTable);
        return taken_ < taking_.size();
    }

    void finish(AppState& s, bool stopped, std::size_t done, std::size_t total) {
        // A file gone since the walk is not unreadable: it is gone.
        if (!gone_.empty()) dropEntries(s, [&](const TrackEntry& e) { return gone_.count(&e) != 0; });
        // The texts the filter sees, and the rows, were kept up as the fields came.
        s.tk.refreshTable(ids::kMainWindow, ids::kTable);
        showListStatus(s);
        if (stopped)
            showResult(s, std::string(job_->kind() == ScanKind::CheckedFiles ? "Check" : "Scan") +
                              " stopped: " + std::to_string(done) + " of " + std::to_string(total) + " read");
        rememberLibrary(s);
        followCurrentTrack(s, true);
    }

    static std::string doing(const ScanJob& job, std::size_t done, std::size_t total) {
        if (job.stamping()) return "Looking at " + std::to_string(total) + " Tracks";
        const std::string reading = "Reading " + std::to_string(done) + " / " + std::to_string(total);
        return job.kind() == ScanKind::CheckedFiles ? reading + " new or changed Tracks" : reading;
    }

private:
    Catalogue& catalogue_;
    const std::vector<TrackEntry*> entries_;  // the job's files, in its order
    const std::shared_ptr<ScanJob> job_;
    std::unordered_set<const TrackEntry*> gone_;
    std::vector<TrackRead> taking_;  // on the event thread: being taken, from taken_
    std::size_t taken_ = 0;
};

}  // namespace

std::unique_ptr<LongWork> scanWork(AppState& s, const std::vector<TrackEntry*>& entries, ScanKind kind) {
    // The paths are the job's own: the catalogue's texts may change while it reads.
    std::vector<std::string> paths;
    paths.reserve(entries.size());
    std::vector<ScanFile> files;
    files.reserve(entries.size());
    for (const TrackEntry* e : entries) {
        const std::string_view path = paths.emplace_back(e->path());
        files.push_back({path.substr(0, e->folder->text.size()), path.substr(e->folder->text.size()), e->state,
                         e->stamp, std::nullopt});
    }
    auto job = std::make_shared<ScanJob>(std::move(files), kind);
    job->keep(std::move(paths));
    auto apply = std::make_shared<ScanApply>(s.catalogue, entries, job);
    const std::size_t total = entries.size();
    auto work = jobWork(job, {[apply](AppState& state, const JobProgress&) { return apply->take(state); },
                              [apply, total](AppState& state, bool stopped, std::size_t done) {
                                  apply->finish(state, stopped, done, total);
                              },
                              [job](std::size_t done, std::size_t all) { return ScanApply::doing(*job, done, all); }});
    return work;
}

void refreshHeaders(AppState& s, bool always) {
    s.listName = "tracks";
    const ScanKind kind = always ? ScanKind::EveryFile : ScanKind::ChangedFiles;
    if (s.folderLoaded) {
        rescanFolder(s, kind);
        return;
    }
    std::vector<TrackEntry*> entries;
    entries.reserve(s.catalogue.count());
    for (TrackEntry& e : s.catalogue.entries()) entries.push_back(&e);
    startWork(s, scanWork(s, entries, kind), {ids::kMainWindow, ids::kScan, ids::kPictureScan, ids::kPictureStop},
              true);
}

}  // namespace pitbox
