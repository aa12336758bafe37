#include "app/remembered_library.h"

#include <string_view>

#include "app/ids.h"
#include "app/library_watch.h"
#include "app/list_view.h"
#include "app/load_tracks.h"
#include "library/library_store.h"
#include "library/settings_file.h"
#include "library/track_columns.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace pitbox {
namespace {

void say(AppState& s, const std::string& line) { s.tk.setText(ids::kMainWindow, ids::kStatusLine2, line); }

RememberedSettings settingsOf(const AppState& s) {
    RememberedSettings r;
    if (s.folderLoaded) r.loadFolder = s.trackFolder;
    r.targetFolder = s.targetFolder;
    r.keepFolders = s.keepFolders;
    r.skipAlreadyThere = s.skipAlreadyThere;
    r.columnWidths = s.tk.columnWidths(ids::kMainWindow, ids::kTable);
    const ui::WindowPlace place = s.tk.windowPlace(ids::kMainWindow);
    r.x = place.x;
    r.y = place.y;
    r.width = place.width;
    r.height = place.height;
    r.maximised = place.maximised;
    r.sortColumn = s.sortColumn;
    r.sortDescending = s.sortOrder == SortOrder::Descending;
    if (s.view.current()) r.currentTrack = s.view.current()->path();
    if (s.viewerPlace) {
        r.viewerMoved = true;
        r.viewerX = s.viewerPlace->x;
        r.viewerY = s.viewerPlace->y;
    }
    return r;
}

}  // namespace

void recallLibrary(AppState& s, bool showLibrary) {
    if (s.storePath.empty()) return;
    const std::string settingsPath = settingsPathBeside(s.storePath);
    if (s.forgetStore) {
        // Gone is forgotten; a store that cannot be removed is passed over, and replaced at the next write.
        (void)platform::removeFile(s.storePath);
        (void)platform::removeFile(settingsPath);
        return;
    }
    auto recalled = readLibrary(s.storePath);
    if (!recalled) {
        // A store that is no file at all is left alone; any other is made anew.
        const bool leftAlone = recalled.error().code == ErrorCode::NotRegularFile;
        say(s, errorText(recalled.error()) + (leftAlone ? "; the library is not remembered" : "; it is made anew"));
    }
    // The settings from their file; before there was one, from the store.
    RememberedSettings r;
    auto file = readSettings(settingsPath);
    if (!file) {
        say(s, errorText(file.error()) + "; the settings are not remembered");
    } else if (*file) {
        r = std::move((*file)->settings);
        // A value that cannot be read is passed over, and said once.
        if (const auto& bad = (*file)->complaints; !bad.empty())
            say(s, std::string(platform::filePart(settingsPath)) + ", " + bad.front() +
                       (bad.size() > 1 ? " (and " + std::to_string(bad.size() - 1) + " more)" : ""));
    } else if (recalled && *recalled && (*recalled)->oldSettings) {
        r = *(*recalled)->oldSettings;
    }
    // A target removed since is not proposed again.
    if (!r.targetFolder.empty() && platform::fileStatus(r.targetFolder)) s.targetFolder = r.targetFolder;
    s.keepFolders = r.keepFolders;
    s.skipAlreadyThere = r.skipAlreadyThere;
    s.tk.setColumnWidths(ids::kMainWindow, ids::kTable, r.columnWidths);
    s.tk.placeWindow(ids::kMainWindow, {r.x, r.y, r.width, r.height, r.maximised});
    if (r.viewerMoved) s.viewerPlace = ui::WindowPlace{r.viewerX, r.viewerY, 0, 0, false};
    if (!recalled || !*recalled) return;
    RememberedLibrary& library = **recalled;
    if (r.loadFolder.empty()) return;
    auto tracks = library.tracksOf(r.loadFolder, s.storePath);
    // The tracks hold copies of what they need: the store's bytes go before the table is made.
    library = {};
    if (!tracks) {
        say(s, errorText(tracks.error()) + "; it is made anew");
        return;
    }
    s.trackFolder = r.loadFolder;
    s.folderLoaded = true;
    if (!showLibrary) {
        s.catalogue = std::move(*tracks);
        return;
    }
    presentCatalogue(s, std::move(*tracks), Presented::AsNew);
    // The table as it was left: its sort and its current track.
    if (r.sortColumn >= 0 && static_cast<std::size_t>(r.sortColumn) < kTrackColumns.size())
        sortList(s, kTrackColumns[static_cast<std::size_t>(r.sortColumn)].key,
                 r.sortDescending ? SortOrder::Descending : SortOrder::Ascending);
    makeCurrent(s, r.currentTrack);
    checkLibrary(s);
    watchLibrary(s);
}

namespace {

// The settings first: an old store's are moved to their file only when there is none.
Result<void> remember(AppState& s, const RememberedSettings& settings) {
    if (auto written = writeSettings(settingsPathBeside(s.storePath), settings); !written) return written.error();
    const std::string folder = s.folderLoaded ? s.trackFolder : std::string();
    // A folder that is not there is remembered with the tracks it had.
    const Catalogue& tracks = s.absentTracks ? *s.absentTracks : s.catalogue;
    return rememberTracks(s.storePath, folder, tracks);
}

}  // namespace

void rememberLibrary(AppState& s) {
    if (s.storePath.empty()) return;
    if (auto written = remember(s, settingsOf(s)); !written)
        say(s, errorText(written.error()) + "; the library is not remembered");
}

void closeAndRemember(AppState& s) {
    const RememberedSettings settings = settingsOf(s);
    s.tk.closeWindow(ids::kCopyWindow);
    s.tk.closeWindow(ids::kMainWindow);
    // Nothing is left to say it in: a store that cannot be written costs the memory.
    if (!s.storePath.empty()) (void)remember(s, settings);
}

}  // namespace pitbox
