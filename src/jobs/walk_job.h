#pragma once
#include <optional>
#include <string>

#include "base/result.h"
#include "jobs/job.h"
#include "library/catalogue.h"
#include "library/changed_areas.h"
#include "platform/folder_walk.h"

namespace pitbox {

// The walk of a folder tree for its track files, sorted by name: what Load,
// Scan and the check of the remembered library each begin with. With
// `stamps`, each file's stamp is taken too, so that unchanged files can keep
// the fields remembered for them.
class WalkJob : public Job {
public:
    WalkJob(std::string folder, bool stamps) : folder_(std::move(folder)), stamps_(stamps) {}
    // The walk of the areas of the tree its watch saw change alone, stamped.
    WalkJob(std::string folder, ChangedAreas areas)
        : folder_(std::move(folder)), stamps_(true), areas_(std::move(areas)) {}
    bool step(JobProgress& progress) override;

    const std::string& folder() const { return folder_; }
    const std::optional<ChangedAreas>& areas() const { return areas_; }
    // Whether a folder link was met on the way: a folder may then lie at two
    // paths of the tree.
    bool linkMet() const { return linkMet_; }
    Catalogue& found() { return found_; }
    // The folders that could not be read, or why the folder itself could not be.
    const Result<platform::UnreadableFolders>& walked() const { return walked_; }

private:
    const std::string folder_;
    const bool stamps_;
    const std::optional<ChangedAreas> areas_;
    bool linkMet_ = false;
    Catalogue found_;
    Result<platform::UnreadableFolders> walked_ = platform::UnreadableFolders{};
};

}  // namespace pitbox
