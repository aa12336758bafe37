#pragma once
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "platform/files.h"

namespace pitbox::platform {

// Walks `root` (a folder path ending in the separator) and every folder below it,
// depth-first in pre-order: a folder's files first, then each subfolder with all
// that lies below it. A folder's entries come in the byte order of their names,
// so a tree lists the same on every machine. `onFile` gets the folder's path and
// the name of each entry that is not a folder (special files included).
//
// Folder links are followed, but each folder (its file identity) is entered at
// most once per walk, whatever path leads to it. Depth is bounded by nothing but
// the tree: the walk keeps only a few folders open and opens the others again
// when it climbs back. A folder below the root that cannot be opened or listed is
// skipped with everything below it and returned, with the reason, among the
// folders that could not be read; the result fails only when the root itself
// cannot be listed. With `stop`, the walk ends, as it is, once that is set
// (looked at before each folder).
//
// `listed` is the file's stamp as the listing itself gives it, where it does
// (Windows, for a file that is no link), so that it need not be asked for again.
//
// With `reach`, the walk goes as far as it says and tells what it met.
struct WalkReach {
    bool below = true;  // false: the root's own files alone
    // Set when a folder link was met below the root: a folder may then lie at
    // two paths of the tree, and the walk gives it the first in its order.
    bool linkMet = false;
    // Each file stamped as it is listed where the listing does not give it
    // (Linux: looked at from its open folder, no path looked up again); a
    // file gone meanwhile has none.
    bool stamps = false;
    // Given, the root's subfolders' names in byte order, as it is listed.
    std::vector<std::string>* subfolders = nullptr;
};
using UnreadableFolders = std::vector<Error>;
using OnFile =
    std::function<void(const std::string& folder, std::string_view name, const std::optional<FileStamp>& listed)>;
Result<UnreadableFolders> walkFolders(const std::string& root, const OnFile& onFile,
                                      const std::atomic<bool>* stop = nullptr, WalkReach* reach = nullptr);

}  // namespace pitbox::platform
