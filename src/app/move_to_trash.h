#pragma once
#include "app/app_state.h"

namespace pitbox {

inline constexpr const char* kMoveToTrashCaption = "Move to Trash";

// Move to Trash and the Delete key in the table: after a question naming how
// many and where they go, the selected tracks are moved to the trash, beside
// the event loop. The table drops those moved; those that stayed are counted
// and the first named.
void moveSelectionToTrash(AppState& s);

}  // namespace pitbox
