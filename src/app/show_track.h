#pragma once
#include "app/app_state.h"

namespace pitbox {

// The Show button: the current entry (the row last clicked) in the viewer window,
// until the picture is clicked or a close request comes. Nothing happens until a
// row has been clicked since the table was last filled.
void showTrack(AppState& s);

}  // namespace pitbox
