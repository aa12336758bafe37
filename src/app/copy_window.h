#pragma once
#include "app/app_state.h"

namespace pitbox {

// The Copy button: the Copy Tracks window, beside which the main window stays
// live; pressed again, the open window comes to the front.
void openCopyWindow(AppState& s);
// Its Close button, close box or Escape; a copy it runs stops first.
void closeCopyWindow(AppState& s);
void copyWindowEvent(AppState& s, const ui::Event& e);
// Its "Selected" line follows the main window's selection.
void followSelection(AppState& s);

// The window's buttons.
void chooseTarget(AppState& s);
void makeNewFolder(AppState& s);
void goToParentFolder(AppState& s);
void copySelectedTracks(AppState& s);

}  // namespace pitbox
