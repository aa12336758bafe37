#pragma once
#include <string>
#include <vector>

#include "app/app_state.h"
#include "toolkit/toolkit.h"

namespace pitbox {

// The Show button: the current entry (the row last clicked) in the viewer
// window, which opens centred over the main window and stays open beside it.
// A track without a picture opens nothing and says why in status line 2.
void showTrack(AppState& s);
// The tracks a user opened from outside (a file manager's double click, the
// command line), as absolute paths: the first shown in the viewer at once;
// those the library holds selected. A first track outside the library is
// shown without loading its folder, and Load then proposes that folder.
void showGivenTracks(AppState& s, const std::vector<std::string>& paths);

// While the viewer is open its picture follows the current track: after a
// click, a key, a sort, the filter. `reread` draws it again even when the
// current track stayed (after Scan and Load, which may have seen it change).
void followCurrentTrack(AppState& s, bool reread = false);

// The viewer's own events: the arrows and Page Up/Down move the current track
// to the next or previous shown row, the table following; a click on the
// picture, Escape and the close box close it.
void viewerEvent(AppState& s, const ui::Event& e);
void closeViewer(AppState& s);

}  // namespace pitbox
