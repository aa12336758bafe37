#include "library/trash_tracks.h"

#include "platform/archives.h"
#include "platform/paths.h"
#include "platform/trash.h"

namespace pitbox {

TrashReport trashTracks(const std::vector<std::string>& paths, const std::function<void(std::size_t done)>& progress,
                        const std::atomic<bool>* stop) {
    TrashReport report;
    platform::TrashMoves trash;  // the volumes' trash folders, held until the last move
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (stop && stop->load(std::memory_order_relaxed)) {
            report.stopped = true;
            break;
        }
        // A track inside an archive stays, and the archive with it.
        if (!platform::archivePartOf(paths[i]).empty())
            if (const auto at = platform::splitMemberPath(paths[i])) {
                report.failures.push_back(Error{
                    ErrorCode::ReadOnly, paths[i],
                    "inside " + std::string(platform::filePart(at->archive)) + ": Pitbox never rewrites an archive"});
                if (progress) progress(i + 1);
                continue;
            }
        if (auto moved = trash.move(paths[i]))
            report.moved.push_back(paths[i]);
        else
            report.failures.push_back(moved.error());
        if (progress) progress(i + 1);
    }
    return report;
}

}  // namespace pitbox
