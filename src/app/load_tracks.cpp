#include "app/load_tracks.h"

#include "app/find_duplicates.h"
#include "app/ids.h"
#include "app/list_view.h"
#include "app/remembered_library.h"
#include "base/pacer.h"
#include "library/folder_load.h"
#include "library/library_store.h"
#include "platform/paths.h"

namespace pitbox {

namespace {

// Gives the tracks of a Load the fields remembered for them: those shown, when
// the folder is loaded again, else those the store holds for it.
void takeRemembered(AppState& s, const std::string& folder, bool sameFolder, Catalogue& found) {
    if (sameFolder) {
        (void)takeRememberedFields(found, s.catalogue);
        return;
    }
    auto recalled = readLibrary(s.storePath);
    if (!recalled || !*recalled) return;  // said at the start; made anew at the next write
    if (auto tracks = (*recalled)->tracksOf(folder, s.storePath)) (void)takeRememberedFields(found, *tracks);
}

}  // namespace

void loadFolder(AppState& s, const std::string& folder) {
    stopLibraryCheck(s);
    const bool sameFolder = s.folderLoaded && folder == s.trackFolder;
    s.trackFolder = folder;
    Pacer pacer(s.progressInterval);
    std::size_t count = 0;
    Catalogue found;
    // The table keeps its rows until the walk is done; the status line counts.
    // Remembering, each file's size and time are taken after the walk, and
    // unchanged files keep the fields remembered for them.
    const bool remembering = !s.storePath.empty();
    auto loaded = collectTracks(
        folder, found,
        [&](const TrackEntry&) {
            ++count;
            if (pacer.due()) {
                s.tk.setText(ids::kMainWindow, ids::kStatusLine1, "Searching... " + tracksFoundText(count));
                s.tk.keepPainted();
            }
        },
        remembering);
    if (!loaded) {
        reportError(s, loaded.error());
        return;
    }
    if (remembering) takeRemembered(s, folder, sameFolder, found);
    s.folderLoaded = true;
    presentCatalogue(s, std::move(found), Presented::AsNew);
    // Folders that could not be read are said, so the count is not taken as complete.
    if (!loaded->empty()) s.tk.setText(ids::kMainWindow, ids::kStatusLine2, unreadText(*loaded, "folder", "folders"));
    rememberLibrary(s);
}

void loadTracks(AppState& s) {
    const std::string folder = s.tk.folderRequester("Open Track Directory", s.trackFolder);
    if (folder.empty()) return;
    loadFolder(s, platform::userPath(folder));
}

}  // namespace pitbox
