#include "app/move_to_trash.h"

#include <unordered_set>

#include "app/ids.h"
#include "app/job_work.h"
#include "app/list_view.h"
#include "app/remembered_library.h"
#include "app/show_track.h"
#include "jobs/trash_job.h"
#include "platform/trash.h"

namespace pitbox {
namespace {

// What the window makes of a Move to Trash: the moved tracks leave the list.
void trashed(AppState& s, const TrashJob& job) {
    const TrashReport& report = job.report();
    std::unordered_set<PathKey, PathKeyHash> moved;
    for (const std::string& path : report.moved) moved.insert(pathKey(path));
    if (!moved.empty()) dropEntries(s, [&](const TrackEntry& e) { return moved.count(pathKey(e)) != 0; });
    const std::string where = platform::trashName();
    std::string result = report.stopped ? "Stopped: " + std::to_string(moved.size()) + " of " +
                                              std::to_string(job.paths().size()) + " Tracks moved to " + where
                                        : std::to_string(moved.size()) + " Tracks moved to " + where;
    if (!report.failures.empty()) {
        result += " (" + std::to_string(report.failures.size()) + " stayed)";
        s.tk.setText(ids::kMainWindow, ids::kStatusLine2, firstFailureText(report.failures));
    }
    showResult(s, result);
    rememberLibrary(s);
    followCurrentTrack(s);
}

}  // namespace

void moveSelectionToTrash(AppState& s) {
    if (s.work) return;
    std::vector<std::string> paths = selectedPaths(s);
    if (paths.empty()) {
        showResult(s, "Select the tracks to move to " + platform::trashName());
        return;
    }
    const std::string count = paths.size() == 1 ? "1 track" : std::to_string(paths.size()) + " tracks";
    const std::string question =
        "Move " + count + " to " + platform::trashName() + "?\nThey can be put back from there; nothing is deleted.";
    if (!s.tk.questionRequester(kMoveToTrashCaption, question, kMoveToTrashCaption)) return;
    // The check of the remembered library holds the entries this replaces.
    auto job = std::make_shared<TrashJob>(std::move(paths));
    JobApply apply{{},
                   [job](AppState& state, bool, std::size_t) { trashed(state, *job); },
                   [](std::size_t done, std::size_t total) {
                       return "Moving " + std::to_string(done) + " / " + std::to_string(total) + " to " +
                              platform::trashName();
                   }};
    startWork(s, jobWork(job, std::move(apply)), {ids::kMainWindow, ids::kMoveToTrash, -1, -1, kMoveToTrashCaption},
              true);
}

}  // namespace pitbox
