#include "jobs/walk_job.h"

#include "library/folder_load.h"

namespace pitbox {

bool WalkJob::step(JobProgress& progress) {
    std::size_t found = 0;
    walked_ = collectTracks(
        folder_, found_, [&](const TrackEntry&) { progress.setDone(++found); }, stamps_, &progress.stopFlag());
    return false;
}

}  // namespace pitbox
