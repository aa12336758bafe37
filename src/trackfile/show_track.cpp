#include "trackfile/show_track.h"

#include "app/ids.h"
#include "preview/preview.h"
#include "trackfile/lap_records.h"
#include "platform/paths.h"
#include "ui/text.h"

namespace pitbox {

Result<ui::Picture> buildTrackPreview(const std::string& path, TrackBuffer& buffer, HeaderFields& header,
                                      ui::TextPainter* painter, int font) {
    if (auto loaded = loadTrackFile(path, buffer); !loaded) return loaded.error();
    if (buffer.length() > kPictureFileLimit)
        return Error{ErrorCode::TooLarge, path, "larger than 1,000,000 bytes, too large for a picture"};
    switch (readTrackHeader(buffer.bytes(), header)) {
        case HeaderStatus::OldFormat: return Error{ErrorCode::OldFormat, path, "an old-format track"};
        case HeaderStatus::Damaged: return Error{ErrorCode::Damaged, path, "damaged: its fields lie outside its bytes"};
        case HeaderStatus::Supported: break;
    }
    ui::Picture picture = preview::buildBasePicture(buffer.bytes(), header);
    if (painter) drawLapRecords(*painter, picture, font, lapRecordTexts(header, path));
    preview::drawWaterLayer(picture, buffer.bytes(), header);
    preview::drawObjectLayer(picture, buffer.bytes(), header);
    return picture;
}

void showTrack(AppState& s) {
    if (s.catalogue.count() == 0 || !s.rowChosen) return;
    const TrackEntry* entry = s.catalogue.current();
    if (!entry) return;
    s.currentTrackPath = entry->path;
    const std::string fileName(platform::filePart(s.currentTrackPath));
    if (ui::asciiLower(ui::extensionPart(fileName)) != "trk") return;

    auto picture = buildTrackPreview(s.currentTrackPath, s.trackBuffer, s.header, &s.tk, ids::kFontRecords);
    if (!picture) return;
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
