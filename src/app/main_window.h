#pragma once
#include <string>
#include <vector>

#include "app/app_state.h"

namespace pitbox {

// Start-up: pictures, fonts, folders, then the main window with its gadgets.
// With a start folder (absolute, or relative to the working folder), that folder
// is then loaded as if chosen in Load; with tracks (the same), the remembered
// library is shown and the tracks as a file manager's double click asks.
void startUp(AppState& s, const std::string& workingFolder, const std::string& startFolder = {},
             const std::vector<std::string>& tracks = {});
// Runs the main event loop until the main window's close request; returns the
// process exit code.
int runMainLoop(AppState& s);
// The next event for the main loop; while the remembered library is checked,
// its slices run between events.
ui::Event nextEvent(AppState& s);
// Hands one event of the main loop to its action.
void dispatchMainEvent(AppState& s, const ui::Event& e);

}  // namespace pitbox
