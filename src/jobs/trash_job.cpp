#include "jobs/trash_job.h"

namespace pitbox {

bool TrashJob::step(JobProgress& progress) {
    progress.setTotal(paths_.size());
    report_ = trashTracks(
        paths_, [&](std::size_t done) { progress.setDone(done); }, &progress.stopFlag());
    return false;
}

}  // namespace pitbox
