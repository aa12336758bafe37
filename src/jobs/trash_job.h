#pragma once
#include <string>
#include <vector>

#include "jobs/job.h"
#include "library/trash_tracks.h"

namespace pitbox {

// Move to Trash: the files, in the order given, each to the trash of its
// volume, from where it can be put back.
class TrashJob : public Job {
public:
    explicit TrashJob(std::vector<std::string> paths) : paths_(std::move(paths)) {}
    bool step(JobProgress& progress) override;

    const std::vector<std::string>& paths() const { return paths_; }
    const TrashReport& report() const { return report_; }

private:
    const std::vector<std::string> paths_;
    TrashReport report_;
};

}  // namespace pitbox
