#include "platform/files.h"

#include <algorithm>

#include "platform/paths.h"
#include "platform/win32/open_regular.h"
#include "platform/win32/wide.h"

namespace pitbox::platform {

Result<OpenFile> openRegularFile(const std::string& path) {
    const std::wstring at = apiPath(path);
    const DWORD attributes = GetFileAttributesW(at.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return systemError(ErrorCode::CannotOpen, path);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Error{ErrorCode::NotRegularFile, path, "not a regular file"};
    OpenFile file;
    // Others may rename or remove the file while it is read, as on Linux: the
    // read goes on with the bytes it opened. Writing into it is still refused,
    // and a file renamed over it waits for the read to end.
    file.handle = Handle(CreateFileW(at.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.handle.valid()) return systemError(ErrorCode::CannotOpen, path);
    // The standard information, not the whole: that one asks the volume for its
    // serial number too, which under Wine is a trip to another process and costs
    // several times the open. Those who need the file's identity ask for it.
    FILE_STANDARD_INFO info{};
    if (GetFileType(file.handle.get()) != FILE_TYPE_DISK ||
        !GetFileInformationByHandleEx(file.handle.get(), FileStandardInfo, &info, sizeof info) || info.Directory)
        return Error{ErrorCode::NotRegularFile, path, "not a regular file"};
    file.size = static_cast<unsigned long long>(info.EndOfFile.QuadPart);
    return file;
}

struct FileReader::State {
    OpenFile file;
    std::string path;
};

FileReader::FileReader(std::unique_ptr<State> state) : state_(std::move(state)) {}
FileReader::FileReader(FileReader&&) noexcept = default;
FileReader& FileReader::operator=(FileReader&&) noexcept = default;
FileReader::~FileReader() = default;

Result<FileReader> FileReader::open(const std::string& path) {
    auto file = openRegularFile(path);
    if (!file) return file.error();
    return FileReader(std::make_unique<State>(State{std::move(*file), path}));
}

Result<std::size_t> FileReader::read(std::span<std::uint8_t> into) {
    std::size_t got = 0;
    while (got < into.size()) {
        DWORD n = 0;
        const auto want = static_cast<DWORD>(std::min<std::size_t>(into.size() - got, 1u << 20));
        if (!ReadFile(state_->file.handle.get(), into.data() + got, want, &n, nullptr))
            return systemError(ErrorCode::ReadFailed, state_->path);
        if (n == 0) break;
        got += n;
    }
    return got;
}

Result<void> FileReader::seek(std::uint64_t offset) {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(state_->file.handle.get(), to, nullptr, FILE_BEGIN))
        return systemError(ErrorCode::ReadFailed, state_->path);
    return {};
}

std::uint64_t FileReader::size() const { return state_->file.size; }
const std::string& FileReader::path() const { return state_->path; }

Result<FileStatus> fileStatus(const std::string& path) {
    Handle h(CreateFileW(apiPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!h.valid() || !GetFileInformationByHandle(h.get(), &info)) return systemError(ErrorCode::CannotOpen, path);
    return FileStatus{keyOf(info), static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow,
                      ticksOf(info.ftLastWriteTime), (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0};
}

Result<std::string> followLinks(const std::string& path) {
    const std::wstring at = apiPath(path);
    const DWORD attributes = GetFileAttributesW(at.c_str());  // of the link itself
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return path;
    Handle h(CreateFileW(at.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.valid()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return Error{ErrorCode::NotRegularFile, path, "a link to nothing"};
        return systemError(ErrorCode::CannotOpen, path, error);
    }
    std::wstring final(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(h.get(), final.data(), static_cast<DWORD>(final.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n >= final.size()) return systemError(ErrorCode::CannotOpen, path);
    final.resize(n);
    // As the program writes paths: without the "\\?\" prefix of the API's form.
    if (final.starts_with(L"\\\\?\\UNC\\")) return "\\\\" + narrow(std::wstring_view(final).substr(8));
    if (final.starts_with(L"\\\\?\\")) return narrow(std::wstring_view(final).substr(4));
    return narrow(final);
}

Result<std::vector<std::string>> namesInFolder(const std::string& folder) {
    std::wstring pattern = apiPath(folder);
    while (!pattern.empty() && pattern.back() == L'\\') pattern.pop_back();
    pattern += L"\\*";
    WIN32_FIND_DATAW found{};
    HANDLE listing = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                      FIND_FIRST_EX_LARGE_FETCH);
    if (listing == INVALID_HANDLE_VALUE) return systemError(ErrorCode::CannotOpen, folder);
    std::vector<std::string> names;
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(narrow(name));
    } while (FindNextFileW(listing, &found));
    FindClose(listing);
    return names;
}

Result<std::string> makeFolder(const std::string& path) {
    std::string name = path;
    while (!name.empty() && isSeparator(name.back())) name.pop_back();
    auto at = creatablePath(name);
    if (!at) return at.error();
    if (CreateDirectoryW(at->c_str(), nullptr))
        return withSeparator(name.substr(0, pathPart(name).size()) + std::string(typedName(filePart(name))));
    const DWORD error = GetLastError();
    return systemError(error == ERROR_ALREADY_EXISTS ? ErrorCode::Exists : ErrorCode::WriteFailed, path, error);
}

FileStamp stampOf(std::uint64_t size, std::int64_t written, std::int64_t created) {
    // FAT keeps write times in two-second steps: a time within that of now
    // could be written again unseen. Ticks of 100 ns.
    const std::int64_t settle = std::chrono::duration_cast<std::chrono::nanoseconds>(settleTime()).count() / 100;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return {size, written, created, 0, std::max(written, created) < ticksOf(now) - settle};
}

std::optional<FileStamp> fileStamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(apiPath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    // A link's own size and times would not follow its file: those are looked up through it.
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        Handle h(CreateFileW(apiPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!h.valid() || !GetFileInformationByHandle(h.get(), &info)) return std::nullopt;
        return stampOf(static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow,
                       ticksOf(info.ftLastWriteTime), ticksOf(info.ftCreationTime));
    }
    return stampOf(static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
                   ticksOf(data.ftLastWriteTime), ticksOf(data.ftCreationTime));
}

Result<void> renameFile(const std::string& from, const std::string& to) {
    if (!MoveFileExW(apiPath(from).c_str(), apiPath(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return systemError(ErrorCode::WriteFailed, from);
    return {};
}

Result<void> removeFile(const std::string& path) {
    if (!DeleteFileW(apiPath(path).c_str())) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            return systemError(ErrorCode::WriteFailed, path, error);
    }
    return {};
}

Result<void> removeFolder(const std::string& folder) {
    if (!RemoveDirectoryW(apiPath(folder).c_str())) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            return systemError(ErrorCode::WriteFailed, folder, error);
    }
    return {};
}

std::string userStateFolder() {
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    return local && local[0] != L'\0' ? withSeparator(narrow(local)) : std::string();
}

std::string workingFolder() {
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(n, L'\0');
    folder.resize(GetCurrentDirectoryW(n, folder.data()));
    return withSeparator(narrow(folder));
}

}  // namespace pitbox::platform
