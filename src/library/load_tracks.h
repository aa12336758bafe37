#pragma once
#include <functional>

#include "app/app_state.h"

namespace pitbox {

// Builds a catalogue from a folder tree: walk, then sort by name. `root` ends in
// "/"; every path is `root` followed by the path below it.
void collectTracks(const std::string& root, Catalogue& catalogue,
                   const std::function<void(const TrackEntry&)>& onFound = {});

// The Load button: asks for a folder and lists every track file below it.
void loadTracks(AppState& s);

}  // namespace pitbox
