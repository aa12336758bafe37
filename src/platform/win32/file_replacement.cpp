#include "platform/file_replacement.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "platform/paths.h"
#include "platform/temporary_name.h"
#include "platform/win32/open_regular.h"
#include "platform/win32/temporaries.h"
#include "platform/win32/wide.h"

namespace pitbox::platform {

struct FileReplacement::State {
    std::string target;      // as given, for messages
    std::wstring finalPath;  // the target with its links followed
    std::wstring tempPath;
    std::string destination;  // the final path folded, as the file system compares names
    Handle handle;
    std::optional<FileKey> replaces;

    ~State() {
        if (tempPath.empty()) return;
        forgetTemporary(tempPath);
        handle.reset();
        DeleteFileW(tempPath.c_str());
    }
    Error failure(ErrorCode code, DWORD number = GetLastError()) const { return systemError(code, target, number); }
};

namespace {

std::wstring folderOf(const std::wstring& path) {
    const auto at = path.find_last_of(L"\\/");
    return at == std::wstring::npos ? std::wstring{} : path.substr(0, at + 1);
}

// A file open anywhere cannot be renamed over, however its opener shares it:
// the rename is refused with Access denied while, say, another Pitbox reads
// the library store. Readers let go within moments, so the rename is tried
// again for a while before that counts as a failure.
bool renameOver(const std::wstring& from, const std::wstring& to) {
    using namespace std::chrono_literals;
    const auto until = std::chrono::steady_clock::now() + 3s;
    for (;;) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
            std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(10ms);
    }
}

unsigned nextTag() {
    static std::mt19937 random(std::random_device{}() ^ GetCurrentProcessId());
    return static_cast<unsigned>(random());
}

}  // namespace

FileReplacement::FileReplacement(std::unique_ptr<State> state) : state_(std::move(state)) {}
FileReplacement::FileReplacement(FileReplacement&& other) noexcept = default;
FileReplacement::~FileReplacement() = default;

const std::string& FileReplacement::target() const { return state_->target; }
std::optional<FileKey> FileReplacement::replaces() const { return state_->replaces; }
const std::string& FileReplacement::destination() const { return state_->destination; }

Result<FileReplacement> FileReplacement::create(const std::string& target) {
    auto state = std::make_unique<State>();
    State& s = *state;
    s.target = target;
    if (filePart(target).empty()) return s.failure(ErrorCode::WriteFailed, ERROR_DIRECTORY);
    auto path = creatablePath(target);
    if (!path) return path.error();
    auto followed = followLinks(target);
    if (!followed) return followed.error();
    s.finalPath = *followed == target ? *path : apiPath(*followed);
    s.destination = foldedName(narrow(s.finalPath));
    // Folders open too (backup semantics), to be refused.
    Handle existing(CreateFileW(s.finalPath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (existing.valid() && GetFileInformationByHandle(existing.get(), &info)) {
        // Only a file is replaced, never a folder.
        if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            return Error{ErrorCode::NotRegularFile, target, "not a regular file"};
        // The read-only attribute is the user saying "keep this".
        if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) return Error{ErrorCode::ReadOnly, target, "read-only"};
        s.replaces = keyOf(info);
    }
    const std::wstring folder = folderOf(s.finalPath);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring candidate = folder + widen(temporaryName(nextTag()));
        // Shared for deleting only: the rename works while it is open, and a
        // copy that cleans up cannot open it to remove it.
        s.handle = Handle(CreateFileW(candidate.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (s.handle.valid()) {
            s.tempPath = std::move(candidate);
            rememberTemporary(s.tempPath, s.handle.get());
            break;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) return s.failure(ErrorCode::WriteFailed);
    }
    if (!s.handle.valid()) return s.failure(ErrorCode::WriteFailed, ERROR_FILE_EXISTS);
    return FileReplacement(std::move(state));
}

Result<void> FileReplacement::write(std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        if (!WriteFile(state_->handle.get(), bytes.data(), want, &n, nullptr))
            return state_->failure(ErrorCode::WriteFailed);
        if (n == 0) return state_->failure(ErrorCode::WriteFailed, ERROR_DISK_FULL);
        bytes.remove_prefix(n);
    }
    return {};
}

Result<std::uint64_t> FileReplacement::copyFrom(const std::string& source) {
    auto in = openRegularFile(source);
    if (!in) return in.error();
    if (state_->replaces) {
        FileKey id;
        if (!identify(in->handle.get(), id)) return systemError(ErrorCode::ReadFailed, source);
        if (*state_->replaces == id) return Error{ErrorCode::SameFile, state_->target, "is the source itself"};
    }
    // Its times before and after tell a file rewritten in place, which keeps its size.
    const auto times = [&](FILE_BASIC_INFO& info) {
        return GetFileInformationByHandleEx(in->handle.get(), FileBasicInfo, &info, sizeof info) != 0;
    };
    FILE_BASIC_INFO before{}, after{};
    if (!times(before)) return systemError(ErrorCode::ReadFailed, source);
    // The bytes the file had when it was opened, and not one more: a file that
    // keeps growing must not keep the copy going.
    std::string buffer(std::size_t{64} * 1024, '\0');
    unsigned long long copied = 0;
    while (copied < in->size) {
        DWORD n = 0;
        const auto want = static_cast<DWORD>(std::min<unsigned long long>(buffer.size(), in->size - copied));
        if (!ReadFile(in->handle.get(), buffer.data(), want, &n, nullptr))
            return systemError(ErrorCode::ReadFailed, source);
        if (n == 0) break;
        if (auto written = write(std::string_view(buffer.data(), n)); !written) return written.error();
        copied += n;
    }
    LARGE_INTEGER size{};
    if (copied != in->size || !GetFileSizeEx(in->handle.get(), &size) ||
        static_cast<unsigned long long>(size.QuadPart) != in->size || !times(after) ||
        after.LastWriteTime.QuadPart != before.LastWriteTime.QuadPart ||
        after.ChangeTime.QuadPart != before.ChangeTime.QuadPart)
        return Error{ErrorCode::Changed, source, "changed while it was copied"};
    return copied;
}

std::vector<Result<void>> commitAll(std::vector<FileReplacement>& batch) {
    std::vector<Result<void>> results;
    results.reserve(batch.size());
    // There is no flush of a whole volume for us: each file is flushed, then
    // renamed while still open (so that no cleaning copy can take it), and the
    // rename is written through to the disk.
    for (FileReplacement& replacement : batch) {
        FileReplacement::State& s = *replacement.state_;
        if (!FlushFileBuffers(s.handle.get()) || !renameOver(s.tempPath, s.finalPath)) {
            results.emplace_back(s.failure(ErrorCode::WriteFailed));
            continue;
        }
        forgetTemporary(s.tempPath);
        s.tempPath.clear();
        if (!s.handle.close()) {
            results.emplace_back(s.failure(ErrorCode::WriteFailed));
            continue;
        }
        results.emplace_back();
    }
    batch.clear();
    return results;
}

void removeDeadTemporaries(const std::string& folder) {
    const std::wstring at = apiPath(withSeparator(folder));
    WIN32_FIND_DATAW found{};
    HANDLE search =
        FindFirstFileExW((at + L".pitbox-*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!isTemporaryName(narrow(found.cFileName)) || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        // Opening it unshared succeeds only when no writer holds it; closing
        // then removes it.
        Handle dead(CreateFileW((at + found.cFileName).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace pitbox::platform
