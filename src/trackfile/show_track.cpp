#include "trackfile/show_track.h"

#include "app/ids.h"
#include "preview/preview.h"
#include "trackfile/lap_records.h"
#include "ui/text.h"

namespace pitbox {

PreviewResult buildTrackPreview(const std::string& path, TrackBuffer& buffer, HeaderFields& header,
                                ui::TextPainter* painter, int font) {
    const LoadResult loaded = loadTrackFile(path, buffer);
    if (loaded != LoadResult::Ok) return {std::nullopt, path + " " + describe(loaded)};
    switch (readTrackHeader(buffer.bytes(), header)) {
        case HeaderStatus::OldFormat: return {std::nullopt, path + " is an old-format track"};
        case HeaderStatus::Damaged: return {std::nullopt, path + " is damaged"};
        case HeaderStatus::Supported: break;
    }
    ui::Picture picture = preview::buildBasePicture(buffer.bytes(), header);
    if (painter) drawLapRecords(*painter, picture, font, lapRecordTexts(header, path));
    preview::drawWaterLayer(picture, buffer.bytes(), header);
    preview::drawObjectLayer(picture, buffer.bytes(), header);
    return {std::move(picture), {}};
}

void showTrack(AppState& s) {
    if (s.catalogue.count() == 0) return;
    // Status line 2 holds the path of the row last clicked (one blank after every
    // refill); the cursor of the catalogue may have moved since, the click counts.
    const std::string clicked = s.tk.text(ids::kMainWindow, ids::kStatusLine2);
    if (ui::utf8Length(clicked) < 5) return;
    const TrackEntry* entry = s.catalogue.current();
    if (!entry || entry->path != clicked) return;
    s.currentTrackPath = entry->path;
    const std::string fileName(ui::filePart(s.currentTrackPath));
    if (ui::asciiLower(ui::extensionPart(fileName)) != "trk") return;

    PreviewResult result = buildTrackPreview(s.currentTrackPath, s.trackBuffer, s.header, &s.tk, ids::kFontRecords);
    if (!result.picture) return;
    s.tk.setPicture(ids::kPreviewPicture, std::move(*result.picture));

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
