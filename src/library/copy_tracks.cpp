#include "library/copy_tracks.h"

#include "platform/file_replacement.h"

namespace pitbox {

CopyReport copyTracks(const std::vector<CopyItem>& plan, const std::function<void(std::size_t done)>& progress) {
    // Every source is read before any target is replaced: a selected track that
    // lies where an earlier one is copied to is copied before it is replaced.
    // The copies then become durable with one flush of the disk and take their
    // places.
    CopyReport report;
    std::vector<platform::FileReplacement> batch;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        auto replacement = platform::FileReplacement::create(plan[i].target);
        if (!replacement) {
            report.failures.push_back(replacement.error());
        } else if (auto copied = replacement->copyFrom(plan[i].source); !copied) {
            report.failures.push_back(copied.error());
        } else if (auto finished = replacement->finishWriting(); !finished) {
            report.failures.push_back(finished.error());
        } else {
            batch.push_back(std::move(*replacement));
        }
        if (progress) progress(i + 1);
    }
    for (auto& result : platform::commitAll(batch)) {
        if (result)
            ++report.copied;
        else
            report.failures.push_back(result.error());
    }
    return report;
}

}  // namespace pitbox
