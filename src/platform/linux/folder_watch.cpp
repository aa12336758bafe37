// Watching folders with inotify: one watch a folder, and a thread that first
// watches the folders below the root, then sleeps in poll() until the kernel,
// a change of the volumes mounted, or the owner's goodbye wakes it.
#include "platform/folder_watch.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/folder_changes.h"
#include "platform/linux/file_descriptor.h"
#include "platform/linux/open_regular.h"
#include "platform/linux/system_error.h"
#include "platform/paths.h"

namespace pitbox::platform {
namespace {

constexpr std::uint32_t kFolderEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// A folder coming back: made or moved in where it was, or the folder
// watched going too.
constexpr std::uint32_t kReturnEvents = IN_CREATE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

std::optional<FileKey> folderKey(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
    return keyOf(st);
}

// The thread both kinds of watch share. The table of mounts wakes poll() with
// POLLPRI whenever a volume is mounted or unmounted, which inotify never tells.
class InotifyThread : public FolderWatch {
public:
    InotifyThread(FileDescriptor inotify, std::function<void()> onChange)
        : inotify_(std::move(inotify)),
          wake_(::eventfd(0, EFD_CLOEXEC)),
          mounts_(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC)),
          onChange_(std::move(onChange)) {}
    InotifyThread(const InotifyThread&) = delete;
    InotifyThread& operator=(const InotifyThread&) = delete;
    bool watching() const override { return !lost_.load(std::memory_order_acquire); }
    bool ready() const { return inotify_.valid() && wake_.valid(); }
    void start() {
        thread_ = std::thread([this] { run(); });
    }
    std::optional<Error> failed() const override {
        const std::lock_guard<std::mutex> hold(failureLock_);
        return failure_;
    }

protected:
    // What a kind of watch does on its thread before it waits for changes;
    // false when it gave up (`fail` said why).
    virtual bool prepare() { return true; }
    void fail(Error why) {
        {
            const std::lock_guard<std::mutex> hold(failureLock_);
            failure_ = std::move(why);
        }
        onChange_();
    }
    // What a kind of watch makes of an event and of a change of the mounts, on
    // the watch's thread; true when the owner should look again.
    virtual bool handle(const inotify_event& e) = 0;
    virtual bool mountsChanged() = 0;
    // Ends the thread: the first thing a kind's destructor does, as the thread
    // calls into it.
    void stop() {
        if (!thread_.joinable()) return;
        stopping_.store(true, std::memory_order_release);
        const std::uint64_t one = 1;
        (void)!::write(wake_.get(), &one, sizeof one);
        thread_.join();
    }
    void lose() { lost_.store(true, std::memory_order_release); }
    // The owner has said goodbye: a long preparation ends early.
    bool stopping() const { return stopping_.load(std::memory_order_acquire); }
    int inotify() const { return inotify_.get(); }

private:
    void run() {
        if (!prepare()) return;
        alignas(inotify_event) char buffer[16384];
        for (;;) {
            pollfd waits[3] = {{wake_.get(), POLLIN, 0}, {inotify_.get(), POLLIN, 0}, {mounts_.get(), POLLPRI, 0}};
            if (::poll(waits, mounts_.valid() ? 3 : 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (waits[0].revents != 0) return;
            bool changed = false;
            if (waits[2].revents != 0) changed = mountsChanged();
            if (waits[1].revents != 0) {
                const ssize_t got = ::read(inotify_.get(), buffer, sizeof buffer);
                for (ssize_t at = 0; at < got;) {
                    const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
                    at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
                    changed = handle(*e) || changed;
                }
            }
            if (changed) onChange_();
        }
    }

    FileDescriptor inotify_, wake_, mounts_;
    std::function<void()> onChange_;
    std::atomic<bool> lost_{false};
    std::atomic<bool> stopping_{false};
    mutable std::mutex failureLock_;
    std::optional<Error> failure_;
    std::thread thread_;
};

// A folder tree: every folder below the root watched, and where it changed
// kept until the owner asks.
class TreeWatch final : public InotifyThread {
public:
    TreeWatch(FileDescriptor inotify, std::string root, std::function<void()> onChange)
        : InotifyThread(std::move(inotify), std::move(onChange)), root_(std::move(root)) {}
    ~TreeWatch() override { stop(); }
    TreeWatch(const TreeWatch&) = delete;
    TreeWatch& operator=(const TreeWatch&) = delete;

    // The root alone, before the thread starts: a root that is not there is
    // the caller's to know at once.
    Result<void> watchRoot() {
        rootKey_ = folderKey(root_);
        bool added = false;
        if (auto watched = addFolder(root_, added); !watched) return watched;
        if (rootWatch_ < 0) return Error{ErrorCode::Missing, root_, "not there"};
        return {};
    }

    FolderChanges takeChanges() override { return seen_.take(failed().has_value()); }

private:
    using Identity = std::pair<dev_t, ino_t>;
    struct Watched {
        std::string folder;
        Identity identity;
    };

    bool prepare() override {
        auto below = addBelow(root_);
        if (!below) fail(below.error());
        return static_cast<bool>(below);
    }

    // Watches `folder`; `added` tells whether it is new to the watch. Only
    // running out of watches fails: a folder that cannot be read is not
    // walked either.
    Result<void> addFolder(const std::string& folder, bool& added) {
        added = false;
        struct stat st {};
        if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
        const Identity identity{st.st_dev, st.st_ino};
        if (!watched_.insert(identity).second) return {};  // a link back up the tree
        const int wd = ::inotify_add_watch(inotify(), folder.c_str(), kFolderEvents);
        if (wd < 0) {
            watched_.erase(identity);
            if (errno == ENOSPC || errno == ENOMEM)
                return Error{ErrorCode::NotWatched, folder,
                             "more folders than the system lets a program watch (fs.inotify.max_user_watches)"};
            return {};
        }
        if (folders_.empty()) rootWatch_ = wd;
        folders_[wd] = {folder, identity};
        added = true;
        return {};
    }

    // Watches `folder` and every folder below it that can be listed.
    Result<void> addTree(const std::string& folder) {
        bool added = false;
        if (auto watched = addFolder(folder, added); !watched || !added) return watched;
        return addBelow(folder);
    }

    Result<void> addBelow(const std::string& folder) {
        std::vector<std::string> below;
        if (DIR* d = ::opendir(folder.c_str())) {
            while (const dirent* entry = ::readdir(d)) {
                const std::string_view name = entry->d_name;
                if (name == "." || name == "..") continue;
                if (entry->d_type == DT_DIR || entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
                    below.push_back(folder + std::string(name) + "/");
            }
            ::closedir(d);
        }
        for (const std::string& sub : below) {
            if (stopping()) return {};
            if (auto added = addTree(sub); !added) return added;
        }
        return {};
    }

    // A folder moved away keeps its watches, which would tell its changes at
    // the path it had: they go with it, and a folder moved in is watched anew
    // at its new path.
    void forgetTree(const std::string& folder) {
        for (auto it = folders_.begin(); it != folders_.end();) {
            if (it->second.folder.starts_with(folder)) {
                ::inotify_rm_watch(inotify(), it->first);
                watched_.erase(it->second.identity);
                it = folders_.erase(it);
            } else {
                ++it;
            }
        }
    }

    // A file's change is its folder's; a folder made, removed or renamed is a
    // tree's, and the watch follows it. The root gone, the watch is lost; the
    // kernel's queue overflowing, where is not known.
    bool handle(const inotify_event& e) override {
        if (e.mask & IN_Q_OVERFLOW) {
            seen_.add({{}, {}, true});
            return true;
        }
        if (e.wd == rootWatch_ && (e.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED))) lose();
        const auto at = folders_.find(e.wd);
        if (e.mask & IN_IGNORED) {
            if (at != folders_.end()) {
                watched_.erase(at->second.identity);
                folders_.erase(at);
            }
            return e.wd == rootWatch_;
        }
        if (at == folders_.end()) return false;  // a folder forgotten, its last events still queued
        if (e.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) return e.wd == rootWatch_;  // told in its parent
        if (e.len == 0) return true;
        if (!(e.mask & IN_ISDIR)) {
            seen_.add({{at->second.folder}, {}, false});
            return true;
        }
        const std::string tree = at->second.folder + e.name + "/";
        if (e.mask & IN_MOVED_FROM) forgetTree(tree);
        if (e.mask & (IN_CREATE | IN_MOVED_TO)) (void)addTree(tree);
        seen_.add({{}, {tree}, false});
        return true;
    }

    // Another folder at the root's path (a volume mounted on it) is another tree.
    bool mountsChanged() override {
        if (folderKey(root_) == rootKey_) return false;
        lose();
        return true;
    }

    const std::string root_;
    std::optional<FileKey> rootKey_;
    int rootWatch_ = -1;
    std::unordered_map<int, Watched> folders_;  // by watch descriptor
    std::set<Identity> watched_;
    ChangesSeen seen_;
};

// A folder that is not there: the nearest folder on its way that is, moved
// down as the folders on the way come back and up as they go.
class ReturnWatch final : public InotifyThread {
public:
    ReturnWatch(FileDescriptor inotify, std::string folder, std::function<void()> onChange)
        : InotifyThread(std::move(inotify), std::move(onChange)), folder_(std::move(folder)) {}
    ~ReturnWatch() override { stop(); }
    ReturnWatch(const ReturnWatch&) = delete;
    ReturnWatch& operator=(const ReturnWatch&) = delete;

    // The nearest folder on the way that can be watched; false for none.
    bool retarget() {
        std::string at = parentFolder(folder_);
        for (;;) {
            if (at == watched_ && watch_ >= 0) return true;
            if (folderKey(at)) {
                const int wd = ::inotify_add_watch(inotify(), at.c_str(), kReturnEvents);
                if (wd >= 0) {
                    if (watch_ >= 0 && wd != watch_) ::inotify_rm_watch(inotify(), watch_);
                    watch_ = wd;
                    watched_ = at;
                    return true;
                }
            }
            const std::string up = parentFolder(at);
            if (up == at) break;
            at = up;
        }
        lose();
        return false;
    }

private:
    bool handle(const inotify_event& e) override {
        if (e.wd == watch_ && (e.mask & IN_IGNORED)) watch_ = -1;
        (void)retarget();
        return true;
    }
    bool mountsChanged() override {
        (void)retarget();
        return true;
    }

    const std::string folder_;
    std::string watched_;
    int watch_ = -1;
};

}  // namespace

Result<std::unique_ptr<FolderWatch>> watchFolder(const std::string& root, std::function<void()> onChange) {
    FileDescriptor inotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!inotify.valid()) return systemError(ErrorCode::NotWatched, root);
    auto watch = std::make_unique<TreeWatch>(std::move(inotify), root, std::move(onChange));
    if (!watch->ready()) return systemError(ErrorCode::NotWatched, root);
    if (auto added = watch->watchRoot(); !added) return added.error();
    watch->start();
    return std::unique_ptr<FolderWatch>(std::move(watch));
}

Result<std::unique_ptr<FolderWatch>> watchForFolder(const std::string& folder, std::function<void()> onChange) {
    FileDescriptor inotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!inotify.valid()) return systemError(ErrorCode::NotWatched, folder);
    auto watch = std::make_unique<ReturnWatch>(std::move(inotify), withSeparator(folder), std::move(onChange));
    if (!watch->ready()) return systemError(ErrorCode::NotWatched, folder);
    if (!watch->retarget()) return Error{ErrorCode::NotWatched, folder, "no folder on its way can be watched"};
    watch->start();
    return std::unique_ptr<FolderWatch>(std::move(watch));
}

}  // namespace pitbox::platform
