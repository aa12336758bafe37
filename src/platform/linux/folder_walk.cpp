#include "platform/folder_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

#include "platform/linux/file_descriptor.h"
#include "platform/linux/open_regular.h"
#include "platform/linux/system_error.h"

namespace pitbox::platform {
namespace {

// Folders kept open at once. Deeper folders are closed on the way down and opened
// again (through "..") on the way back up, so a deep tree never meets the
// descriptor limit.
constexpr std::size_t kOpenFolders = 32;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC;

struct Frame {
    std::string name;            // within the parent folder; the whole path for the root
    std::size_t pathLength = 0;  // of the walk's path while this folder is on top
    FileKey id{};
    std::vector<std::string> subfolders;  // in byte order
    std::size_t next = 0;
    FileDescriptor fd;
};

class Walker {
public:
    Walker(const OnFile& onFile, const std::atomic<bool>* stop, WalkReach* reach)
        : onFile_(onFile), stop_(stop), reach_(reach) {}

    Result<UnreadableFolders> run(const std::string& root) {
        Frame frame;
        frame.name = root;
        path_ = root;
        frame.fd = FileDescriptor(open(AT_FDCWD, root.c_str()));
        if (!frame.fd.valid()) return systemError(ErrorCode::CannotOpen, root);
        if (!enter(frame)) return unreadable_.empty() ? systemError(ErrorCode::CannotOpen, root) : unreadable_.front();
        if (reach_ && reach_->subfolders) *reach_->subfolders = stack_.back().subfolders;
        if (reach_ && !reach_->below) stack_.back().subfolders.clear();
        while (!stack_.empty() && !(stop_ && stop_->load(std::memory_order_relaxed))) {
            Frame& top = stack_.back();
            if (top.next == top.subfolders.size()) {
                climb();
                continue;
            }
            if (!top.fd.valid() && !reopen(stack_.size() - 1)) {
                top.next = top.subfolders.size();  // moved or removed meanwhile
                continue;
            }
            Frame child;
            child.name = top.subfolders[top.next++];
            child.fd = FileDescriptor(open(top.fd.get(), child.name.c_str()));
            const int openError = errno;
            path_.resize(top.pathLength);
            path_.append(child.name).push_back('/');
            if (!child.fd.valid()) {
                // One removed since it was listed is simply gone.
                if (openError != ENOENT) unreadable_.push_back(systemError(ErrorCode::CannotOpen, path_, openError));
                continue;
            }
            enter(child);
        }
        return std::move(unreadable_);
    }

private:
    // Opens a folder; when the descriptors run out, closes every folder but the
    // one opened from and tries once more.
    int open(int from, const char* name) {
        int fd = ::openat(from, name, kFolderFlags);
        if (fd < 0 && (errno == EMFILE || errno == ENFILE)) {
            for (Frame& f : stack_)
                if (f.fd.get() != from) f.fd.reset();
            fd = ::openat(from, name, kFolderFlags);
        }
        return fd;
    }

    static bool isLink(int folder, const dirent64& entry) {
        if (entry.d_type == DT_LNK) return true;
        struct stat st {};
        return ::fstatat(folder, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
    }

    // The file's stamp, a link followed as a path is.
    static std::optional<FileStamp> stampAt(int folder, const char* name) {
        struct stat st {};
        if (::fstatat(folder, name, &st, 0) != 0) return std::nullopt;
        return stampOf(st);
    }

    static bool identify(const FileDescriptor& fd, FileKey& id) {
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0) return false;
        id = keyOf(st);
        return true;
    }

    // Lists a newly opened folder (unless it was entered before), reports its
    // files and pushes it.
    bool enter(Frame& frame) {
        if (!identify(frame.fd, frame.id) || !seen_.insert(frame.id).second) return false;
        if (!list(frame)) return false;
        frame.pathLength = path_.size();
        const bool stamps = reach_ && reach_->stamps;
        for (const auto& [at, length] : files_) {
            const std::string_view name = std::string_view(names_).substr(at, length);
            onFile_(path_, name, stamps ? stampAt(frame.fd.get(), names_.data() + at) : std::nullopt);
        }
        stack_.push_back(std::move(frame));
        if (stack_.size() > kOpenFolders) stack_[stack_.size() - 1 - kOpenFolders].fd.reset();
        return true;
    }

