// Watching folders with ReadDirectoryChangesW, on a thread that waits for the
// system's report or the owner's goodbye.
#include "platform/folder_watch.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "platform/folder_changes.h"
#include "platform/paths.h"
#include "platform/win32/wide.h"

namespace pitbox::platform {
namespace {

constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
                           FILE_NOTIFY_CHANGE_LAST_WRITE;
// A drive removed, or a watched folder removed from outside under Wine, ends
// with no report at all: the tree's root is looked at this often.
constexpr DWORD kLookEvery = 2000;  // ms

Handle openFolder(const std::string& folder) {
    return Handle(CreateFileW(apiPath(folder).c_str(), FILE_LIST_DIRECTORY,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
}

std::string windowsSeparators(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::optional<FileKey> folderKey(const std::string& folder) {
    auto status = fileStatus(folder);
    if (!status || status->regular) return std::nullopt;
    return status->key;
}

// One folder's reports: its whole tree, or (watching for a folder to come
// back) the folder alone, moved up and down the way as folders there come
// and go.
class DirectoryWatch final : public FolderWatch {
public:
    DirectoryWatch(std::string folder, bool tree, Handle reported, Handle stop, std::function<void()> onChange)
        : folder_(std::move(folder)),
          tree_(tree),
          reported_(std::move(reported)),
          stop_(std::move(stop)),
          onChange_(std::move(onChange)) {}
    ~DirectoryWatch() override {
        SetEvent(stop_.get());
        if (thread_.joinable()) thread_.join();
    }
    DirectoryWatch(const DirectoryWatch&) = delete;
    DirectoryWatch& operator=(const DirectoryWatch&) = delete;
    bool watching() const override { return !lost_.load(std::memory_order_acquire); }

    FolderChanges takeChanges() override { return seen_.take(!tree_); }

    // Watches the folder (or the nearest folder on its way that is there) and
    // asks for its first report; a share that cannot report changes refuses it.
    bool begin() {
        if (tree_) {
            key_ = folderKey(folder_);
            return key_ && open(folder_);
        }
        return retarget();
    }

    void start() {
        thread_ = std::thread([this] { run(); });
    }

private:
    bool open(const std::string& folder) {
        cancel();
        folderHandle_ = openFolder(folder);
        watched_ = folder;
        opened_ = true;
        return folderHandle_.valid() && ask();
    }

    bool ask() {
        overlapped_ = OVERLAPPED{};
        overlapped_.hEvent = reported_.get();
        return ReadDirectoryChangesW(folderHandle_.get(), buffer_, sizeof buffer_, tree_ ? TRUE : FALSE,
                                     tree_ ? kChanges : FILE_NOTIFY_CHANGE_DIR_NAME, nullptr, &overlapped_,
                                     nullptr) != FALSE;
    }

    // A report asked for is ended whichever thread asked for it; CancelIo
    // would end only the calling thread's, and the first is asked for by the
    // owner's.
    void cancel() {
        if (!folderHandle_.valid()) return;
        CancelIoEx(folderHandle_.get(), &overlapped_);
        DWORD bytes = 0;
        GetOverlappedResult(folderHandle_.get(), &overlapped_, &bytes, TRUE);
        folderHandle_.reset();
    }

    // A file's change is its folder's. A name added that is a folder, and any
    // name removed (it may have been one), is a tree's. A report too large
    // for the buffer says nothing of where, nor does a name that may be a
    // short (8.3) one, which the walk never writes.
    void note(DWORD bytes) {
        FolderChanges changes{{}, {}, bytes == 0};
        auto& [folders, trees, everything] = changes;
        for (DWORD at = 0; !everything && at + sizeof(FILE_NOTIFY_INFORMATION) <= bytes;) {
            const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer_ + at);
            if (at + offsetof(FILE_NOTIFY_INFORMATION, FileName) + info->FileNameLength > bytes) break;
            const std::wstring_view name(info->FileName, info->FileNameLength / sizeof(WCHAR));
            if (name.find(L'~') != std::wstring_view::npos) everything = true;
            const std::string path = root_ + narrow(name);
            std::string folder(pathPart(path));
            const auto status = fileStatus(path);
            const bool folderNow = status && !status->regular;
            switch (info->Action) {
                case FILE_ACTION_ADDED:
                case FILE_ACTION_RENAMED_NEW_NAME:
                    folders.push_back(std::move(folder));
                    if (folderNow) trees.push_back(path + "\\");
                    break;
                case FILE_ACTION_REMOVED:
                case FILE_ACTION_RENAMED_OLD_NAME:
                    folders.push_back(std::move(folder));
                    trees.push_back(path + "\\");
                    break;
                default:
                    // A folder written is one whose files changed, each told on its own.
                    if (!folderNow) folders.push_back(std::move(folder));
                    break;
            }
            if (info->NextEntryOffset == 0) break;
            at += info->NextEntryOffset;
        }
        seen_.add(changes);
    }

    bool retarget() {
        std::string at = parentFolder(withSeparator(folder_));
        for (;;) {
            if (at == watched_ && folderHandle_.valid()) return true;
            if (folderKey(at) && open(at)) return true;
            const std::string up = parentFolder(at);
            if (up == at) return false;
            at = up;
        }
    }

    void run() {
        for (;;) {
            const HANDLE waits[2] = {reported_.get(), stop_.get()};
            const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, tree_ ? kLookEvery : INFINITE);
            if (woke == WAIT_TIMEOUT) {
                if (folderKey(folder_) == key_) continue;
                lost_.store(true, std::memory_order_release);
                onChange_();
                break;
            }
            if (woke != WAIT_OBJECT_0) break;
            DWORD bytes = 0;
            const bool reported = GetOverlappedResult(folderHandle_.get(), &overlapped_, &bytes, FALSE) != FALSE;
            // A report, or one too large for the buffer (bytes 0): either way,
            // something changed. The root gone, or another folder in its place,
            // the watch is lost.
            if (tree_) {
                if (!reported || folderKey(folder_) != key_) {
                    lost_.store(true, std::memory_order_release);
                    onChange_();
                    break;
                }
                note(bytes);
                onChange_();
                if (!ask()) break;
                continue;
            }
            if (!reported) folderHandle_.reset();
            onChange_();
            opened_ = false;
            if (!retarget() || (!opened_ && !ask())) {
                lost_.store(true, std::memory_order_release);
                break;
            }
        }
        cancel();
    }

    const std::string folder_;
    const std::string root_ = windowsSeparators(folder_);  // as the walk writes paths
    const bool tree_;
    std::optional<FileKey> key_;
    std::string watched_;
    bool opened_ = false;  // a folder opened, and its first report asked for
    Handle folderHandle_, reported_, stop_;
    std::function<void()> onChange_;
    std::atomic<bool> lost_{false};
    ChangesSeen seen_;
    OVERLAPPED overlapped_{};
    alignas(DWORD) char buffer_[32768];
    std::thread thread_;
};

Result<std::unique_ptr<FolderWatch>> startWatch(const std::string& folder, bool tree, std::function<void()> onChange) {
    Handle reported(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    Handle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!reported.valid() || !stop.valid()) return systemError(ErrorCode::NotWatched, folder);
    auto watch =
        std::make_unique<DirectoryWatch>(folder, tree, std::move(reported), std::move(stop), std::move(onChange));
    if (!watch->begin()) {
        if (tree && !folderKey(folder)) return Error{ErrorCode::Missing, folder, "not there"};
        return tree ? systemError(ErrorCode::NotWatched, folder)
                    : Error{ErrorCode::NotWatched, folder, "no folder on its way can be watched"};
    }
    watch->start();
    return std::unique_ptr<FolderWatch>(std::move(watch));
}

}  // namespace

Result<std::unique_ptr<FolderWatch>> watchFolder(const std::string& root, std::function<void()> onChange) {
    return startWatch(root, true, std::move(onChange));
}

Result<std::unique_ptr<FolderWatch>> watchForFolder(const std::string& folder, std::function<void()> onChange) {
    return startWatch(folder, false, std::move(onChange));
}

}  // namespace pitbox::platform
