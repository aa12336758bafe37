#pragma once
#include <string>

#include "base/result.h"
#include "jobs/job.h"
#include "library/catalogue.h"
#include "library/html_catalogue.h"

namespace pitbox {

// Save Catalogue: an HTML page of the tracks given, with a picture of each
// track's map, as one folder that replaces `folder` whole. The tracks are
// copied when the job is made, so the table may change meanwhile.
class CatalogueJob : public Job {
public:
    CatalogueJob(Catalogue::ConstEntries tracks, std::string root, std::string folder);
    bool step(JobProgress& progress) override;

    const std::string& folder() const { return folder_; }
    // Nothing is saved until the step says so: a Stop may come before it.
    const Result<CatalogueSaved>& saved() const { return saved_; }

private:
    Catalogue tracks_;
    const std::string root_, folder_;
    Result<CatalogueSaved> saved_{CatalogueSaved{0, 0, true}};
};

}  // namespace pitbox
