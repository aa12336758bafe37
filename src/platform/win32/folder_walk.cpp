#include "platform/folder_walk.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "platform/win32/wide.h"

namespace pitbox::platform {
namespace {

struct Frame {
    std::size_t pathLength = 0;           // of the walk's path while this folder is on top
    std::vector<std::string> subfolders;  // in byte order
    std::size_t next = 0;
};

class Walker {
public:
    Walker(const OnFile& onFile, const std::atomic<bool>* stop, WalkReach* reach)
        : onFile_(onFile), stop_(stop), reach_(reach) {}

    Result<UnreadableFolders> run(const std::string& root) {
        // Paths are written with "\" throughout, whatever the user typed.
        path_ = root;
        std::replace(path_.begin(), path_.end(), '/', '\\');
        if (!enter()) return systemError(ErrorCode::CannotOpen, root, lastError_);
        if (reach_ && reach_->subfolders) *reach_->subfolders = stack_.back().subfolders;
        if (reach_ && !reach_->below) stack_.back().subfolders.clear();
        while (!stack_.empty() && !(stop_ && stop_->load(std::memory_order_relaxed))) {
            Frame& top = stack_.back();
            if (top.next == top.subfolders.size()) {
                stack_.pop_back();
                continue;
            }
            path_.resize(top.pathLength);
            path_.append(top.subfolders[top.next++]).push_back('\\');
            if (!enter() && lastError_ != 0 && lastError_ != ERROR_FILE_NOT_FOUND && lastError_ != ERROR_PATH_NOT_FOUND)
                unreadable_.push_back(systemError(ErrorCode::CannotOpen, path_, lastError_));
        }
        return std::move(unreadable_);
    }

private:
    // The folder's identity (volume and index): a folder reached again through
    // a junction or link is not entered twice.
    bool firstVisit(const std::wstring& folder) {
        lastError_ = 0;  // none: seen before
        Handle h(CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        FileKey id;
        if (!h.valid() || !identify(h.get(), id)) {
            lastError_ = GetLastError();
            return false;
        }
        return seen_.insert(id).second;
    }

    // Lists the folder at path_: reports its files, pushes it with its subfolders.
    bool enter() {
        const std::wstring folder = apiPath(path_);
        if (!firstVisit(folder)) return false;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                       FIND_FIRST_EX_LARGE_FETCH);
        Frame frame;
        std::vector<std::pair<std::string, std::optional<FileStamp>>> files;
        if (find == INVALID_HANDLE_VALUE) {
            // An empty drive root has not even "." and "..": nothing to list.
            lastError_ = GetLastError();
            if (lastError_ != ERROR_FILE_NOT_FOUND) return false;
            frame.pathLength = path_.size();
            stack_.push_back(std::move(frame));
            return true;
        }
        do {
            const std::wstring_view name(data.cFileName);
            if (name == L"." || name == L"..") continue;
            // Junctions and folder links carry the folder attribute and are followed.
            // The listing carries a file's size and times; a link's would be its own.
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                frame.subfolders.push_back(narrow(name));
                if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && reach_) reach_->linkMet = true;
            } else if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                const bool stamps = reach_ && reach_->stamps;
                files.emplace_back(narrow(name), stamps ? fileStamp(path_ + narrow(name)) : std::nullopt);
            } else
                files.emplace_back(narrow(name),
                                   stampOf(static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
                                           data.ftLastWriteTime, data.ftCreationTime));
        } while (FindNextFileW(find, &data));
        FindClose(find);
        std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        std::sort(frame.subfolders.begin(), frame.subfolders.end());
        frame.pathLength = path_.size();
        for (const auto& [name, stamp] : files) onFile_(path_, name, stamp);
        stack_.push_back(std::move(frame));
        return true;
    }

    const OnFile& onFile_;
    const std::atomic<bool>* stop_;
    WalkReach* reach_;
    std::vector<Frame> stack_;
    std::string path_;  // of the folder being entered, ending in "\"
    std::set<FileKey> seen_;
    DWORD lastError_ = 0;
    UnreadableFolders unreadable_;
};

}  // namespace

Result<UnreadableFolders> walkFolders(const std::string& root, const OnFile& onFile, const std::atomic<bool>* stop,
                                      WalkReach* reach) {
    return Walker(onFile, stop, reach).run(root);
}

}  // namespace pitbox::platform
