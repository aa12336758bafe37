#pragma once
#include "app/app_state.h"
#include "app/scan_tracks.h"
#include "library/changed_areas.h"

namespace pitbox {

// Load: lists every track file below `folder` into the table. A folder that
// cannot be listed leaves the table as it was and says so in status line 1.
void loadFolder(AppState& s, const std::string& folder);
// Scan: the loaded folder walked again (new tracks listed, removed ones gone,
// each keeping what was known of it), then its files read as `kind` says.
void rescanFolder(AppState& s, ScanKind kind);
// The check of the remembered library at the start: its folder walked, the
// tracks found taking the remembered fields of unchanged files, the new and
// changed ones read, all beside the event loop. Each folder's listing is
// compared with the table, and only the folders that differ are looked at
// again, unless `wholeTree` (a folder may lie at two paths of it).
void checkLibrary(AppState& s, bool wholeTree = false);
// The same check of the areas of the loaded folder its watch saw change
// alone: what changed elsewhere is not looked at.
void checkChanges(AppState& s, ChangedAreas areas);
// The Load button: asks for a folder and loads it.
void loadTracks(AppState& s);

}  // namespace pitbox
