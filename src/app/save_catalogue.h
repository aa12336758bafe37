#pragma once
#include "app/app_state.h"

namespace pitbox {

inline constexpr const char* kSaveCatalogueCaption = "Save Catalogue";

// Save Catalogue: asks for a folder (an empty one, or an earlier catalogue)
// and saves there, beside the event loop, an HTML catalogue of the tracks the
// table shows, in its order, with a picture of each.
void saveCatalogue(AppState& s);

}  // namespace pitbox
