#pragma once
#include <iosfwd>
#include <string>

#include "base/result.h"
#include "library/catalogue.h"

namespace pitbox::cli {

// How list and catalogue find the tracks' fields.
struct Gathering {
    bool scan = false, cache = false, rescan = false, forget = false;
};

// Lists the tracks below `folder` and reads their fields as asked. Folders and
// files that cannot be read are left out or keep empty fields, as in the
// window; each is named on `err`, and the exit code so far tells. A damaged
// track was read: its empty fields are its content, as an old track's label
// is. Fails only when the folder itself cannot be listed.
Result<int> gatherTracks(const std::string& folder, Catalogue& catalogue, const Gathering& how, std::ostream& err);

}  // namespace pitbox::cli
