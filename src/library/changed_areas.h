#pragma once
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/folder_watch.h"

namespace pitbox {

// The parts of a library's tree a watch saw change, each to be walked on its
// own: folders whose own files changed, and folders with all below them. None
// lies in another, and they come in the order a walk of the whole tree meets
// them, so that their walks one after another list their tracks in that order.
class ChangedAreas {
public:
    struct Area {
        std::string folder;  // ending in the separator
        bool below = false;  // with every folder below it
    };

    // The changes below `root` (ending in the separator); what lies elsewhere
    // is no part of this library.
    ChangedAreas(const platform::FolderChanges& changes, std::string_view root);
    // Moved, the areas' folders stay where they are; a copy would look them up in another's.
    ChangedAreas(ChangedAreas&&) = default;
    ChangedAreas& operator=(ChangedAreas&&) = default;
    ChangedAreas(const ChangedAreas&) = delete;
    ChangedAreas& operator=(const ChangedAreas&) = delete;

    const std::vector<Area>& inWalkOrder() const { return areas_; }
    bool empty() const { return areas_.empty(); }
    // Whether the track at `folder` followed by `file` lies in one: its
    // file's folder does, or for a track inside a pack, the pack's. A track
    // gone, where its path alone cannot tell a pack from a folder of a pack's
    // name, lies in one if either does.
    bool holds(std::string_view folder, std::string_view file) const;

private:
    bool inArea(std::string_view folder) const;

    std::vector<Area> areas_;
    // The areas' folders, of their own files and with all below them (views
    // into areas_), and what all of them begin with.
    std::unordered_set<std::string_view> folders_, trees_;
    std::string common_;
};

// Whether a walk of a tree meets the path `a` before `b`: each folder's own
// files first, in the byte order of their names, then each folder below it in
// the same order with all it holds. Folder paths end in the separator. A pack's
// tracks are met where the pack is, as a file; told by their text alone, a
// folder with a pack's name sorts so too.
bool comesFirstInWalk(std::string_view a, std::string_view b);

}  // namespace pitbox