    // Reads a folder's entries straight off its descriptor into one buffer kept
    // for the whole walk: file names go to one block of text (sorted as views
    // into it), subfolder names to the frame.
    bool list(Frame& frame) {
        names_.clear();
        files_.clear();
        for (;;) {
            const ssize_t n = ::getdents64(frame.fd.get(), buffer_.get(), kBufferBytes);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                unreadable_.push_back(systemError(ErrorCode::ReadFailed, path_));
                return false;
            }
            if (n == 0) break;
            for (ssize_t at = 0; at < n;) {
                const auto* entry =
                    reinterpret_cast<const dirent64*>(reinterpret_cast<const char*>(buffer_.get()) + at);
                at += entry->d_reclen;
                const std::string_view name(entry->d_name);
                if (name == "." || name == "..") continue;
                bool isFolder = entry->d_type == DT_DIR;
                if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
                    struct stat st {};
                    isFolder = ::fstatat(frame.fd.get(), entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
                    if (isFolder && reach_ && isLink(frame.fd.get(), *entry)) reach_->linkMet = true;
                }
                if (isFolder) {
                    frame.subfolders.emplace_back(name);
                } else {
                    files_.emplace_back(names_.size(), name.size());
                    names_.append(name).push_back('\0');  // each ends, for the calls that take it
                }
            }
        }
        const std::string_view names(names_);
        std::sort(files_.begin(), files_.end(), [names](const auto& a, const auto& b) {
            return names.substr(a.first, a.second) < names.substr(b.first, b.second);
        });
        std::sort(frame.subfolders.begin(), frame.subfolders.end());
        return true;
    }

    // Leaves the top folder; its parent, if closed, is opened again through ".."
    // when that leads back to it (it does not where a link led down).
    void climb() {
        Frame child = std::move(stack_.back());
        stack_.pop_back();
        if (stack_.empty() || stack_.back().fd.valid() || !child.fd.valid()) return;
        Frame& parent = stack_.back();
        FileDescriptor up(open(child.fd.get(), ".."));
        FileKey id{};
        if (up.valid() && identify(up, id) && id == parent.id) parent.fd = std::move(up);
    }

    // Opens frame i again, name by name from its nearest open ancestor (from the
    // root path when none is open), checking that each is the folder it was.
    bool reopen(std::size_t i) {
        std::size_t from = i;
        while (from > 0 && !stack_[from - 1].fd.valid()) --from;
        for (std::size_t k = from; k <= i; ++k) {
            const int base = k == 0 ? AT_FDCWD : stack_[k - 1].fd.get();
            FileDescriptor fd(open(base, stack_[k].name.c_str()));
            FileKey id{};
            if (!fd.valid() || !identify(fd, id) || !(id == stack_[k].id)) return false;
            stack_[k].fd = std::move(fd);
        }
        for (std::size_t k = 0; k + kOpenFolders <= i; ++k) stack_[k].fd.reset();
        return true;
    }

    const OnFile& onFile_;
    const std::atomic<bool>* stop_;
    WalkReach* reach_;
    std::vector<Frame> stack_;
    std::string path_;  // of the folder being entered; each frame keeps its length
    std::set<FileKey> seen_;
    UnreadableFolders unreadable_;
    static constexpr std::size_t kBufferBytes = std::size_t{32} * 1024;
    std::unique_ptr<std::uint64_t[]> buffer_ = std::make_unique<std::uint64_t[]>(kBufferBytes / 8);
    std::string names_;                                       // the file names of the folder being listed
    std::vector<std::pair<std::size_t, std::size_t>> files_;  // each one's place in names_
};

}  // namespace

Result<UnreadableFolders> walkFolders(const std::string& root, const OnFile& onFile, const std::atomic<bool>* stop,
                                      WalkReach* reach) {
    return Walker(onFile, stop, reach).run(root);
}

}  // namespace pitbox::platform
