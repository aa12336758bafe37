#include "app/remembered_library.h"

#include <chrono>
#include <string_view>

#include "app/find_duplicates.h"
#include "app/ids.h"
#include "app/list_view.h"
#include "app/show_track.h"
#include "library/folder_load.h"
#include "library/header_refresh.h"
#include "library/library_store.h"
#include "platform/files.h"

namespace pitbox {
namespace {

// How long one slice of the check may read before events are taken again.
constexpr std::chrono::milliseconds kSlice{8};

void say(AppState& s, const std::string& line) { s.tk.setText(ids::kMainWindow, ids::kStatusLine2, line); }

RememberedSettings settingsOf(const AppState& s) {
    RememberedSettings r;
    if (s.folderLoaded) r.loadFolder = s.trackFolder;
    r.targetFolder = s.targetFolder;
    r.columnWidths = s.tk.columnWidths(ids::kMainWindow, ids::kTable);
    const ui::WindowPlace place = s.tk.windowPlace(ids::kMainWindow);
    r.x = place.x;
    r.y = place.y;
    r.width = place.width;
    r.height = place.height;
    r.maximised = place.maximised;
    return r;
}

}  // namespace

LibraryCheck::~LibraryCheck() {
    if (walker.joinable()) walker.join();
}

void recallLibrary(AppState& s, bool showLibrary) {
    if (s.storePath.empty()) return;
    if (s.forgetStore) {
        // Gone is forgotten; a store that cannot be removed is passed over, and replaced at the next write.
        (void)platform::removeFile(s.storePath);
        return;
    }
    auto recalled = readLibrary(s.storePath);
    if (!recalled) {
        // A store that is no file at all is left alone; any other is made anew.
        const bool leftAlone = recalled.error().code == ErrorCode::NotRegularFile;
        say(s, errorText(recalled.error()) + (leftAlone ? "; the library is not remembered" : "; it is made anew"));
    }
    if (!recalled || !*recalled) return;
    RememberedLibrary& library = **recalled;
    const RememberedSettings& r = library.settings;
    // A target removed since is not proposed again.
    if (!r.targetFolder.empty() && platform::fileStatus(r.targetFolder)) s.targetFolder = r.targetFolder;
    s.tk.setColumnWidths(ids::kMainWindow, ids::kTable, r.columnWidths);
    s.tk.placeWindow(ids::kMainWindow, {r.x, r.y, r.width, r.height, r.maximised});
    if (r.loadFolder.empty()) return;
    auto tracks = library.tracksOf(r.loadFolder, s.storePath);
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

    // The folder is walked meanwhile; the event loop takes the result.
    s.check = std::make_unique<LibraryCheck>();
    LibraryCheck& check = *s.check;
    check.walker = std::thread([&check, folder = s.trackFolder] {
        check.walk = collectTracks(folder, check.found, {}, true);
        check.walked = true;
    });
}

void checkLibraryStep(AppState& s) {
    if (!s.check || !s.check->walked) return;
    LibraryCheck& check = *s.check;
    if (check.walker.joinable()) {
        check.walker.join();
        if (!check.walk) {
            // The folder is gone or closed to us: the remembered tracks stay, said so.
            say(s, errorText(check.walk.error()));
            s.check.reset();
            return;
        }
        check.toRead = takeRememberedFields(check.found, s.catalogue);
        presentCatalogue(s, std::move(check.found), Presented::AsBefore);
        followCurrentTrack(s);
    }
    // Each file is read under the stamp the walk took before it. One that has
    // gone since the walk is not unreadable: it is gone.
    const auto until = std::chrono::steady_clock::now() + kSlice;
    while (check.read < check.toRead.size() && std::chrono::steady_clock::now() < until) {
        TrackEntry& e = *check.toRead[check.read++];
        auto read = refreshEntry(s.catalogue, e, s.trackBuffer, s.header);
        if (!read && read.error().code == ErrorCode::Missing) check.gone.insert(&e);
    }
    if (check.read < check.toRead.size()) {
        s.tk.setText(ids::kMainWindow, ids::kStatusLine1,
                     "Reading " + std::to_string(check.read) + " / " + std::to_string(check.toRead.size()) +
                         " new or changed Tracks");
        s.tk.setTableRows(ids::kMainWindow, ids::kTable, &s.rows);  // the rows read so far
        s.tk.setTableSelection(ids::kMainWindow, ids::kTable, {s.view.selectedRows(), s.view.currentRow()});
        return;
    }
    const bool changed = !check.toRead.empty();
    if (!check.gone.empty()) {
        Catalogue kept;
        for (const TrackEntry& e : s.catalogue.entries())
            if (!check.gone.count(&e)) kept.append(e);
        presentCatalogue(s, std::move(kept), Presented::AsBefore);
    }
    s.check.reset();
    if (!changed) return;
    s.view.refresh();
    s.view.prepareSearch();
    fillList(s);
    followCurrentTrack(s, true);
    rememberLibrary(s);
}

void stopLibraryCheck(AppState& s) { s.check.reset(); }

void rememberLibrary(AppState& s) {
    if (s.storePath.empty()) return;
    const std::string folder = s.folderLoaded ? s.trackFolder : std::string();
    if (auto written = rememberTracks(s.storePath, settingsOf(s), folder, s.catalogue); !written)
        say(s, errorText(written.error()) + "; the library is not remembered");
}

}  // namespace pitbox
