#include "app/show_track.h"

#include "app/ids.h"
#include "app/list_view.h"
#include "base/text.h"
#include "platform/paths.h"
#include "preview/track_preview.h"

namespace pitbox {

void showTrack(AppState& s) {
    const TrackEntry* entry = s.view.current();
    if (!entry) return;
    s.currentTrackPath = entry->path;
    const std::string fileName(platform::filePart(s.currentTrackPath));
    if (asciiLower(extensionPart(fileName)) != "trk") return;

    auto picture = preview::buildTrackPreview(s.currentTrackPath, s.trackBuffer, s.header, &s.tk, ids::kFontRecords);
    if (!picture) {
        // Why there is no picture goes under the track's name, old formats too.
        s.tk.setText(ids::kMainWindow, ids::kStatusLine2, errorText(picture.error()));
        return;
    }
    s.tk.setPicture(ids::kPreviewPicture, std::move(*picture));

    ui::WindowSpec viewer;
    viewer.number = ids::kSecondWindow;
    viewer.title = fileName;
    viewer.x = 320;
    viewer.y = 100;
    viewer.clientWidth = 532;
    viewer.clientHeight = 580;
    viewer.owner = ids::kMainWindow;
    s.tk.openWindow(viewer);
    s.tk.addImage(ids::kSecondWindow, ids::kViewerImage, {10, 10, 512, 560}, ids::kPreviewPicture);
    for (;;) {
        const ui::Event e = s.tk.waitEvent();
        if (e.kind == ui::EventKind::CloseRequest || e.isGadget(ids::kSecondWindow, ids::kViewerImage)) break;
    }
    s.tk.closeWindow(ids::kSecondWindow);
}

}  // namespace pitbox
