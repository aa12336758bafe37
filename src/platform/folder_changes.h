#pragma once
#include <mutex>
#include <set>
#include <string>

#include "platform/folder_watch.h"

namespace pitbox::platform {

// Where a watched tree changed, kept from the watch's thread until its owner
// asks: each folder named once, however often it changed meanwhile.
class ChangesSeen {
public:
    void add(const FolderChanges& seen) {
        const std::lock_guard<std::mutex> hold(lock_);
        folders_.insert(seen.folders.begin(), seen.folders.end());
        trees_.insert(seen.trees.begin(), seen.trees.end());
        everything_ = everything_ || seen.everything;
    }
    // What was seen since the last time, and nothing kept; `everything`
    // when the watch can no longer say where.
    FolderChanges take(bool everything) {
        const std::lock_guard<std::mutex> hold(lock_);
        FolderChanges taken{
            {folders_.begin(), folders_.end()}, {trees_.begin(), trees_.end()}, everything_ || everything};
        folders_.clear();
        trees_.clear();
        everything_ = false;
        return taken;
    }

private:
    std::mutex lock_;
    std::set<std::string> folders_, trees_;
    bool everything_ = false;
};

}  // namespace pitbox::platform
