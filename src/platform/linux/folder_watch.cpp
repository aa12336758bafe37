// Watching a folder tree with inotify: one watch a folder, and a thread that
// sleeps in poll() until the kernel or the owner's goodbye wakes it.
#include "platform/folder_watch.h"

#include <dirent.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <set>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/linux/file_descriptor.h"
#include "platform/linux/system_error.h"

namespace pitbox::platform {
namespace {

constexpr std::uint32_t kFolderEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

class InotifyWatch final : public FolderWatch {
public:
    InotifyWatch(FileDescriptor inotify, FileDescriptor wake, std::function<void()> onChange)
        : inotify_(std::move(inotify)), wake_(std::move(wake)), onChange_(std::move(onChange)) {}
    ~InotifyWatch() override {
        if (thread_.joinable()) {
            const std::uint64_t one = 1;
            (void)!::write(wake_.get(), &one, sizeof one);
            thread_.join();
        }
    }
    InotifyWatch(const InotifyWatch&) = delete;
    InotifyWatch& operator=(const InotifyWatch&) = delete;

    // Watches `folder` and every folder below it that can be listed. Only
    // running out of watches fails: a folder that cannot be read is not
    // walked either.
    Result<void> addTree(const std::string& folder) {
        struct stat st {};
        if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
        if (!seen_.insert({st.st_dev, st.st_ino}).second) return {};  // a link back up the tree
        const int wd = ::inotify_add_watch(inotify_.get(), folder.c_str(), kFolderEvents);
        if (wd < 0) {
            if (errno == ENOSPC || errno == ENOMEM)
                return Error{ErrorCode::NotWatched, folder,
                             "more folders than the system lets a program watch (fs.inotify.max_user_watches)"};
            return {};
        }
        folders_[wd] = folder;
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
        for (const std::string& sub : below)
            if (auto added = addTree(sub); !added) return added;
        return {};
    }

    void start() {
        thread_ = std::thread([this] { run(); });
    }

private:
    void run() {
        alignas(inotify_event) char buffer[16384];
        for (;;) {
            pollfd waits[2] = {{inotify_.get(), POLLIN, 0}, {wake_.get(), POLLIN, 0}};
            if (::poll(waits, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (waits[1].revents != 0) return;
            const ssize_t got = ::read(inotify_.get(), buffer, sizeof buffer);
            if (got <= 0) continue;
            bool changed = false;
            for (ssize_t at = 0; at < got;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
                changed = changed || handle(*e);
            }
            if (changed) onChange_();
        }
    }

    // A folder made or moved in is watched with all it holds; one gone is forgotten.
    bool handle(const inotify_event& e) {
        if (e.mask & IN_IGNORED) {
            folders_.erase(e.wd);
            return false;
        }
        const auto folder = folders_.find(e.wd);
        if ((e.mask & IN_ISDIR) && (e.mask & (IN_CREATE | IN_MOVED_TO)) && folder != folders_.end() && e.len > 0)
            (void)addTree(folder->second + e.name + "/");
        return true;
    }

    FileDescriptor inotify_, wake_;
    std::function<void()> onChange_;
    std::unordered_map<int, std::string> folders_;  // by watch descriptor
    std::set<std::pair<dev_t, ino_t>> seen_;
    std::thread thread_;
};

}  // namespace

Result<std::unique_ptr<FolderWatch>> watchFolder(const std::string& root, std::function<void()> onChange) {
    FileDescriptor inotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!inotify.valid()) return systemError(ErrorCode::NotWatched, root);
    FileDescriptor wake(::eventfd(0, EFD_CLOEXEC));
    if (!wake.valid()) return systemError(ErrorCode::NotWatched, root);
    auto watch = std::make_unique<InotifyWatch>(std::move(inotify), std::move(wake), std::move(onChange));
    if (auto added = watch->addTree(root); !added) return added.error();
    watch->start();
    return std::unique_ptr<FolderWatch>(std::move(watch));
}

}  // namespace pitbox::platform
