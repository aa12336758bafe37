#pragma once
#include <string>
#include <vector>

#include "jobs/job.h"
#include "library/duplicates.h"

namespace pitbox {

// Duplicates: the groups of identical files, or of the same track, among the
// files given; each group's paths in byte order.
class DuplicatesJob : public Job {
public:
    // The paths are held for the whole search: a list grown by a walk gives
    // back the room it grew into. The search takes them over.
    DuplicatesJob(PathList paths, DuplicateKind kind)
        : paths_(fitted(std::move(paths))), pathCount_(paths_.size()), kind_(kind) {}
    bool step(JobProgress& progress) override;

    std::size_t pathCount() const { return pathCount_; }
    const DuplicateGroups& found() const { return found_; }

private:
    static PathList fitted(PathList paths) {
        paths.shrinkToFit();
        return paths;
    }

    PathList paths_;
    const std::size_t pathCount_;
    const DuplicateKind kind_;
    DuplicateGroups found_;
};

// The extras of each group, the files to let go: all but the most recently
// modified (of those equally recent, the first in byte order), by each file's
// stamp as it is now; a file that cannot be looked at counts as the oldest.
std::vector<std::string> extraFiles(const DuplicateGroups& found);

}  // namespace pitbox
