#pragma once
#include "app/app_state.h"

namespace pitbox {

// The captions of the buttons beside the filter box.
inline constexpr const char* kShowDuplicates = "Duplicates";
inline constexpr const char* kShowAllTracks = "All Tracks";
inline constexpr const char* kSelectExtrasCaption = "Select extras";

// The button beside the filter box: shows only the tracks that have a
// duplicate (the same track, identical files among them), each group together
// and marked with its kind, or every track again.
void toggleDuplicates(AppState& s);
// The button's caption as things are: Stop while it searches; Select extras
// works only in the Duplicates view.
void showDuplicatesCaption(AppState& s);
// Select extras: in each group shown, every track but the one to keep (the
// most recently modified, of those equally recent the first path), so that
// Copy acts on them.
void selectExtras(AppState& s);

}  // namespace pitbox
