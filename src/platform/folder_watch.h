#pragma once
#include <functional>
#include <memory>
#include <string>

#include "base/result.h"

namespace pitbox::platform {

// Watches a folder tree (`root`, ending in the separator, and every folder
// below it, links to folders followed as the walk follows them) for files
// added, removed, renamed or written. `onChange` is called on the watch's own
// thread, once or more after each change, saying nothing of what changed: the
// caller looks again. Nothing runs while nothing changes; the watch ends when
// it goes away.
class FolderWatch {
public:
    virtual ~FolderWatch() = default;
};

// Fails (NotWatched, saying why) where the system cannot watch the whole tree:
// more folders than it lets one program watch, or a share that reports no
// changes. Nothing is watched then.
Result<std::unique_ptr<FolderWatch>> watchFolder(const std::string& root, std::function<void()> onChange);

}  // namespace pitbox::platform
