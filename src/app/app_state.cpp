#include "app/app_state.h"

#include "app/library_watch.h"
#include "app/long_work.h"
#include "app/remembered_library.h"

namespace pitbox {

// Here, where a check, a work and a watch are complete types.
AppState::AppState(ui::Toolkit& toolkit) : tk(toolkit) {}
AppState::~AppState() = default;

}  // namespace pitbox
