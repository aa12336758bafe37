#pragma once
#include <optional>
#include <string>

#include "app/app_state.h"

namespace pitbox {

// Reads a track file and builds its 512 by 560 preview picture: terrain, lap
// records (when a painter is given), water and objects. No picture for a file that
// cannot be read, is too large, is old-format or damaged; the reason is returned.
struct PreviewResult {
    std::optional<ui::Picture> picture;
    std::string error;
};
PreviewResult buildTrackPreview(const std::string& path, TrackBuffer& buffer, HeaderFields& header,
                                ui::TextPainter* painter, int font);

// The Show button: the track of the row last clicked, in the viewer window, until
// the picture is clicked or a close request comes.
void showTrack(AppState& s);

}  // namespace pitbox
