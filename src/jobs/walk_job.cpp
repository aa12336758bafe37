#include "jobs/walk_job.h"

#include "library/folder_load.h"

namespace pitbox {

bool WalkJob::step(JobProgress& progress) {
    std::size_t found = 0;
    const auto onFound = [&](const TrackEntry&) { progress.setDone(++found); };
    walked_ = areas_ ? collectChangedTracks(folder_, *areas_, found_, linkMet_, onFound, &progress.stopFlag())
                     : collectTracks(folder_, found_, onFound, stamps_, &progress.stopFlag(), &linkMet_);
    return false;
}

}  // namespace pitbox
