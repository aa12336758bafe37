#include "jobs/check_job.h"

namespace pitbox {

bool CheckJob::step(JobProgress& progress) {
    walked_ = compareTree(
        folder_, std::move(known_), differences_, [&](std::size_t found) { progress.setDone(found); },
        &progress.stopFlag());
    return false;
}

}  // namespace pitbox
