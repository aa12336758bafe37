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
    DuplicatesJob(std::vector<std::string> paths, DuplicateKind kind) : paths_(std::move(paths)), kind_(kind) {}
    bool step(JobProgress& progress) override;

    const std::vector<std::string>& paths() const { return paths_; }
    const DuplicateGroups& found() const { return found_; }

private:
    const std::vector<std::string> paths_;
    const DuplicateKind kind_;
    DuplicateGroups found_;
};

// The extras of each group, the files to let go: all but the most recently
// modified (of those equally recent, the first in byte order), by each file's
// stamp as it is now; a file that cannot be looked at counts as the oldest.
std::vector<std::string> extraFiles(const DuplicateGroups& found);

}  // namespace pitbox
