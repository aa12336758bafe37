#include "preview/track_preview.h"

#include "preview/palette.h"
#include "preview/preview.h"
#include "raster/image_files.h"
#include "raster/scaling.h"

namespace pitbox::preview {

void drawLapRecords(raster::TextPainter& painter, raster::Picture& picture, int font, const LapRecordTexts& texts) {
    painter.drawText(picture, font, 20, 530, texts.time, kRecordsColour, kTextStripColour);
    painter.drawText(picture, font, 90, 520, texts.name, kRecordsColour, kTextStripColour);
    painter.drawText(picture, font, 90, 540, texts.holder, kRecordsColour, kTextStripColour);
}

namespace {

// The picture of the track the buffer holds, read from `path`.
Result<raster::Picture> previewOfLoaded(const std::string& path, TrackBuffer& buffer, HeaderFields& header,
                                        raster::TextPainter* painter, int font) {
    if (buffer.length() > kPictureFileLimit)
        return Error{ErrorCode::TooLarge, path, "larger than 1,000,000 bytes, too large for a picture"};
    if (auto read = readTrackHeader(buffer, header); !read) return read.error();
    if (header.oldFormat) return Error{ErrorCode::OldFormat, path, "an old-format track, which has no picture"};
    raster::Picture picture = buildBasePicture(buffer.bytes(), header);
    if (painter) drawLapRecords(*painter, picture, font, lapRecordTexts(header, path));
    drawWaterLayer(picture, buffer.bytes(), header);
    drawObjectLayer(picture, buffer.bytes(), header);
    return picture;
}

}  // namespace

Result<raster::Picture> buildTrackPreview(const std::string& path, TrackBuffer& buffer, HeaderFields& header,
                                          raster::TextPainter* painter, int font) {
    if (auto loaded = loadTrackFile(path, buffer); !loaded) return loaded.error();
    return previewOfLoaded(path, buffer, header, painter, font);
}

Result<std::string> trackMapPng(const std::string& path, TrackBuffer& buffer, HeaderFields& header) {
    auto picture = buildTrackPreview(path, buffer, header, nullptr, 0);
    if (!picture) return picture.error();
    std::string png = raster::encodePng(*picture, kMapRows);
    if (png.empty()) return Error{ErrorCode::WriteFailed, path, "the picture could not be encoded"};
    return png;
}

Result<raster::Picture> trackThumbnail(const std::string& path, TrackBuffer& buffer, HeaderFields& header, int size) {
    auto picture = buildTrackPreview(path, buffer, header, nullptr, 0);
    if (!picture) return picture.error();
    return raster::scaledSquare(*picture, kMapRows, size);
}

Result<raster::Picture> trackThumbnail(const std::string& name, const ReadTrackBytes& read, TrackBuffer& buffer,
                                       HeaderFields& header, int size) {
    if (auto loaded = loadTrackBytes(name, read, buffer); !loaded) return loaded.error();
    auto picture = previewOfLoaded(name, buffer, header, nullptr, 0);
    if (!picture) return picture.error();
    return raster::scaledSquare(*picture, kMapRows, size);
}

}  // namespace pitbox::preview
