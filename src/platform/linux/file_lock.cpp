#include "platform/file_lock.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "platform/linux/file_descriptor.h"
#include "platform/linux/open_regular.h"
#include "platform/linux/path_at.h"
#include "platform/linux/system_error.h"

namespace pitbox::platform {

struct FileLock::State {
    std::string path;
    FileDescriptor fd;
};

FileLock::FileLock(std::unique_ptr<State> state) : state_(std::move(state)) {}
FileLock::FileLock(FileLock&& other) noexcept = default;
FileLock& FileLock::operator=(FileLock&& other) noexcept = default;
FileLock::~FileLock() = default;

Result<FileLock> FileLock::take(const std::string& path, std::chrono::milliseconds wait) {
    const auto until = std::chrono::steady_clock::now() + wait;
    for (;;) {
        auto at = PathAt::of(path);
        if (!at) return at.error();
        FileDescriptor fd(::openat(at->folder(), at->name(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (!fd.valid()) return systemError(ErrorCode::CannotOpen, path);
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
            // The lock counts only while the name still leads to the file
            // locked: a holder that removed it has let go of another file.
            struct stat held {
            }, named{};
            if (::fstat(fd.get(), &held) == 0 &&
                ::fstatat(at->folder(), at->name(), &named, AT_SYMLINK_NOFOLLOW) == 0 && keyOf(held) == keyOf(named))
                return FileLock(std::make_unique<State>(State{path, std::move(fd)}));
            continue;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) return systemError(ErrorCode::CannotOpen, path);
        if (std::chrono::steady_clock::now() >= until) return Error{ErrorCode::Busy, path, "another program holds it"};
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void FileLock::removeAndRelease() {
    if (!state_) return;
    if (auto at = PathAt::of(state_->path)) ::unlinkat(at->folder(), at->name(), 0);
    state_.reset();
}

}  // namespace pitbox::platform
