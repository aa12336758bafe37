#include "library/copy_tracks.h"

#include <algorithm>
#include <future>
#include <map>
#include <optional>
#include <set>

#include "platform/archives.h"
#include "platform/file_replacement.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "trackfile/track_buffer.h"

namespace pitbox {
namespace {

// The copies are read into temporaries and put in place in batches. A copy
// that replaces a file needs room for both until it is committed, so the bytes
// of such copies in one batch are bounded; a new file needs no more room than
// its copy. Each batch holds one open file a copy until it is committed. Where
// even that is more room than the volume has, the batches shrink.
constexpr std::uint64_t kBatchReplacedBytes = std::uint64_t{16} << 20;
constexpr std::size_t kBatchFiles = 256;
static_assert(2 * kBatchFiles <= platform::kMostLiveReplacements,
              "a batch being read and one being committed must all be removable on an interrupt");

// Copies, with every selected track that is also a target (a track about to
// be replaced by another) kept until its own copy is in place: a copy that
// would replace it waits for that, and fails when that copy failed.
class Copier {
public:
    Copier(const std::vector<CopyItem>& plan, const std::function<void(std::size_t)>& progress,
           const std::atomic<bool>* stop)
        : plan_(plan), progress_(progress), stop_(stop) {}

    CopyReport run() {
        makeKeptFolders();
        for (const std::string& folder : targetFolders()) platform::removeDeadTemporaries(folder);
        for (std::size_t i : readingOrder()) {
            if (stop_ && stop_->load(std::memory_order_relaxed)) {
                settleCommit();
                batch_.clear();
                report_.stopped = true;
                return std::move(report_);
            }
            const std::uint64_t room = sources_[i] && replacing_[i] ? sources_[i]->size : 0;
            if (!batch_.empty() && (batch_.size() >= kBatchFiles || batchReplacedBytes_ + room > batchLimit_))
                commitReady(false);
            copyOne(i);
            if (progress_) progress_(++done_);
        }
        commitReady(true);
        return std::move(report_);
    }

private:
    struct Pending {
        platform::FileReplacement replacement;
        std::size_t item;
        std::uint64_t bytes;  // what it adds to the room needed: its size when it replaces a file
    };
    // A selected track that a copy replaces: how many of its own copies are
    // still to be put in place, and whether one of them is.
    struct Kept {
        std::size_t copiesLeft = 0;
        bool copied = false;
    };

    // The folders kept below the target are made as needed; the target itself
    // must be there.
    void makeKeptFolders() {
        std::map<std::string, std::string> below;  // folder -> the target it lies below
        for (const CopyItem& item : plan_)
            if (!item.madeBelow.empty()) below.emplace(platform::pathPart(item.target), item.madeBelow);
        for (const auto& [folder, target] : below) {
            if (platform::fileStatus(folder)) continue;
            if (!platform::fileStatus(target))
                unmade_.emplace(folder, Error{ErrorCode::Missing, target, "the target folder is not there"});
            else if (auto made = platform::makeFolders(folder); !made)
                unmade_.emplace(folder, made.error());
        }
    }

    std::set<std::string> targetFolders() const {
        std::set<std::string> folders;
        for (const CopyItem& item : plan_) folders.emplace(platform::pathPart(item.target));
        return folders;
    }

