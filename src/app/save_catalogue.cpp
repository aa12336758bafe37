#include "app/save_catalogue.h"

#include "app/ids.h"
#include "app/list_view.h"
#include "app/long_work.h"
#include "library/html_catalogue.h"
#include "preview/track_preview.h"

namespace pitbox {
namespace {

class CatalogueWork : public LongWork {
public:
    // The work draws from a copy of the shown entries, so the table may
    // change meanwhile.
    CatalogueWork(Catalogue::ConstEntries shown, std::string root, std::string folder)
        : root_(std::move(root)), folder_(std::move(folder)) {
        for (const TrackEntry& e : shown) tracks_.append(e);
        setTotal(tracks_.count());
    }

    bool step() override {
        result_ = saveHtmlCatalogue(
            tracks_.entries(), root_, folder_, preview::trackMapPng, [this](std::size_t done) { setDone(done); },
            &stopFlag());
        return false;
    }
    bool take(AppState&) override { return false; }

    void finish(AppState& s, bool /*stopped*/) override {
        if (!result_) {
            reportError(s, result_.error());
            return;
        }
        showResult(s, result_->stopped ? "Stopped: no catalogue saved" : catalogueSavedText(*result_, folder_));
        s.tk.setText(ids::kMainWindow, ids::kStatusLine2, "");
    }

    std::string doing(std::size_t done, std::size_t total) const override {
        return "Drawing the catalogue's pictures " + std::to_string(done) + " / " + std::to_string(total);
    }

private:
    Catalogue tracks_;
    const std::string root_, folder_;
    // Nothing is saved until the step says so: a Stop may come before it.
    Result<CatalogueSaved> result_{CatalogueSaved{0, 0, true}};
};

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
    startWork(s, std::make_unique<CatalogueWork>(s.view.shown(), s.catalogue.root(), folder),
              {ids::kMainWindow, ids::kSaveCatalogue, -1, -1, kSaveCatalogueCaption}, false);
}

}  // namespace pitbox
