#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace pitbox {

struct CopyItem {
    std::string source;
    std::string target;
    // Keeping folders: the target folder, which must exist, below which the
    // folders on the target's way are made as needed (empty: none are made, as
    // a missing target may be a drive that is not there).
    std::string madeBelow{};
};

// A file name without its ".trk": all but its last four characters; a shorter
// name loses only a ".trk" it consists of. Numbered names are made from it.
std::string trackStem(std::string_view name);

// Pairs each source with a target in `targetFolder` (ending in "/"). Of a group of
// sources whose file names are equal (ignoring letter case) the first keeps its
// name, the later ones become name_1.trk, name_2.trk ... in the given order.
// Targets that would still coincide (a selected Ring_1.trk beside two Ring.trk)
// are numbered on to the first free number, so every target is distinct; targets
// that were already distinct are kept as they are.
std::vector<CopyItem> planCopies(const std::vector<std::string>& sources, const std::string& targetFolder);

// Keeping folders: each source lands below `targetFolder` at its path below
// `root` (both ending in the separator), clashing names numbered within their
// own folder as planCopies numbers them. A source not below `root` is refused.
struct KeptFoldersPlan {
    std::vector<CopyItem> items;  // in the order of the sources
    std::vector<Error> refused;
};
KeptFoldersPlan planCopiesKeepingFolders(const std::vector<std::string>& sources, const std::string& root,
                                         const std::string& targetFolder);

}  // namespace pitbox
