#pragma once
#include <string>

#include "base/result.h"
#include "library/catalogue.h"
#include "library/list_export.h"

namespace pitbox {

// Save List: the tracks in the format asked, as one file that replaces
// `path` whole or is not written at all.
Result<void> saveListJob(Catalogue::ConstEntries tracks, ListFormat format, const std::string& path,
                         const GroupOf& groupOf = {});

}  // namespace pitbox
