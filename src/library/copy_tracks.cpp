#include "library/copy_tracks.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "platform/file_replacement.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace pitbox {
namespace {

// The copies are read into temporaries and put in place in batches, so the space
// a copy needs beyond its result stays near one batch, whatever the selection.
// Each batch holds one open file a copy until it is committed.
constexpr std::uint64_t kBatchBytes = std::uint64_t{16} << 20;
constexpr std::size_t kBatchFiles = 256;

class Copier {
public:
    Copier(const std::vector<CopyItem>& plan, const std::function<void(std::size_t)>& progress)
        : plan_(plan), progress_(progress) {}

    CopyReport run() {
        for (const std::string& folder : targetFolders()) platform::removeDeadTemporaries(folder);
        std::vector<std::size_t> order = readingOrder();
        for (std::size_t i : order)
            if (sources_[i]) unread_.insert(sources_[i]->key);
        for (std::size_t i : order) {
            const std::uint64_t size = sources_[i] ? sources_[i]->size : 0;
            if (!batch_.empty() && (batchBytes_ + size > kBatchBytes || batch_.size() >= kBatchFiles)) commitIfSafe();
            copyOne(i);
            if (progress_) progress_(++done_);
        }
        commit();
        return std::move(report_);
    }

private:
    std::set<std::string> targetFolders() const {
        std::set<std::string> folders;
        for (const CopyItem& item : plan_) folders.emplace(platform::pathPart(item.target));
        return folders;
    }

    // A selected track that lies where another is copied to must be read before
    // that copy replaces it: such tracks are copied first (and, as the batches
    // go, put in place before the replacing copy is).
    std::vector<std::size_t> readingOrder() {
        std::set<platform::FileKey> targets;
        sources_.reserve(plan_.size());
        for (const CopyItem& item : plan_) {
            auto status = platform::fileStatus(item.source);
            sources_.push_back(status ? std::optional(*status) : std::nullopt);
            if (auto there = platform::fileStatus(item.target)) targets.insert(there->key);
        }
        std::vector<std::size_t> order(plan_.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_partition(order.begin(), order.end(),
                              [&](std::size_t i) { return sources_[i] && targets.count(sources_[i]->key) != 0; });
        return order;
    }

    void copyOne(std::size_t i) {
        const CopyItem& item = plan_[i];
        if (sources_[i]) unread_.erase(unread_.find(sources_[i]->key));
        auto replacement = platform::FileReplacement::create(item.target);
        if (!replacement) return fail(replacement.error());
        // Two targets of one run that reach one file (through links): the later
        // copy would overwrite the earlier one.
        const auto [earlier, isNew] = destinations_.try_emplace(replacement->destination(), item.target);
        if (!isNew) return fail(Error{ErrorCode::SameTarget, item.target, "is the same file as " + earlier->second});
        auto copied = replacement->copyFrom(item.source);
        if (!copied) {
            destinations_.erase(earlier);
            return fail(copied.error());
        }
        batchBytes_ += *copied;
        batch_.push_back(std::move(*replacement));
    }

    // A batch that would replace a file still to be read waits (and grows) until
    // that file has been read.
    void commitIfSafe() {
        for (const auto& replacement : batch_)
            if (replacement.replaces() && unread_.count(*replacement.replaces()) != 0) return;
        commit();
    }

    void commit() {
        for (auto& result : platform::commitAll(batch_)) {
            if (result)
                ++report_.copied;
            else
                fail(result.error());
        }
        batchBytes_ = 0;
    }

    void fail(Error error) { report_.failures.push_back(std::move(error)); }

    const std::vector<CopyItem>& plan_;
    const std::function<void(std::size_t)>& progress_;
    std::vector<std::optional<platform::FileStatus>> sources_;
    std::multiset<platform::FileKey> unread_;
    std::map<std::string, std::string> destinations_;  // where each copy lands -> its target
    std::vector<platform::FileReplacement> batch_;
    std::uint64_t batchBytes_ = 0;
    std::size_t done_ = 0;
    CopyReport report_;
};

}  // namespace

CopyReport copyTracks(const std::vector<CopyItem>& plan, const std::function<void(std::size_t done)>& progress) {
    return Copier(plan, progress).run();
}

}  // namespace pitbox
