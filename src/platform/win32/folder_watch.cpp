// Watching a folder tree with ReadDirectoryChangesW over the whole subtree, on
// a thread that waits for the system's report or the owner's goodbye.
#include "platform/folder_watch.h"

#include <windows.h>

#include <thread>
#include <utility>

#include "platform/win32/wide.h"

namespace pitbox::platform {
namespace {

constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
                           FILE_NOTIFY_CHANGE_LAST_WRITE;

class DirectoryWatch final : public FolderWatch {
public:
    DirectoryWatch(Handle folder, Handle reported, Handle stop, std::function<void()> onChange)
        : folder_(std::move(folder)),
          reported_(std::move(reported)),
          stop_(std::move(stop)),
          onChange_(std::move(onChange)) {}
    ~DirectoryWatch() override {
        SetEvent(stop_.get());
        if (thread_.joinable()) thread_.join();
    }
    DirectoryWatch(const DirectoryWatch&) = delete;
    DirectoryWatch& operator=(const DirectoryWatch&) = delete;

    // Asks for the next report. A share that cannot report changes refuses the first.
    bool ask() {
        overlapped_ = OVERLAPPED{};
        overlapped_.hEvent = reported_.get();
        return ReadDirectoryChangesW(folder_.get(), buffer_, sizeof buffer_, TRUE, kChanges, nullptr, &overlapped_,
                                     nullptr) != FALSE;
    }

    void start() {
        thread_ = std::thread([this] { run(); });
    }

private:
    void run() {
        for (;;) {
            const HANDLE waits[2] = {reported_.get(), stop_.get()};
            if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) break;
            DWORD bytes = 0;
            if (!GetOverlappedResult(folder_.get(), &overlapped_, &bytes, FALSE)) break;
            // A report, or one too large for the buffer (bytes 0): either way, something changed.
            onChange_();
            if (!ask()) return;
        }
        CancelIo(folder_.get());
        DWORD bytes = 0;
        GetOverlappedResult(folder_.get(), &overlapped_, &bytes, TRUE);
    }

    Handle folder_, reported_, stop_;
    std::function<void()> onChange_;
    OVERLAPPED overlapped_{};
    alignas(DWORD) char buffer_[32768];
    std::thread thread_;
};

}  // namespace

Result<std::unique_ptr<FolderWatch>> watchFolder(const std::string& root, std::function<void()> onChange) {
    Handle folder(CreateFileW(apiPath(root).c_str(), FILE_LIST_DIRECTORY,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    if (!folder.valid()) return systemError(ErrorCode::NotWatched, root);
    Handle reported(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    Handle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!reported.valid() || !stop.valid()) return systemError(ErrorCode::NotWatched, root);
    auto watch =
        std::make_unique<DirectoryWatch>(std::move(folder), std::move(reported), std::move(stop), std::move(onChange));
    if (!watch->ask()) return systemError(ErrorCode::NotWatched, root);
    watch->start();
    return std::unique_ptr<FolderWatch>(std::move(watch));
}

}  // namespace pitbox::platform
