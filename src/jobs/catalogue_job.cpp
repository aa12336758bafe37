#include "jobs/catalogue_job.h"

#include "preview/track_preview.h"

namespace pitbox {

CatalogueJob::CatalogueJob(Catalogue::ConstEntries tracks, std::string root, std::string folder)
    : root_(std::move(root)), folder_(std::move(folder)) {
    for (const TrackEntry& e : tracks) tracks_.append(e);
}

bool CatalogueJob::step(JobProgress& progress) {
    progress.setTotal(tracks_.count());
    saved_ = saveHtmlCatalogue(
        tracks_.entries(), root_, folder_, preview::trackMapPng, [&](std::size_t done) { progress.setDone(done); },
        &progress.stopFlag());
    return false;
}

}  // namespace pitbox
