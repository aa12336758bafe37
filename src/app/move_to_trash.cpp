#include "app/move_to_trash.h"

#include <unordered_set>

#include "app/ids.h"
#include "app/list_view.h"
#include "app/long_work.h"
#include "app/remembered_library.h"
#include "app/show_track.h"
#include "library/trash_tracks.h"
#include "platform/trash.h"

namespace pitbox {
namespace {

class TrashWork : public LongWork {
public:
    explicit TrashWork(std::vector<std::string> paths) : paths_(std::move(paths)) { setTotal(paths_.size()); }

    bool step() override {
        report_ = trashTracks(
            paths_, [this](std::size_t done) { setDone(done); }, &stopFlag());
        return false;
    }
    bool take(AppState&) override { return false; }

    void finish(AppState& s, bool /*stopped*/) override {
        const std::unordered_set<std::string_view> moved(report_.moved.begin(), report_.moved.end());
        if (!moved.empty()) dropEntries(s, [&](const TrackEntry& e) { return moved.count(e.path.view()) != 0; });
        const std::string where = platform::trashName();
        std::string result = report_.stopped ? "Stopped: " + std::to_string(moved.size()) + " of " +
                                                   std::to_string(paths_.size()) + " Tracks moved to " + where
                                             : std::to_string(moved.size()) + " Tracks moved to " + where;
        if (!report_.failures.empty()) {
            result += " (" + std::to_string(report_.failures.size()) + " stayed)";
            s.tk.setText(ids::kMainWindow, ids::kStatusLine2, firstFailureText(report_.failures));
        }
        showResult(s, result);
        rememberLibrary(s);
        followCurrentTrack(s);
    }

    std::string doing(std::size_t done, std::size_t total) const override {
        return "Moving " + std::to_string(done) + " / " + std::to_string(total) + " to " + platform::trashName();
    }

private:
    const std::vector<std::string> paths_;
    TrashReport report_;
};

}  // namespace

void moveSelectionToTrash(AppState& s) {
    if (s.work) return;
    std::vector<std::string> paths = takeSelectedPaths(s);
    if (paths.empty()) {
        showResult(s, "Select the tracks to move to " + platform::trashName());
        return;
    }
    const std::string count = paths.size() == 1 ? "1 track" : std::to_string(paths.size()) + " tracks";
    const std::string question =
        "Move " + count + " to " + platform::trashName() + "?\nThey can be put back from there; nothing is deleted.";
    if (!s.tk.questionRequester(kMoveToTrashCaption, question, kMoveToTrashCaption)) return;
    // The check of the remembered library holds the entries this replaces.
    startWork(s, std::make_unique<TrashWork>(std::move(paths)),
              {ids::kMainWindow, ids::kMoveToTrash, -1, -1, kMoveToTrashCaption}, true);
}

}  // namespace pitbox
