#include "platform/trash.h"

// clang-format off
#include "platform/win32/wide.h"  // windows.h, which shellapi.h needs first
#include <shellapi.h>
// clang-format on

namespace pitbox::platform {

std::string trashName() { return "the Recycle Bin"; }

namespace {

// The shell takes plain full paths, without the "\\?\" form.
std::wstring shellPath(const std::string& path) {
    std::wstring wide = widen(path);
    const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0) return wide;
    std::wstring full(n, L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), n, full.data(), nullptr));
    return full;
}

// A drive without a Recycle Bin (a network share, some removable media)
// would have the shell delete the file outright: such a file stays.
bool hasRecycleBin(const std::wstring& path) {
    wchar_t root[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(path.c_str(), root, MAX_PATH)) return false;
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    return SUCCEEDED(SHQueryRecycleBinW(root, &info));
}

}  // namespace

Result<void> moveToTrash(const std::string& path) {
    const std::wstring full = shellPath(path);
    const DWORD attributes = GetFileAttributesW(apiPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return systemError(ErrorCode::Missing, path);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return Error{ErrorCode::NotRegularFile, path, "not a regular file"};
    if (full.size() >= MAX_PATH) return Error{ErrorCode::NoTrash, path, "too long a path for the Recycle Bin"};
    if (!hasRecycleBin(full)) return Error{ErrorCode::NoTrash, path, "its drive has no Recycle Bin"};
    const std::wstring from = full + L'\0';  // the list ends in two NULs
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    // With undo, into the Recycle Bin; should the shell find it cannot recycle
    // the file after all, it asks before deleting rather than deleting.
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT | FOF_WANTNUKEWARNING;
    const int failed = SHFileOperationW(&operation);
    if (failed != 0 || operation.fAnyOperationsAborted)
        return Error{ErrorCode::NoTrash, path, "the Recycle Bin did not take it (code " + std::to_string(failed) + ")"};
    if (GetFileAttributesW(apiPath(path).c_str()) != INVALID_FILE_ATTRIBUTES)
        return Error{ErrorCode::NoTrash, path, "the Recycle Bin did not take it"};
    return {};
}

// The shell holds nothing between moves: each is a move of its own.
struct TrashMoves::State {};
TrashMoves::TrashMoves() = default;
TrashMoves::~TrashMoves() = default;
Result<void> TrashMoves::move(const std::string& path) { return moveToTrash(path); }

}  // namespace pitbox::platform
