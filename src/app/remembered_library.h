#pragma once
#include "app/app_state.h"

namespace pitbox {

// At start-up, with the main window open: gives back the remembered settings
// and, when `showLibrary`, the remembered tracks, and starts their check. A
// store that is damaged, of another version or unreadable is said in status
// line 2 and made anew.
void recallLibrary(AppState& s, bool showLibrary);
// Writes the store: settings and tracks. A store that cannot be written is said
// in status line 2; the program goes on without it.
void rememberLibrary(AppState& s);
// At the end: the windows' places taken, the windows closed (so the program is
// out of sight at once), then the store written.
void closeAndRemember(AppState& s);

}  // namespace pitbox
