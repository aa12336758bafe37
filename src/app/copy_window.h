#pragma once
#include "app/app_state.h"

namespace pitbox {

// The Copy button: the Copy Tracks window with its own event loop, until it is
// closed by its Close button or by a close request of either window.
void openCopyWindow(AppState& s);

// The window's buttons.
void chooseTarget(AppState& s);
void makeNewFolder(AppState& s);
void goToParentFolder(AppState& s);
void copySelectedTracks(AppState& s);

}  // namespace pitbox
