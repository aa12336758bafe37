#pragma once
#include "app/app_state.h"

namespace pitbox {

// The captions of the button beside the filter box.
inline constexpr const char* kShowDuplicates = "Duplicates";
inline constexpr const char* kShowAllTracks = "All Tracks";

// The button beside the filter box: shows only the tracks that have a
// duplicate (the same track, identical files among them), each group together
// and marked with its kind, or every track again.
void toggleDuplicates(AppState& s);
// The button's caption as things are: Stop while it searches.
void showDuplicatesCaption(AppState& s);

}  // namespace pitbox
