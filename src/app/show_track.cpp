#include "app/show_track.h"

#include <string_view>
#include <vector>

#include "app/ids.h"
#include "app/list_view.h"
#include "base/text.h"
#include "platform/paths.h"
#include "preview/track_preview.h"

namespace pitbox {
namespace {

constexpr int kViewer = ids::kViewerWindow;
constexpr int kPictureWidth = 512;
constexpr int kPictureHeight = 560;

// In place of a picture: the reason, in short lines on a plain ground.
raster::Picture emptyPicture(AppState& s, std::string_view reason) {
    const raster::Colour ground = raster::rgb(64, 64, 64);
    raster::Picture picture(kPictureWidth, kPictureHeight, ground);
    constexpr std::size_t kLineLength = 56;  // characters of "Arial" 12 that fit with margins
    int y = kPictureHeight / 2 - 20;
    while (!reason.empty()) {
        std::size_t cut = reason.size();
        if (cut > kLineLength) {
            cut = reason.rfind(' ', kLineLength);
            if (cut == std::string_view::npos || cut == 0) cut = kLineLength;
        }
        s.tk.drawText(picture, ids::kFontTexts, 20, y, std::string(reason.substr(0, cut)), raster::rgb(255, 255, 255),
                      ground);
        reason.remove_prefix(cut);
        while (!reason.empty() && reason.front() == ' ') reason.remove_prefix(1);
        y += 20;
    }
    return picture;
}

void openViewer(AppState& s, const std::string& title) {
    ui::WindowSpec viewer;
    viewer.number = kViewer;
    viewer.title = title;
    viewer.clientWidth = kPictureWidth + 20;
    viewer.clientHeight = kPictureHeight + 20;
    viewer.owner = ids::kMainWindow;
    viewer.takesDrops = true;  // a track dropped on it is shown
    // Beside the main window, hiding none of the table it follows, where the
    // screen has room; where the user put it before, if they did. It opens
    // there, rather than being moved once open: a window manager that has not
    // framed it yet would take the move for its client's.
    viewer.besideOwner = !s.viewerPlace;
    if (s.viewerPlace) {
        viewer.x = s.viewerPlace->x;
        viewer.y = s.viewerPlace->y;
    }
    viewer.reportsKeys = true;
    s.tk.openWindow(viewer);
    s.viewerOpenedAt = s.tk.windowPlace(kViewer);
    s.tk.addImage(kViewer, ids::kViewerImage, {10, 10, kPictureWidth, kPictureHeight}, ids::kPreviewPicture);
    // A viewer made smaller to fit a scaled screen shows the picture at the
    // whole-number scale it still has room for.
    s.tk.setAnchor(kViewer, ids::kViewerImage, ui::kGrowWidth | ui::kGrowHeight);
}

// Builds the picture of the track at `path` (none: no track is chosen).
// Without one, status line 2 says why and the open viewer shows the reason
// instead of the track it showed before.
bool presentTrack(AppState& s, const std::string* path) {
    const bool open = s.tk.isWindowOpen(kViewer);
    s.viewerTrack = path ? *path : std::string();
    if (!path) {
        if (open) {
            s.tk.setTitle(kViewer, "Kestrun Pitbox");
            s.tk.setPicture(ids::kPreviewPicture, emptyPicture(s, "No track is chosen."));
        }
        return false;
    }
    s.currentTrackPath = s.viewerTrack;
    const std::string fileName(platform::filePart(s.currentTrackPath));
    if (open) s.tk.setTitle(kViewer, visibleControls(fileName));
    if (asciiLower(extensionPart(fileName)) != "trk") {
        if (open) s.tk.setPicture(ids::kPreviewPicture, emptyPicture(s, "not a track file"));
        return false;
    }
    auto picture = preview::buildTrackPreview(s.currentTrackPath, s.trackBuffer, s.header, &s.tk, ids::kFontRecords);
    if (!picture) {
        s.tk.setText(ids::kMainWindow, ids::kStatusLine2, errorText(picture.error()));
        if (open) s.tk.setPicture(ids::kPreviewPicture, emptyPicture(s, picture.error().reason));
        return false;
    }
    s.tk.setPicture(ids::kPreviewPicture, std::move(*picture));
    return true;
}

bool presentCurrentTrack(AppState& s) {
    const TrackEntry* entry = s.view.current();
    const std::string path = entry ? entry->path() : std::string();
    return presentTrack(s, entry ? &path : nullptr);
}

// The viewer, opened or brought up, showing what was presented last.
void raiseViewer(AppState& s) {
    if (s.tk.isWindowOpen(kViewer))
        s.tk.raiseWindow(kViewer);  // wherever it went behind
    else
        openViewer(s, std::string(platform::filePart(s.currentTrackPath)));
}

}  // namespace

void showTrack(AppState& s) {
    if (!s.view.current()) return;
    s.currentWhenGivenShown.reset();
    if (!presentCurrentTrack(s)) return;
    raiseViewer(s);
}

void showGivenTracks(AppState& s, const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    // Those the library holds become the selection, the first given current
    // where the table shows it.
    const TrackEntry* first = nullptr;
    s.view.clearSelection();
    for (const std::string& path : paths)
        for (const TrackEntry& e : s.catalogue.entries()) {
            if (!e.hasPath(path)) continue;
            if (const std::size_t row = s.view.rowOf(e); row != CatalogueView::npos) {
                s.view.setRowsSelected(row, row, true);
                if (!first && path == paths.front()) first = &e;
            }
            break;
        }
    if (first) s.view.makeCurrent(*first);
    showTableRows(s);
    // The status lines name it, as after a click on its row; the counter
    // follows the selection either way.
    if (first)
        showCurrentEntry(s);
    else
        showListStatus(s);
    // The first is shown whatever becomes of it: a file that is no track, or
    // cannot be read, is shown with the reason, as Show shows it.
    (void)presentTrack(s, &paths.front());
    raiseViewer(s);
    s.currentWhenGivenShown.reset();
    if (!first) {
        // Its folder is not loaded for it (a Downloads folder may be huge), but
        // Load opens there; the viewer keeps it until another track is current.
        s.view.dropCurrentUnselected();
        const TrackEntry* current = s.view.current();
        s.currentWhenGivenShown = current ? current->path() : std::string();
        s.folderOfShownTrack = std::string(platform::pathPart(paths.front()));
        s.tk.setText(ids::kMainWindow, ids::kStatusLine2,
                     visibleControls(paths.front()) + " is not in the library; Load opens its folder");
    }
}

void followCurrentTrack(AppState& s, bool reread) {
    if (!s.tk.isWindowOpen(kViewer)) return;
    const TrackEntry* entry = s.view.current();
    if (s.currentWhenGivenShown) {
        if (entry ? entry->hasPath(*s.currentWhenGivenShown) : s.currentWhenGivenShown->empty()) return;
        s.currentWhenGivenShown.reset();
    }
    if (!reread && (entry ? entry->hasPath(s.viewerTrack) : s.viewerTrack.empty())) return;
    (void)presentCurrentTrack(s);
}

void closeViewer(AppState& s) {
    if (!s.tk.isWindowOpen(kViewer)) return;
    const ui::WindowPlace place = s.tk.windowPlace(kViewer);
    if (place.x != s.viewerOpenedAt.x || place.y != s.viewerOpenedAt.y) s.viewerPlace = place;
    s.tk.closeWindow(kViewer);
    s.viewerTrack.clear();
    s.currentWhenGivenShown.reset();
    s.tk.setFocus(ids::kMainWindow, ids::kTable);
}

void viewerEvent(AppState& s, const ui::Event& e) {
    if (e.window != kViewer) return;
    if (e.kind == ui::EventKind::CloseRequest || e.isGadget(kViewer, ids::kViewerImage)) {
        closeViewer(s);
        return;
    }
    if (e.kind != ui::EventKind::Key) return;
    switch (e.key) {
        case ui::Key::Down:
        case ui::Key::Right:
        case ui::Key::PageDown: moveCurrent(s, 1); break;
        case ui::Key::Up:
        case ui::Key::Left:
        case ui::Key::PageUp: moveCurrent(s, -1); break;
        case ui::Key::None:
        case ui::Key::Escape:  // the viewer closes on its close request
        case ui::Key::Delete: break;
    }
    followCurrentTrack(s);
}

}  // namespace pitbox
