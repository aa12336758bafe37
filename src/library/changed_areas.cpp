#include "library/changed_areas.h"

#include <algorithm>
#include <set>
#include <unordered_set>

#include "platform/archives.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace pitbox {

namespace {

// Whether a tree of `trees` holds `folder`: one of the folders it lies in,
// from the one whose path ends at or after `from` on (and, with `itself`,
// the folder itself), each looked up by its path.
bool inOneOf(const std::unordered_set<std::string_view>& trees, std::string_view folder, std::size_t from,
             bool itself) {
    for (std::size_t end = folder.find(platform::kSeparator, from); end != std::string_view::npos;
         end = folder.find(platform::kSeparator, end + 1))
        if ((end + 1 < folder.size() || itself) && trees.count(folder.substr(0, end + 1))) return true;
    return false;
}

}  // namespace

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
    // What lies in a tree, or is named twice, is walked once; a check of a
    // whole library may name thousands of folders, each looked up by the
    // paths of the folders it lies in rather than against every other area.
    std::unordered_set<std::string_view> trees;
    for (const Area& area : areas_)
        if (area.below) trees.insert(area.folder);
    const std::size_t fromRoot = root.empty() ? 0 : root.size() - 1;
    std::set<std::pair<bool, std::string_view>> named;
    std::vector<Area> kept;
    for (const Area& area : areas_)
        if (!inOneOf(trees, area.folder, fromRoot, !area.below) && named.insert({area.below, area.folder}).second)
            kept.push_back(area);
    // A folder's own files are met before the folders below it: walked alone,
    // it sorts as a file of its own would.
    std::vector<std::pair<std::string, Area*>> byWalk;
    byWalk.reserve(kept.size());
    for (Area& area : kept) byWalk.emplace_back(area.below ? area.folder : area.folder + '\x01', &area);
    std::sort(byWalk.begin(), byWalk.end(),
              [](const auto& a, const auto& b) { return comesFirstInWalk(a.first, b.first); });
    areas_.clear();
    for (auto& [key, area] : byWalk) areas_.push_back(std::move(*area));
    for (const Area& area : areas_) (area.below ? trees_ : folders_).insert(area.folder);
    if (!areas_.empty()) {
        std::string_view common = areas_.front().folder;
        for (const Area& area : areas_) {
            const auto [end, unused] =
                std::mismatch(common.begin(), common.end(), area.folder.begin(), area.folder.end());
            common = common.substr(0, static_cast<std::size_t>(end - common.begin()));
        }
        common_ = std::string(common);
    }
}

bool ChangedAreas::inArea(std::string_view folder) const {
    // A tree holding it begins with what all the areas begin with.
    return folders_.count(folder) || inOneOf(trees_, folder, common_.empty() ? 0 : common_.size() - 1, true);
}

bool ChangedAreas::holds(std::string_view inFolder, std::string_view file) const {
    // Every area's folder begins the folders of the paths it holds: most
    // tracks are told by what all the areas' folders begin with alone.
    if (areas_.empty() || !inFolder.starts_with(common_)) return false;
    const std::string_view pack = platform::archivePartOf(inFolder);
    if (pack.empty()) return inArea(inFolder);
    // A folder may have a pack's name: where the text alone cannot tell
    // whether the track lies in a pack or a folder, the files are asked.
    const bool asFile = inArea(inFolder);
    const bool asMember = inArea(platform::pathPart(pack));
    if (asFile == asMember) return asFile;
    const std::string whole = std::string(inFolder).append(file);
    if (const auto member = platform::splitMemberPath(whole)) return inArea(platform::pathPart(member->archive));
    if (platform::fileStatus(whole)) return asFile;
    return true;  // gone, in a pack or a folder: a walk of either finds it no more
}

}  // namespace pitbox
