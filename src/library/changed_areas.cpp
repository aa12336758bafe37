#include "library/changed_areas.h"

#include <algorithm>

#include "platform/archives.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace pitbox {

bool comesFirstInWalk(std::string_view a, std::string_view b) {
    // A pack is listed as a file is, its tracks where it is.
    const std::size_t aPack = platform::archivePartOf(a).size();
    const std::size_t bPack = platform::archivePartOf(b).size();
    std::size_t at = 0;
    for (;;) {
        std::size_t aEnd = a.find(platform::kSeparator, at);
        std::size_t bEnd = b.find(platform::kSeparator, at);
        const bool aFile = aEnd == std::string_view::npos || (aPack != 0 && aEnd == aPack);
        const bool bFile = bEnd == std::string_view::npos || (bPack != 0 && bEnd == bPack);
        if (aEnd == std::string_view::npos) aEnd = a.size();
        if (bEnd == std::string_view::npos) bEnd = b.size();
        const std::string_view aPart = a.substr(at, aEnd - at);
        const std::string_view bPart = b.substr(at, bEnd - at);
        // A folder's files come before the folders in it.
        if (aFile != bFile) return aFile;
        if (aPart != bPart) return aPart < bPart;
        // The same file, or the same pack: its tracks in the order of their paths.
        if (aFile) return a.substr(at) < b.substr(at);
        at = aEnd + 1;
    }
}

ChangedAreas::ChangedAreas(const platform::FolderChanges& changes, std::string_view root) {
    for (const std::string& tree : changes.trees)
        if (tree.starts_with(root)) areas_.push_back({tree, true});
    for (const std::string& folder : changes.folders)
        if (folder.starts_with(root)) areas_.push_back({folder, false});
    // A folder's own files are met before the folders below it: walked alone,
    // it sorts as a file of its own would.
    const auto walkKey = [](const Area& area) { return area.below ? area.folder : area.folder + '\x01'; };
    std::sort(areas_.begin(), areas_.end(),
              [&](const Area& a, const Area& b) { return comesFirstInWalk(walkKey(a), walkKey(b)); });
    // What lies in a tree before it is walked with it.
    std::vector<Area> kept;
    for (Area& area : areas_) {
        const bool inside = std::any_of(kept.begin(), kept.end(), [&](const Area& k) {
            return k.below ? area.folder.starts_with(k.folder) : area.folder == k.folder && !area.below;
        });
        if (!inside) kept.push_back(std::move(area));
    }
    areas_ = std::move(kept);
}

bool ChangedAreas::holds(std::string_view path) const {
    const auto inArea = [&](std::string_view folder) {
        return std::any_of(areas_.begin(), areas_.end(), [&](const Area& area) {
            return area.below ? folder.starts_with(area.folder) : folder == area.folder;
        });
    };
    // Every area's folder begins the paths it holds: most tracks are told by that alone.
    if (std::none_of(areas_.begin(), areas_.end(), [&](const Area& area) { return path.starts_with(area.folder); }))
        return false;
    const std::string_view inFolder = platform::pathPart(path);
    const std::string_view pack = platform::archivePartOf(path);
    if (pack.empty()) return inArea(inFolder);
    // A folder may have a pack's name: where the text alone cannot tell
    // whether the track lies in a pack or a folder, the files are asked.
    const bool asFile = inArea(inFolder);
    const bool asMember = inArea(platform::pathPart(pack));
    if (asFile == asMember) return asFile;
    const std::string whole(path);
    if (const auto member = platform::splitMemberPath(whole)) return inArea(platform::pathPart(member->archive));
    if (platform::fileStatus(whole)) return asFile;
    return true;  // gone, in a pack or a folder: a walk of either finds it no more
}

}  // namespace pitbox
