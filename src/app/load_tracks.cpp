#include "app/load_tracks.h"

#include "app/find_duplicates.h"
#include "app/ids.h"
#include "app/list_view.h"
#include "base/pacer.h"
#include "library/folder_load.h"
#include "platform/paths.h"

namespace pitbox {

void loadFolder(AppState& s, const std::string& folder) {
    s.trackFolder = folder;
    Pacer pacer(s.progressInterval);
    std::size_t found = 0;
    // The table keeps its rows until the walk is done; the status line counts.
    auto loaded = collectTracks(folder, s.catalogue, [&](const TrackEntry&) {
        ++found;
        if (pacer.due()) {
            s.tk.setText(ids::kMainWindow, ids::kStatusLine1, "Searching... " + tracksFoundText(found));
            s.tk.keepPainted();
        }
    });
    if (!loaded) {
        reportError(s, loaded.error());
        return;
    }
    s.view.reset(s.catalogue);
    s.view.prepareSearch();
    s.sortColumn = static_cast<int>(SortKey::Name);
    s.sortOrder = SortOrder::Ascending;
    s.tk.setSortIndicator(ids::kMainWindow, ids::kTable, s.sortColumn, true);
    // A new library starts unfiltered, all its tracks shown.
    s.tk.setText(ids::kMainWindow, ids::kFilter, "");
    s.tk.setText(ids::kMainWindow, ids::kDuplicates, kShowDuplicates);
    fillList(s);
    // Folders that could not be read are said, so the count is not taken as complete.
    if (const auto& unread = *loaded; !unread.empty()) {
        std::string line = std::to_string(unread.size()) + (unread.size() == 1 ? " folder" : " folders") +
                           " could not be read: " + unread.front().message();
        s.tk.setText(ids::kMainWindow, ids::kStatusLine2, line);
    }
}

void loadTracks(AppState& s) {
    const std::string folder = s.tk.folderRequester("Open Track Directory", s.trackFolder);
    if (folder.empty()) return;
    loadFolder(s, platform::userPath(folder));
}

}  // namespace pitbox
