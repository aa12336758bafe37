#pragma once
#include "app/app_state.h"

namespace pitbox {

// The Save List button: asks for a file name and writes the table as text; in
// the Duplicates view with tracks selected, those tracks.
void saveList(AppState& s);

}  // namespace pitbox
