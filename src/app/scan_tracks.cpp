#include "app/scan_tracks.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <unordered_set>
#include <utility>

#include "app/ids.h"
#include "app/list_view.h"
#include "app/load_tracks.h"
#include "app/long_work.h"
#include "app/remembered_library.h"
#include "app/show_track.h"
#include "base/parallel.h"
#include "library/header_refresh.h"

namespace pitbox {
namespace {

// Stamps are taken this many at a time, so that a Stop is heard between.
constexpr std::size_t kStampsAtOnce = 4096;
// How long one slice may spend putting fields into entries.
constexpr std::chrono::milliseconds kSlice{3};

// Scan on a worker: every file's stamp first, then each file that needs it
// read; the entries take the fields on the event thread, a slice at a time.
class ScanWork : public LongWork {
public:
    ScanWork(Catalogue& catalogue, const std::vector<TrackEntry*>& entries, ScanKind kind)
        : catalogue_(catalogue), kind_(kind) {
        files_.reserve(entries.size());
        for (TrackEntry* e : entries) files_.push_back({e, std::string(e->path), *e, {}});
        setTotal(files_.size());
    }

    bool step() override {
        if (stamped_ < files_.size()) {
            const std::size_t from = stamped_, to = std::min(files_.size(), from + kStampsAtOnce);
            forEachIndex(to - from,
                         [&](std::size_t i) { files_[from + i].now = platform::fileStamp(files_[from + i].path); });
            stamped_ = to;
            return true;
        }
        if (next_ == files_.size()) return false;
        File& f = files_[next_++];
        if (needsReading(f.before, f.now, kind_ != ScanKind::ChangedFiles)) {
            Read r{f.entry, f.now.value_or(platform::FileStamp{}), {}, {}};
            r.result = readTrackFields(f.path, buffer_, r.header);
            const std::lock_guard<std::mutex> hold(lock_);
            reads_.push_back(std::move(r));
        }
        setDone(next_);
        return next_ < files_.size();
    }

    // At most a few milliseconds of them a slice, so that the window stays
    // quick while the worker reads faster than the fields can be shown.
    bool take(AppState& s) override {
        {
            const std::lock_guard<std::mutex> hold(lock_);
            taking_.insert(taking_.end(), std::make_move_iterator(reads_.begin()),
                           std::make_move_iterator(reads_.end()));
            reads_.clear();
        }
        if (taken_ == taking_.size()) return false;
        const auto until = std::chrono::steady_clock::now() + kSlice;
        std::vector<const TrackEntry*> changed;
        while (taken_ < taking_.size() && (changed.size() % 64 != 0 || std::chrono::steady_clock::now() < until)) {
            Read& r = taking_[taken_++];
            r.entry->stamp = r.stamp;
            applyTrackFields(catalogue_, *r.entry, r.header, r.result);
            changed.push_back(r.entry);
            if (!r.result && r.result.error().code == ErrorCode::Missing) gone_.insert(r.entry);
        }
        if (taken_ == taking_.size()) {
            taking_.clear();
            taken_ = 0;
        }
        // Under a filter the rows may change; else only their texts do.
        if (s.view.entriesChanged(changed))
            showRows(s);
        else
            s.tk.refreshTable(ids::kMainWindow, ids::kTable);
        return taken_ < taking_.size();
    }

    void finish(AppState& s, bool stopped) override {
        // A file gone since the walk is not unreadable: it is gone.
        if (!gone_.empty()) dropEntries(s, [&](const TrackEntry& e) { return gone_.count(&e) != 0; });
        // The texts the filter sees, and the rows, were kept up as the fields came.
        s.tk.refreshTable(ids::kMainWindow, ids::kTable);
        showListStatus(s);
        if (stopped)
            showResult(s, std::string(kind_ == ScanKind::CheckedFiles ? "Check" : "Scan") +
                              " stopped: " + std::to_string(done()) + " of " + std::to_string(total()) + " read");
        rememberLibrary(s);
        followCurrentTrack(s, true);
    }

    std::string doing(std::size_t done, std::size_t total) const override {
        if (stamped_ < files_.size()) return "Looking at " + std::to_string(total) + " Tracks";
        const std::string reading = "Reading " + std::to_string(done) + " / " + std::to_string(total);
        return kind_ == ScanKind::CheckedFiles ? reading + " new or changed Tracks" : reading;
    }

private:
    struct File {
        TrackEntry* entry;
        std::string path;
        TrackEntry before;  // as it was when the Scan began
        std::optional<platform::FileStamp> now;
    };
    struct Read {
        TrackEntry* entry;
        platform::FileStamp stamp;
        HeaderFields header;
        Result<void> result;
    };

    static void showRows(AppState& s) {
        s.tk.setTableRows(ids::kMainWindow, ids::kTable, &s.rows);
        s.tk.setTableSelection(ids::kMainWindow, ids::kTable, {s.view.selectedRows(), s.view.currentRow()});
    }

    Catalogue& catalogue_;
    const ScanKind kind_;
    std::unordered_set<const TrackEntry*> gone_;
    std::vector<File> files_;
    std::atomic<std::size_t> stamped_{0};
    std::size_t next_ = 0;
    TrackBuffer buffer_;
    std::mutex lock_;
    std::vector<Read> reads_;   // made by the steps, not taken yet
    std::vector<Read> taking_;  // on the event thread: being taken, from taken_
    std::size_t taken_ = 0;
};

}  // namespace

std::unique_ptr<LongWork> scanWork(AppState& s, const std::vector<TrackEntry*>& entries, ScanKind kind) {
    return std::make_unique<ScanWork>(s.catalogue, entries, kind);
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
