#pragma once
#include "app/app_state.h"

namespace pitbox {

// The Scan button: reads every entry's file in table order, then refills the
// table. A file read before whose size and time are unchanged is not read
// again, unless `always` (Shift held). A file that cannot be read shows why.
void refreshHeaders(AppState& s, bool always = false);

}  // namespace pitbox
