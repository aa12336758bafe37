#pragma once
#include "app/app_state.h"

namespace pitbox {

// The Save List button: asks for a file name and writes the table as text, or
// as CSV when that type is chosen; in the Duplicates view with tracks
// selected, those tracks.
void saveList(AppState& s);

}  // namespace pitbox
