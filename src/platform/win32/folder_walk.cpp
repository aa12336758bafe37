#include "platform/folder_walk.h"

#include <algorithm>
#include <optional>
#include <set>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/win32/wide.h"

namespace pitbox::platform {
namespace {

// A subfolder met in a listing is known by its volume (its parent's: only a
// link leads to another) and the index the listing gives; the root and a
// link's end are asked for theirs. A folder reached again through a junction
// or link is not entered twice.
struct Subfolder {
    std::string name;
    std::optional<FileKey> id;
};

struct Frame {
    std::size_t pathLength = 0;         // of the walk's path while this folder is on top
    std::vector<Subfolder> subfolders;  // in byte order of their names
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
        if (reach_ && reach_->subfolders) {
            reach_->subfolders->clear();
            for (const auto& sub : stack_.back().subfolders) reach_->subfolders->push_back(sub.name);
        }
        if (reach_ && !reach_->below) stack_.back().subfolders.clear();
        while (!stack_.empty() && !(stop_ && stop_->load(std::memory_order_relaxed))) {
            Frame& top = stack_.back();
            if (top.next == top.subfolders.size()) {
                stack_.pop_back();
                continue;
            }
            path_.resize(top.pathLength);
            const Subfolder& sub = top.subfolders[top.next++];
            path_.append(sub.name).push_back('\\');
            if (!enter(sub.id) && lastError_ != 0 && lastError_ != ERROR_FILE_NOT_FOUND &&
                lastError_ != ERROR_PATH_NOT_FOUND)
                unreadable_.push_back(systemError(ErrorCode::CannotOpen, path_, lastError_));
        }
        return std::move(unreadable_);
    }

private:
    using Files = std::vector<std::pair<std::string, std::optional<FileStamp>>>;

    // Lists the folder at path_: reports its files, pushes it with its subfolders.
    bool enter(std::optional<FileKey> known = std::nullopt) {
        lastError_ = 0;  // none: seen before
        const std::wstring folder = apiPath(path_);
        Handle h(CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        FileKey id = known.value_or(FileKey{});
        if (!h.valid() || (!known && !identify(h.get(), id))) {
            lastError_ = GetLastError();
            return false;
        }
        if (!seen_.insert(id).second) return false;
        Frame frame;
        Files files;
        if (const DWORD error = list(h.get(), id.volume, frame, files); error != 0) {
            lastError_ = error;
            return false;
        }
        std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        std::sort(frame.subfolders.begin(), frame.subfolders.end(),
                  [](const Subfolder& a, const Subfolder& b) { return a.name < b.name; });
        frame.pathLength = path_.size();
        for (const auto& [name, stamp] : files) onFile_(path_, name, stamp);
        stack_.push_back(std::move(frame));
        return true;
    }

    // Lists the folder by its handle: a file's size and times, and a
    // subfolder's index, with no open of each. Some systems (a few network
    // shares) list no indexes: there each subfolder is asked for its own.
    // Returns the error that ended the listing, 0 for its end. An empty drive
    // root has not even "." and "..".
    DWORD list(HANDLE folder, std::uint64_t volume, Frame& frame, Files& files) {
        bool indexes = true;
        FILE_INFO_BY_HANDLE_CLASS part = FileIdBothDirectoryRestartInfo;
        for (bool first = true;; first = false) {
            if (!GetFileInformationByHandleEx(folder, part, listing_.data(),
                                              static_cast<DWORD>(listing_.size() * sizeof listing_[0]))) {
                const DWORD error = GetLastError();
                if (first && indexes &&
                    (error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED ||
                     error == ERROR_INVALID_FUNCTION)) {
                    indexes = false;
                    part = FileFullDirectoryRestartInfo;
                    continue;
                }
                return error == ERROR_NO_MORE_FILES || error == ERROR_FILE_NOT_FOUND ? 0 : error;
            }
            part = indexes ? FileIdBothDirectoryInfo : FileFullDirectoryInfo;
            if (indexes)
                eachEntry<FILE_ID_BOTH_DIR_INFO>([&](const auto& entry) { take(entry, volume, frame, files); });
            else
                eachEntry<FILE_FULL_DIR_INFO>([&](const auto& entry) { take(entry, volume, frame, files); });
        }
    }

    template <class Entry, class Each>
    void eachEntry(const Each& each) const {
        const auto* bytes = reinterpret_cast<const unsigned char*>(listing_.data());
        for (std::size_t at = 0;;) {
            const auto& entry = *reinterpret_cast<const Entry*>(bytes + at);
            each(entry);
            if (entry.NextEntryOffset == 0) return;
            at += entry.NextEntryOffset;
        }
    }

    template <class Entry>
    void take(const Entry& entry, std::uint64_t volume, Frame& frame, Files& files) {
        const std::wstring_view name(entry.FileName, entry.FileNameLength / sizeof(wchar_t));
        if (name == L"." || name == L"..") return;
        const bool link = (entry.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        // Junctions and folder links carry the folder attribute and are followed.
        // The listing carries a file's size and times; a link's would be its own.
        if (entry.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A system that gives no index (0) has the folder asked, as a link's end is.
            std::optional<FileKey> id;
            if constexpr (std::is_same_v<Entry, FILE_ID_BOTH_DIR_INFO>)
                if (!link && entry.FileId.QuadPart != 0)
                    id = FileKey{volume, static_cast<std::uint64_t>(entry.FileId.QuadPart)};
            frame.subfolders.push_back({narrow(name), id});
            if (link && reach_) reach_->linkMet = true;
        } else if (link) {
            const bool stamps = reach_ && reach_->stamps;
            files.emplace_back(narrow(name), stamps ? fileStamp(path_ + narrow(name)) : std::nullopt);
        } else {
            files.emplace_back(narrow(name), stampOf(static_cast<std::uint64_t>(entry.EndOfFile.QuadPart),
                                                     entry.LastWriteTime.QuadPart, entry.CreationTime.QuadPart));
        }
    }

    const OnFile& onFile_;
    const std::atomic<bool>* stop_;
    WalkReach* reach_;
    std::vector<Frame> stack_;
    std::string path_;  // of the folder being entered, ending in "\"
    std::set<FileKey> seen_;
    // The listing's entries, each aligned on eight bytes.
    std::vector<std::uint64_t> listing_ = std::vector<std::uint64_t>(std::size_t{64} * 1024 / sizeof(std::uint64_t));
    DWORD lastError_ = 0;
    UnreadableFolders unreadable_;
};

}  // namespace

Result<UnreadableFolders> walkFolders(const std::string& root, const OnFile& onFile, const std::atomic<bool>* stop,
                                      WalkReach* reach) {
    return Walker(onFile, stop, reach).run(root);
}

}  // namespace pitbox::platform
