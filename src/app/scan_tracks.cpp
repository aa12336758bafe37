#include "app/scan_tracks.h"

#include "app/ids.h"
#include "app/list_view.h"
#include "app/remembered_library.h"
#include "base/pacer.h"
#include "library/header_refresh.h"

namespace pitbox {

void refreshHeaders(AppState& s, bool always) {
    stopLibraryCheck(s);
    s.tk.setEnabled(ids::kMainWindow, ids::kScan, false);
    s.listName = "tracks";
    const std::size_t total = s.catalogue.count();
    std::size_t done = 0;
    Pacer pacer(s.progressInterval);
    const auto stamps = currentStamps(s.catalogue.entries());
    for (TrackEntry& e : s.catalogue.entries()) {
        s.currentTrackPath = e.path;
        (void)refreshIfChanged(s.catalogue, e, stamps[done], s.trackBuffer, s.header, always);
        ++done;
        if (pacer.due()) {
            s.tk.setText(ids::kMainWindow, ids::kStatusLine1,
                         "Reading " + std::to_string(done) + " / " + std::to_string(total));
            s.tk.keepPainted();
        }
    }
    s.view.refresh();
    s.view.prepareSearch();
    fillList(s);
    s.tk.setEnabled(ids::kMainWindow, ids::kScan, true);
    rememberLibrary(s);
}

}  // namespace pitbox
