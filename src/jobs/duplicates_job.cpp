#include "jobs/duplicates_job.h"

#include <cstdint>

#include "platform/archives.h"
#include "platform/files.h"

namespace pitbox {

bool DuplicatesJob::step(JobProgress& progress) {
    progress.setTotal(pathCount_);
    found_ = findDuplicates(
        std::move(paths_), kind_, [&](std::size_t looked) { progress.setDone(looked); }, &progress.stopFlag());
    return false;
}

std::vector<std::string> extraFiles(const DuplicateGroups& found) {
    std::vector<std::string> extras;
    for (const std::vector<std::string>& group : found.groups) {
        std::vector<DuplicateFile> files;
        for (const std::string& path : group) {
            const bool inArchive = platform::isArchiveMember(path);
            const auto stamp = platform::trackSourceStamp(path);
            files.push_back({path, stamp ? stamp->modified : INT64_MIN, inArchive});
        }
        const std::size_t keep = fileToKeep(files);
        for (std::size_t i = 0; i < group.size(); ++i)
            if (i != keep) extras.push_back(group[i]);
    }
    return extras;
}

}  // namespace pitbox
