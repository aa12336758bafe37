#include "platform/file_lock.h"

#include <thread>

#include "platform/win32/wide.h"

namespace pitbox::platform {

struct FileLock::State {
    std::wstring path;
    Handle handle;  // closing it lets go
};

FileLock::FileLock(std::unique_ptr<State> state) : state_(std::move(state)) {}
FileLock::FileLock(FileLock&& other) noexcept = default;
FileLock& FileLock::operator=(FileLock&& other) noexcept = default;
FileLock::~FileLock() = default;

Result<FileLock> FileLock::take(const std::string& path, std::chrono::milliseconds wait) {
    const auto until = std::chrono::steady_clock::now() + wait;
    const std::wstring at = apiPath(path);
    Handle handle(CreateFileW(at.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.valid()) return systemError(ErrorCode::CannotOpen, path);
    for (;;) {
        OVERLAPPED whole{};
        if (LockFileEx(handle.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole))
            return FileLock(std::make_unique<State>(State{at, std::move(handle)}));
        const DWORD error = GetLastError();
        if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING)
            return systemError(ErrorCode::CannotOpen, path, error);
        if (std::chrono::steady_clock::now() >= until) return Error{ErrorCode::Busy, path, "another program holds it"};
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void FileLock::removeAndRelease() {
    if (!state_) return;
    // Open with sharing for deleting: the name goes when the last handle closes.
    DeleteFileW(state_->path.c_str());
    state_.reset();
}

}  // namespace pitbox::platform
