#include "app/show_track.h"

#include <string_view>

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

// Builds the current track's picture. Without one, status line 2 says why and
// the open viewer shows the reason instead of the track it showed before.
bool presentCurrentTrack(AppState& s) {
    const TrackEntry* entry = s.view.current();
    const bool open = s.tk.isWindowOpen(kViewer);
    s.viewerTrack = entry ? std::string(entry->path) : std::string();
    if (!entry) {
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

}  // namespace

void showTrack(AppState& s) {
    if (!s.view.current()) return;
    if (!presentCurrentTrack(s)) return;
    if (s.tk.isWindowOpen(kViewer))
        s.tk.raiseWindow(kViewer);  // wherever it went behind
    else
        openViewer(s, std::string(platform::filePart(s.currentTrackPath)));
}

void followCurrentTrack(AppState& s, bool reread) {
    if (!s.tk.isWindowOpen(kViewer)) return;
    const TrackEntry* entry = s.view.current();
    if (!reread && (entry ? entry->path.view() : std::string_view()) == s.viewerTrack) return;
    (void)presentCurrentTrack(s);
}

void closeViewer(AppState& s) {
    if (!s.tk.isWindowOpen(kViewer)) return;
    const ui::WindowPlace place = s.tk.windowPlace(kViewer);
    if (place.x != s.viewerOpenedAt.x || place.y != s.viewerOpenedAt.y) s.viewerPlace = place;
    s.tk.closeWindow(kViewer);
    s.viewerTrack.clear();
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
