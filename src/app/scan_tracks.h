#pragma once
#include "app/app_state.h"

namespace pitbox {

// The Scan button: refreshes every entry in table order, then refills the table.
// A file that cannot be read shows empty fields.
void refreshHeaders(AppState& s);

}  // namespace pitbox
