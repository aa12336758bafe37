#include "jobs/copy_job.h"

#include "library/already_there.h"
#include "library/copy_plan.h"
#include "library/copy_tracks.h"

namespace pitbox {

CopyOutcome copyJob(const CopyRequest& request, JobProgress& progress) {
    CopyOutcome outcome;
    KeptFoldersPlan plan;
    if (request.keepFoldersBelow)
        plan = planCopiesKeepingFolders(request.sources, *request.keepFoldersBelow, request.target);
    else
        plan.items = planCopies(request.sources, request.target);
    progress.setTotal(plan.items.size());
    if (request.skipAlreadyThere) {
        outcome.alreadyThere = dropTracksAlreadyThere(plan.items, &progress.stopFlag());
        progress.setTotal(plan.items.size());
    }
    outcome.planned = plan.items.size();
    CopyReport report = copyTracks(
        plan.items, [&](std::size_t done) { progress.setDone(done); }, &progress.stopFlag());
    outcome.copied = report.copied;
    outcome.stopped =
        report.stopped || (progress.stopRequested() && report.copied + report.failures.size() < plan.items.size());
    outcome.failures = std::move(plan.refused);
    outcome.failures.insert(outcome.failures.end(), std::make_move_iterator(report.failures.begin()),
                            std::make_move_iterator(report.failures.end()));
    return outcome;
}

}  // namespace pitbox
