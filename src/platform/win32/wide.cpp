#include "platform/win32/wide.h"

#include <vector>

#include "platform/paths.h"

namespace pitbox::platform {

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n, nullptr, nullptr);
    return out;
}

namespace {

bool isSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring currentFolder() {
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring out(n, L'\0');
    out.resize(GetCurrentDirectoryW(n, out.data()));
    return out;
}

}  // namespace

std::wstring apiPath(const std::string& path) {
    std::wstring p = widen(path);
    if (p.rfind(L"\\\\?\\", 0) == 0) return p;
    // The root the path starts from: a share, a drive, or the current folder.
    std::wstring root;
    std::size_t rest = 0;
    if (p.size() >= 2 && isSlash(p[0]) && isSlash(p[1])) {
        // \\server\share\...
        std::size_t at = 2;
        for (int part = 0; part < 2; ++part) {
            while (at < p.size() && !isSlash(p[at])) ++at;
            if (part == 0 && at < p.size()) ++at;
        }
        root = L"\\\\?\\UNC\\" + p.substr(2, at - 2);
        rest = at;
    } else if (p.size() >= 3 && p[1] == L':' && isSlash(p[2])) {
        root = L"\\\\?\\" + p.substr(0, 2);
        rest = 3;
    } else if (!p.empty() && isSlash(p[0])) {
        const std::wstring here = currentFolder();
        root = L"\\\\?\\" + here.substr(0, 2);  // the current drive
        rest = 1;
    } else {
        // "T:name" starts from drive T's own current folder ("T:\\" when none was
        // set), anything else from the current folder.
        std::wstring here = currentFolder();
        if (p.size() >= 2 && p[1] == L':') {
            wchar_t full[MAX_PATH];
            const DWORD n = GetFullPathNameW(p.substr(0, 2).c_str(), MAX_PATH, full, nullptr);
            here = n > 0 && n < MAX_PATH ? std::wstring(full, n) : p.substr(0, 2) + L"\\";
            rest = 2;
        }
        root = here.rfind(L"\\\\", 0) == 0 ? L"\\\\?\\UNC\\" + here.substr(2) : L"\\\\?\\" + here;
        while (!root.empty() && root.back() == L'\\') root.pop_back();
    }
    for (auto& c : root)
        if (c == L'/') c = L'\\';
    // The parts, with "." dropped and ".." taking the part before it away.
    std::vector<std::wstring> parts;
    std::size_t at = rest;
    while (at <= p.size()) {
        std::size_t end = at;
        while (end < p.size() && !isSlash(p[end])) ++end;
        const std::wstring part = p.substr(at, end - at);
        if (part == L"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::wstring out = root;
    for (const std::wstring& part : parts) out.append(L"\\").append(part);
    if (parts.empty() || (!p.empty() && isSlash(p.back()))) out.push_back(L'\\');
    return out;
}

Result<std::wstring> creatablePath(const std::string& path) {
    std::string folder(pathPart(path));
    const std::string_view typed = filePart(path);
    const std::string_view name = typedName(typed);
    if (name.empty()) return Error{ErrorCode::BadName, path, "not a name Windows can keep"};
    if (isDeviceName(name)) return Error{ErrorCode::BadName, path, "a device name on Windows"};
    return apiPath(folder.append(name));
}

Error systemError(ErrorCode code, const std::string& file, DWORD number) {
    wchar_t* text = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, number, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = n > 0 ? narrow(std::wstring_view(text, n)) : "error " + std::to_string(number);
    if (text) LocalFree(text);
    while (!reason.empty() &&
           (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    if (code == ErrorCode::CannotOpen && (number == ERROR_FILE_NOT_FOUND || number == ERROR_PATH_NOT_FOUND))
        code = ErrorCode::Missing;
    if (number == ERROR_DISK_FULL || number == ERROR_HANDLE_DISK_FULL) code = ErrorCode::NoSpace;
    return Error{code, file, reason};
}

bool identify(HANDLE h, FileKey& id) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info)) return false;
    id = keyOf(info);
    return true;
}

}  // namespace pitbox::platform
