#include "app/app_state.h"

#include "app/remembered_library.h"

namespace pitbox {

// Here, where a check is a complete type.
AppState::AppState(ui::Toolkit& toolkit) : tk(toolkit) {}
AppState::~AppState() = default;

}  // namespace pitbox
