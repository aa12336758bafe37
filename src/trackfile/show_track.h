#pragma once
#include <string>

#include "app/app_state.h"

namespace pitbox {

// Reads a track file and builds its 512 by 560 preview picture: terrain, lap
// records (when a painter is given), water and objects. No picture for a file that
// cannot be read, is larger than 1,000,000 bytes, is old-format or damaged.
Result<ui::Picture> buildTrackPreview(const std::string& path, TrackBuffer& buffer, HeaderFields& header,
                                      ui::TextPainter* painter, int font);

// The Show button: the current entry (the row last clicked) in the viewer window,
// until the picture is clicked or a close request comes. Nothing happens until a
// row has been clicked since the table was last filled.
void showTrack(AppState& s);

}  // namespace pitbox
