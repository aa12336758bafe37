#include "library/load_tracks.h"

#include "app/ids.h"
#include "app/list_view.h"
#include "library/folder_scan.h"
#include "ui/pacer.h"

namespace pitbox {

Result<void> collectTracks(const std::string& root, Catalogue& catalogue,
                           const std::function<void(const TrackEntry&)>& onFound) {
    Catalogue found;
    auto walked = walkTrackFolders(root, [&](std::string_view fileName, std::string&& path) {
        TrackEntry& e = found.append();
        e.name.assign(fileName.substr(0, fileName.size() - 4));
        e.path = std::move(path);
        if (onFound) onFound(e);
    });
    if (!walked) return walked;
    found.sort(SortKey::Name);
    catalogue = std::move(found);
    return {};
}

void loadFolder(AppState& s, const std::string& folder) {
    s.trackFolder = folder;
    ui::Pacer pacer(s.progressInterval);
    std::size_t found = 0;
    auto loaded = collectTracks(folder, s.catalogue, [&](const TrackEntry& e) {
        s.tk.appendRow(ids::kMainWindow, ids::kTable, foundRowText(e));
        ++found;
        if (pacer.due()) {
            s.tk.setText(ids::kMainWindow, ids::kStatusLine1, "Searching... " + tracksFoundText(found));
            s.tk.keepPainted();
        }
    });
    if (!loaded) {
        s.tk.setText(ids::kMainWindow, ids::kStatusLine1, "Error: " + loaded.error().message());
        return;
    }
    fillList(s);
}

void loadTracks(AppState& s) {
    const std::string folder = s.tk.folderRequester("Open Track Directory", s.trackFolder);
    if (folder.empty()) return;
    loadFolder(s, folder);
}

}  // namespace pitbox
