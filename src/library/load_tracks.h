#pragma once
#include <functional>

#include "app/app_state.h"

namespace pitbox {

// Builds a catalogue from a folder tree: walk, then sort by name. `root` ends in
// the separator; every path is `root` followed by the path below it. Fails, with
// the catalogue left as it was, when `root` cannot be listed.
Result<void> collectTracks(const std::string& root, Catalogue& catalogue,
                           const std::function<void(const TrackEntry&)>& onFound = {});

// Load: lists every track file below `folder` into the table. A folder that
// cannot be listed leaves the table as it was and says so in status line 1.
void loadFolder(AppState& s, const std::string& folder);
// The Load button: asks for a folder and loads it.
void loadTracks(AppState& s);

}  // namespace pitbox
