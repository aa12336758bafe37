#pragma once
#include <string>

#include "base/result.h"
#include "jobs/job.h"
#include "library/catalogue.h"
#include "platform/folder_walk.h"

namespace pitbox {

// The walk of a folder tree for its track files, sorted by name: what Load,
// Scan and the check of the remembered library each begin with. With
// `stamps`, each file's stamp is taken too, so that unchanged files can keep
// the fields remembered for them.
class WalkJob : public Job {
public:
    WalkJob(std::string folder, bool stamps) : folder_(std::move(folder)), stamps_(stamps) {}
    bool step(JobProgress& progress) override;

    const std::string& folder() const { return folder_; }
    Catalogue& found() { return found_; }
    // The folders that could not be read, or why the folder itself could not be.
    const Result<platform::UnreadableFolders>& walked() const { return walked_; }

private:
    const std::string folder_;
    const bool stamps_;
    Catalogue found_;
    Result<platform::UnreadableFolders> walked_ = platform::UnreadableFolders{};
};

}  // namespace pitbox
