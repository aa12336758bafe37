#pragma once
#include <string>

#include "base/result.h"
#include "raster/picture.h"
#include "raster/text_painter.h"
#include "trackfile/header_reader.h"
#include "trackfile/lap_records.h"
#include "trackfile/track_buffer.h"

namespace pitbox::preview {

// The lap records are written in "Lucida Console" 12 (a monospaced face where
// that one is missing).
inline const raster::FontSpec kRecordsFont{"Lucida Console", 12, raster::FontStyle::Monospace};

// Writes the three texts of the lap records into the picture's text strip.
void drawLapRecords(raster::TextPainter& painter, raster::Picture& picture, int font, const LapRecordTexts& texts);

// Reads a track file and builds its 512 by 560 preview picture: terrain, lap
// records (when a painter is given), water and objects. No picture for a file
// that cannot be read, is larger than 1,000,000 bytes, is old-format or damaged.
Result<raster::Picture> buildTrackPreview(const std::string& path, TrackBuffer& buffer, HeaderFields& header,
                                          raster::TextPainter* painter, int font);

// The map of a track, its picture without the text strip, as PNG bytes: the
// pictures of a catalogue, whose page gives the lap records as text.
Result<std::string> trackMapPng(const std::string& path, TrackBuffer& buffer, HeaderFields& header);

// The map of a track made `size` pixels square for a file manager's
// thumbnail, never larger than its 512: a picture as trackMapPng draws it.
Result<raster::Picture> trackThumbnail(const std::string& path, TrackBuffer& buffer, HeaderFields& header, int size);
// The same of bytes that `read` gives (a stream a file manager hands over),
// `name` naming them in errors.
Result<raster::Picture> trackThumbnail(const std::string& name, const ReadTrackBytes& read, TrackBuffer& buffer,
                                       HeaderFields& header, int size);

}  // namespace pitbox::preview
