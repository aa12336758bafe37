#include "jobs/scan_job.h"

#include <algorithm>

#include "base/parallel.h"
#include "library/header_refresh.h"
#include "platform/archives.h"
#include "platform/paths.h"

namespace pitbox {
namespace {

// Stamps are taken this many at a time, and unchanged files passed, so that a
// Stop is heard between.
constexpr std::size_t kStampsAtOnce = 4096;
constexpr std::size_t kLooksAtOnce = 4096;
// Files are read up to this many at a time, enough for a few threads, and
// never more than a 64th of the Scan, so that Stop and the progress bar move
// on smoothly in a small library too.
constexpr std::size_t kMostReadsAtOnce = 256;

}  // namespace

ScanJob::ScanJob(std::vector<ScanFile> files, ScanKind kind, bool stamps)
    : files_(std::move(files)), kind_(stamps ? kind : ScanKind::EveryFile), stamped_(stamps ? 0 : files_.size()) {}

bool ScanJob::stamping() const { return stamped_.load(std::memory_order_relaxed) < files_.size(); }

bool ScanJob::step(JobProgress& progress) {
    if (next_ == 0) progress.setTotal(files_.size());
    if (const std::size_t from = stamped_; from < files_.size()) {
        const std::size_t to = std::min(files_.size(), from + kStampsAtOnce);
        std::vector<PathKey> paths;
        std::vector<std::size_t> unstamped;
        for (std::size_t i = from; i < to; ++i)
            if (!files_[i].now) {
                paths.push_back({files_[i].folder, files_[i].file});
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
    if (!grouped_) {
        grouped_ = true;
        for (std::size_t i = 0; i < files_.size(); ++i)
            if (const auto archive = platform::archivePartOf(files_[i].folder); !archive.empty())
                byArchive_[archive].push_back(i);
        if (!byArchive_.empty()) readInPass_.assign(files_.size(), false);
    }
    const std::size_t until = std::min(files_.size(), next_ + kLooksAtOnce);
    const std::size_t readsAtOnce = std::clamp<std::size_t>(files_.size() / 64, 1, kMostReadsAtOnce);
    std::vector<std::size_t> batch;
    while (next_ < until && batch.size() < readsAtOnce) {
        const std::size_t index = next_;
        const ScanFile& f = files_[index];
        if ((!readInPass_.empty() && readInPass_[index]) || !needsReading(f.state, f.stamp, f.now, always)) {
            ++next_;
            continue;
        }
        // An archive's members that need it are read in one pass, a step of
        // its own after the files gathered before it.
        if (const auto archive = platform::archivePartOf(f.folder); !archive.empty() && byArchive_.count(archive)) {
            if (!batch.empty()) break;
            ++next_;
            if (readArchive(archive, always)) break;
        } else {
            ++next_;
        }
        batch.push_back(index);
    }
    readFiles(batch);
    progress.setDone(next_);
    return next_ < files_.size();
}

void ScanJob::readFiles(const std::vector<std::size_t>& batch) {
    // A few files at once on a few threads, each of which the system reads
    // ahead; what they read is handed on in the files' order.
    std::vector<TrackRead> reads(batch.size());
    forEachIndex(batch.size(), [&](std::size_t k) {
        // Their storage is kept with their thread from file to file.
        thread_local TrackBuffer buffer;
        thread_local std::string path;
        const ScanFile& f = files_[batch[k]];
        TrackRead& read = reads[k];
        read.file = batch[k];
        read.stamp = f.now.value_or(platform::FileStamp{});
        read.result = readTrackFields(path.assign(f.folder).append(f.file), buffer, read.header);
    });
    for (TrackRead& read : reads) made(read);
}

void ScanJob::made(TrackRead& read) {
    if (direct_) {
        direct_(read);
    } else {
        const std::lock_guard<std::mutex> hold(lock_);
        reads_.push_back(std::move(read));
    }
}

bool ScanJob::readArchive(std::string_view archive, bool always) {
    const auto it = byArchive_.find(archive);
    if (it == byArchive_.end()) return false;
    // The members wanted, by their path inside with "/" between its parts.
    std::unordered_map<std::string, std::size_t> wanted;
    for (std::size_t i : it->second) {
        const ScanFile& f = files_[i];
        if (readInPass_[i] || !needsReading(f.state, f.stamp, f.now, always)) continue;
        std::string member = f.path().substr(archive.size() + 1);
        std::replace(member.begin(), member.end(), '\\', '/');
        wanted.emplace(std::move(member), i);
    }
    std::string name;
    const auto take = [&](std::size_t i, const std::function<Result<void>(TrackRead&)>& read) {
        TrackRead& r = scratch_;
        r.file = i;
        r.stamp = files_[i].now.value_or(platform::FileStamp{});
        r.result = read(r);
        readInPass_[i] = true;
        made(r);
    };
    auto pass = platform::forEachMember(
        std::string(archive), [&](const platform::ArchiveMember& m, platform::MemberBytes& bytes) {
            name = m.name;
            std::replace(name.begin(), name.end(), '\\', '/');
            const auto found = wanted.find(name);
            if (found == wanted.end()) return true;
            const std::size_t i = found->second;
            wanted.erase(found);
            take(i, [&](TrackRead& r) {
                return readTrackFields(
                    path_.assign(files_[i].folder).append(files_[i].file),
                    [&](std::vector<std::uint8_t>& into) { return bytes.read(kTrackBufferBytes, into); }, buffer_,
                    r.header);
            });
            return !wanted.empty();
        });
    if (!pass) return false;  // no archive after all: each file is read as it comes
    // What the pass did not meet is not there, or lay past where the archive broke.
    for (const auto& left : wanted) {
        const std::size_t i = left.second;
        take(i, [&](TrackRead&) -> Result<void> {
            if (pass->broken) return *pass->broken;
            return Error{ErrorCode::Missing, files_[i].path(), "not in " + std::string(platform::filePart(archive))};
        });
    }
    return true;
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
        files.push_back({e.folderPath(), e.file, e.state, e.stamp,
                         stampsTaken ? std::optional<platform::FileStamp>(e.stamp) : std::nullopt});
    return files;
}

}  // namespace pitbox
