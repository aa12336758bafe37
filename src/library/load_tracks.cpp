#include "library/load_tracks.h"

#include "app/ids.h"
#include "app/list_view.h"
#include "library/folder_scan.h"
#include "ui/pacer.h"

namespace pitbox {

void collectTracks(const std::string& root, Catalogue& catalogue,
                   const std::function<void(const TrackEntry&)>& onFound) {
    catalogue.clear();
    walkTrackFolders(root, [&](std::string_view fileName, std::string&& path) {
        TrackEntry& e = catalogue.append();
        e.name.assign(fileName.substr(0, fileName.size() - 4));
        e.path = std::move(path);
        if (onFound) onFound(e);
    });
    catalogue.sort(SortKey::Name);
}

void loadTracks(AppState& s) {
    const std::string folder = s.tk.folderRequester("Open Track Directory", s.trackFolder);
    if (folder.empty()) return;
    s.trackFolder = folder;
    ui::Pacer pacer(s.progressInterval);
    std::size_t found = 0;
    collectTracks(folder, s.catalogue, [&](const TrackEntry& e) {
        s.tk.appendRow(ids::kMainWindow, ids::kTable, foundRowText(e));
        ++found;
        if (pacer.due()) {
            s.tk.setText(ids::kMainWindow, ids::kStatusLine1, "Searching... " + tracksFoundText(found));
            s.tk.keepPainted();
        }
    });
    fillList(s);
}

}  // namespace pitbox
