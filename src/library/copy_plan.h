#pragma once
#include <string>
#include <vector>

namespace pitbox {

struct CopyItem {
    std::string source;
    std::string target;
};

// Pairs each source with a target in `targetFolder` (ending in "/"). Of a group of
// sources whose file names are equal (ignoring letter case) the first keeps its
// name, the later ones become name_1.trk, name_2.trk ... in the given order.
// Targets that would still coincide (a selected Ring_1.trk beside two Ring.trk)
// are numbered on to the first free number, so every target is distinct; targets
// that were already distinct are kept as they are.
std::vector<CopyItem> planCopies(const std::vector<std::string>& sources, const std::string& targetFolder);

}  // namespace pitbox