    // The selected tracks that lie where another is copied to are copied first,
    // so that the copies replacing them seldom wait.
    std::vector<std::size_t> readingOrder() {
        std::set<platform::FileKey> targets;
        sources_.reserve(plan_.size());
        for (const CopyItem& item : plan_) {
            auto status = platform::fileStatus(item.source);
            sources_.push_back(status ? std::optional(*status) : std::nullopt);
            auto there = platform::fileStatus(item.target);
            if (there) targets.insert(there->key);
            replacing_.push_back(static_cast<bool>(there));
        }
        for (const auto& source : sources_)
            if (source && targets.count(source->key) != 0) ++kept_[source->key].copiesLeft;
        std::vector<std::size_t> order(plan_.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_partition(order.begin(), order.end(), [&](std::size_t i) { return isKept(sources_[i]); });
        return order;
    }

    bool isKept(const std::optional<platform::FileStatus>& source) const {
        return source && kept_.count(source->key) != 0;
    }

    // A copy that finds the volume full first puts in place what the batches
    // hold, which frees the room of the files they replace, and is tried
    // again; only a copy that does not fit with nothing else pending fails.
    void copyOne(std::size_t i) {
        const CopyItem& item = plan_[i];
        if (auto unmade = unmade_.find(std::string(platform::pathPart(item.target))); unmade != unmade_.end())
            return fail(i, unmade->second);
        for (;;) {
            auto read = readOne(i);
            if (read) {
                batchReplacedBytes_ += read->bytes;
                batch_.push_back(std::move(*read));
                return;
            }
            if (read.error().code != ErrorCode::NoSpace || !makeRoom()) return fail(i, read.error());
        }
    }

    // A track inside an archive is written out of it whole (a track fits the
    // track buffer); a file is copied a piece at a time.
    Result<std::uint64_t> copyInto(platform::FileReplacement& replacement, const std::string& source) {
        if (platform::archivePartOf(source).empty()) return replacement.copyFrom(source);
        thread_local std::vector<std::uint8_t> member;
        auto got = platform::readTrackSource(source, kTrackBufferBytes, member);
        if (!got) return got.error();
        if (auto written = replacement.write({reinterpret_cast<const char*>(member.data()), *got}); !written)
            return written.error();
        return std::uint64_t{*got};
    }

    Result<Pending> readOne(std::size_t i) {
        const CopyItem& item = plan_[i];
        auto replacement = platform::FileReplacement::create(item.target);
        if (!replacement) return replacement.error();
        // Two targets of one run that reach one file (through links): the later
        // copy would overwrite the earlier one.
        const auto [earlier, isNew] = destinations_.try_emplace(replacement->destination(), item.target);
        if (!isNew) return Error{ErrorCode::SameTarget, item.target, "is the same file as " + earlier->second};
        auto copied = copyInto(*replacement, item.source);
        if (!copied) {
            destinations_.erase(earlier);
            return copied.error();
        }
        const std::uint64_t bytes = replacement->replaces() ? *copied : 0;
        return Pending{std::move(*replacement), i, bytes};
    }

    // Puts in place, and waits for, whatever the batches hold that may go, and
    // halves the batches to come. False when nothing could go.
    bool makeRoom() {
        const std::size_t settled = report_.copied + report_.failures.size();
        settleCommit();
        commitReady(false);
        settleCommit();
        batchLimit_ /= 2;
        return report_.copied + report_.failures.size() != settled;
    }

    // Puts in place what may go now, while the next batch is read: the flush of
    // one batch overlaps the reading of the next. A copy that would replace a
    // kept track waits until that track's own copy is in place, and fails once
    // none of those copies can be; at the end, copies that would only replace
    // each other fail too.
    void commitReady(bool last) {
        do {
            settleCommit();
            std::vector<Pending> ready, waiting;
            for (Pending& p : batch_) {
                const auto replaced = p.replacement.replaces();
                const auto kept = replaced ? kept_.find(*replaced) : kept_.end();
                if (kept == kept_.end() || kept->second.copied)
                    ready.push_back(std::move(p));
                else if (kept->second.copiesLeft > 0)
                    waiting.push_back(std::move(p));
                else
                    failToKeep(p);
            }
            batch_ = std::move(waiting);
            batchReplacedBytes_ = 0;
            for (const Pending& p : batch_) batchReplacedBytes_ += p.bytes;
            if (!ready.empty()) {
                startCommit(std::move(ready));
            } else if (last) {
                for (Pending& p : batch_) failToKeep(p);
                batch_.clear();
            }
        } while (last && (!batch_.empty() || commit_.valid()));
    }

    void failToKeep(const Pending& p) {
        fail(p.item, Error{ErrorCode::WouldLoseTrack, p.replacement.target(),
                           "would replace a selected track that could not be copied"});
    }

    void startCommit(std::vector<Pending> ready) {
        std::vector<platform::FileReplacement> replacements;
        replacements.reserve(ready.size());
        for (Pending& p : ready) {
            replacements.push_back(std::move(p.replacement));
            committing_.push_back(p.item);
        }
        // Where no thread can be had, the commit runs when its results are taken.
        commit_ = std::async(std::launch::async | std::launch::deferred,
                             [batch = std::move(replacements)]() mutable { return platform::commitAll(batch); });
    }

    // Takes the results of the commit under way, if any.
    void settleCommit() {
        if (!commit_.valid()) return;
        const std::vector<Result<void>> results = commit_.get();
        for (std::size_t k = 0; k < results.size(); ++k) {
            const std::size_t i = committing_[k];
            if (!results[k]) {
                fail(i, results[k].error());
                continue;
            }
            ++report_.copied;
            if (isKept(sources_[i])) {
                Kept& kept = kept_.at(sources_[i]->key);
                kept.copied = true;
                --kept.copiesLeft;
            }
        }
        committing_.clear();
    }

    void fail(std::size_t item, Error error) {
        if (isKept(sources_[item])) --kept_.at(sources_[item]->key).copiesLeft;
        report_.failures.push_back(std::move(error));
    }

    const std::vector<CopyItem>& plan_;
    const std::function<void(std::size_t)>& progress_;
    const std::atomic<bool>* stop_;
    std::vector<std::optional<platform::FileStatus>> sources_;
    std::vector<bool> replacing_;  // whether a file lies at the target
    std::map<platform::FileKey, Kept> kept_;
    std::map<std::string, std::string> destinations_;  // where each copy lands -> its target
    std::map<std::string, Error> unmade_;              // target folders that could not be made
    std::vector<Pending> batch_;
    std::uint64_t batchReplacedBytes_ = 0;
    std::uint64_t batchLimit_ = kBatchReplacedBytes;
    std::vector<std::size_t> committing_;  // the items of the commit under way
    std::future<std::vector<Result<void>>> commit_;
    std::size_t done_ = 0;
    CopyReport report_;
};

}  // namespace

std::string copiedText(std::size_t copied, std::size_t alreadyThere, const std::string& target) {
    if (alreadyThere == 0) return std::to_string(copied) + " Tracks copied to: " + target;
    return std::to_string(copied) + " Tracks copied, " + std::to_string(alreadyThere) + " already there: " + target;
}

CopyReport copyTracks(const std::vector<CopyItem>& plan, const std::function<void(std::size_t done)>& progress,
                      const std::atomic<bool>* stop) {
    return Copier(plan, progress, stop).run();
}

}  // namespace pitbox
