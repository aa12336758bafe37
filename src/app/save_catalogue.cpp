#include "app/save_catalogue.h"

#include "app/ids.h"
#include "app/job_work.h"
#include "app/list_view.h"
#include "jobs/catalogue_job.h"

namespace pitbox {
namespace {

void catalogueSaved(AppState& s, const CatalogueJob& job) {
    const Result<CatalogueSaved>& saved = job.saved();
    if (!saved) {
        reportError(s, saved.error());
        return;
    }
    showResult(s, saved->stopped ? "Stopped: no catalogue saved" : catalogueSavedText(*saved, job.folder()));
    s.tk.setText(ids::kMainWindow, ids::kStatusLine2, "");
}

}  // namespace

void saveCatalogue(AppState& s) {
    if (s.work) return;
    if (s.view.shown().size() == 0) {
        showResult(s, "No tracks to save in a catalogue");
        return;
    }
    const std::string folder = s.tk.folderRequester("Save Catalogue: an empty folder, or an earlier catalogue",
                                                    s.catalogueFolder.empty() ? s.trackFolder : s.catalogueFolder);
    if (folder.empty()) return;
    s.catalogueFolder = folder;
    // Refused at once, before any picture is drawn.
    if (auto free = checkCatalogueFolder(folder); !free) {
        reportError(s, free.error());
        return;
    }
    // The job draws from a copy of the shown entries, so the table may change meanwhile.
    auto job = std::make_shared<CatalogueJob>(s.view.shown(), s.catalogue.root(), folder);
    JobApply apply{{},
                   [job](AppState& state, bool, std::size_t) { catalogueSaved(state, *job); },
                   [](std::size_t done, std::size_t total) {
                       return "Drawing the catalogue's pictures " + std::to_string(done) + " / " +
                              std::to_string(total);
                   }};
    startWork(s, jobWork(job, std::move(apply)), {ids::kMainWindow, ids::kSaveCatalogue, -1, -1, kSaveCatalogueCaption},
              false);
}

}  // namespace pitbox
