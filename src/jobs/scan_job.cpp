#include "jobs/scan_job.h"

#include <algorithm>

#include "library/header_refresh.h"

namespace pitbox {
namespace {

// Stamps are taken this many at a time, and unchanged files passed, so that a
// Stop is heard between.
constexpr std::size_t kStampsAtOnce = 4096;
constexpr std::size_t kLooksAtOnce = 4096;

}  // namespace

ScanJob::ScanJob(std::vector<ScanFile> files, ScanKind kind, bool stamps)
    : files_(std::move(files)), kind_(stamps ? kind : ScanKind::EveryFile), stamped_(stamps ? 0 : files_.size()) {}

bool ScanJob::stamping() const { return stamped_.load(std::memory_order_relaxed) < files_.size(); }

bool ScanJob::step(JobProgress& progress) {
    if (next_ == 0) progress.setTotal(files_.size());
    if (const std::size_t from = stamped_; from < files_.size()) {
        const std::size_t to = std::min(files_.size(), from + kStampsAtOnce);
        std::vector<std::string_view> paths;
        std::vector<std::size_t> unstamped;
        for (std::size_t i = from; i < to; ++i)
            if (!files_[i].now) {
                paths.push_back(files_[i].path);
                unstamped.push_back(i);
            }
        const auto stamps = currentStamps(paths);
        for (std::size_t k = 0; k < unstamped.size(); ++k) files_[unstamped[k]].now = stamps[k];
        stamped_ = to;
        return true;
    }
    if (next_ == files_.size()) return false;
    // Files that need no read are passed a batch at a time; a step reads one file at most.
    const bool always = kind_ != ScanKind::ChangedFiles;
    const std::size_t until = std::min(files_.size(), next_ + kLooksAtOnce);
    while (next_ < until) {
        const std::size_t index = next_++;
        const ScanFile& f = files_[index];
        if (!needsReading(f.state, f.stamp, f.now, always)) continue;
        TrackRead made;
        TrackRead& read = direct_ ? scratch_ : made;
        read.file = index;
        read.stamp = f.now.value_or(platform::FileStamp{});
        read.result = readTrackFields(path_.assign(f.path), buffer_, read.header);
        if (direct_) {
            direct_(read);
        } else {
            const std::lock_guard<std::mutex> hold(lock_);
            reads_.push_back(std::move(read));
        }
        break;
    }
    progress.setDone(next_);
    return next_ < files_.size();
}

std::vector<TrackRead> ScanJob::takeReads() {
    const std::lock_guard<std::mutex> hold(lock_);
    return std::exchange(reads_, {});
}

std::size_t ScanJob::runInto(Catalogue& catalogue, JobProgress& progress) {
    const auto entries = catalogue.entries();
    std::size_t reads = 0;
    direct_ = [&](TrackRead& read) {
        TrackEntry& e = entries[read.file];
        e.stamp = read.stamp;
        applyTrackFields(catalogue, e, read.header, read.result);
        ++reads;
    };
    run(progress);
    direct_ = nullptr;
    return reads;
}

std::vector<ScanFile> ScanJob::filesOf(const Catalogue& catalogue, bool stampsTaken) {
    std::vector<ScanFile> files;
    files.reserve(catalogue.count());
    for (const TrackEntry& e : catalogue.entries())
        files.push_back({e.path.view(), e.state, e.stamp,
                         stampsTaken ? std::optional<platform::FileStamp>(e.stamp) : std::nullopt});
    return files;
}

}  // namespace pitbox
