#pragma once
#include <string>
#include <vector>

#include "base/result.h"
#include "jobs/job.h"
#include "library/tree_check.h"

namespace pitbox {

// The check of a remembered library's folder: its tree walked, each folder's
// listing compared with what was known of its tracks (taken as values when
// the job is made), and what differs told.
class CheckJob : public Job {
public:
    CheckJob(std::string folder, KnownTracks known) : folder_(std::move(folder)), known_(std::move(known)) {}
    bool step(JobProgress& progress) override;

    const std::string& folder() const { return folder_; }
    // The folders that could not be read, or why the folder itself could not be.
    const Result<platform::UnreadableFolders>& walked() const { return walked_; }
    TreeDifferences& differences() { return differences_; }

private:
    const std::string folder_;
    KnownTracks known_;
    TreeDifferences differences_;
    Result<platform::UnreadableFolders> walked_ = platform::UnreadableFolders{};
};

}  // namespace pitbox
