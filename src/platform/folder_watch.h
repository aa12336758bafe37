#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"

namespace pitbox::platform {

// Where a tree changed, as its watch saw it: paths of folders, each ending in
// the separator, each named once.
struct FolderChanges {
    std::vector<std::string> folders;  // files in these folders added, removed, renamed or written
    std::vector<std::string> trees;    // folders made, removed or renamed, with all below them
    bool everything = false;           // the watch cannot say where: look at the whole tree
    bool empty() const { return !everything && folders.empty() && trees.empty(); }
};

// Watches a folder tree (`root`, ending in the separator, and every folder
// below it, links to folders followed as the walk follows them) for files
// added, removed, renamed or written. `onChange` is called on the watch's own
// thread, once or more after each change; `takeChanges` then says where.
// Nothing runs while nothing changes; the watch ends when it goes away.
class FolderWatch {
public:
    virtual ~FolderWatch() = default;
    // Where the tree changed since this was last asked (since the watch began,
    // the first time). A folder reached through a link is told at the path the
    // watch reached it by.
    virtual FolderChanges takeChanges() { return {{}, {}, true}; }
    // False once the root itself is gone: removed, moved, unmounted, or
    // another folder in its place (a volume mounted on it, a folder made
    // anew). A change is told then too; what is at the root's path needs a
    // watch of its own.
    virtual bool watching() const = 0;
    // Why the watch gave up after it began, as it watches the folders below
    // the root on its own thread: more of them than the system lets a
    // program watch. A change is told then too; nothing is watched any more.
    virtual std::optional<Error> failed() const { return std::nullopt; }
};

// Fails (NotWatched, saying why) where the system cannot watch the tree: a
// share that reports no changes; Missing where the root is not there. The
// folders below the root are watched on the watch's thread, so that a large
// tree costs the caller nothing; running out of watches there is told by
// `failed`.
Result<std::unique_ptr<FolderWatch>> watchFolder(const std::string& root, std::function<void()> onChange);

// Watches for a folder that is not there to come back: the nearest folder
// on its way that is there (not what lies below it) and, on Linux, the volumes
// mounted. `onChange` is called when something there changed: the caller
// looks whether the folder is back. Fails (NotWatched) where nothing on its
// way can be watched (a drive that is gone): the caller looks now and then.
Result<std::unique_ptr<FolderWatch>> watchForFolder(const std::string& folder, std::function<void()> onChange);

}  // namespace pitbox::platform
