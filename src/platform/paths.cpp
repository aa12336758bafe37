#include "platform/paths.h"

#include "base/text.h"
#include "platform/files.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/wide.h"
#endif

namespace pitbox::platform {

std::string nativeSeparators(std::string path) {
    for (char& c : path)
        if (isSeparator(c)) c = kSeparator;
    return path;
}

std::string_view filePart(std::string_view path) {
    const auto at = lastSeparator(path);
    return at == std::string_view::npos ? path : path.substr(at + 1);
}

std::string_view pathPart(std::string_view path) {
    const auto at = lastSeparator(path);
    return at == std::string_view::npos ? std::string_view{} : path.substr(0, at + 1);
}

std::string withSeparator(std::string folder) {
    if (folder.empty() || !isSeparator(folder.back())) folder.push_back(kSeparator);
    return folder;
}

std::string withoutSeparator(std::string folder) {
    while (folder.size() > 1 && isSeparator(folder.back())) folder.pop_back();
    return folder;
}

namespace {

// Length of the part of a path that Back never leaves: "/" on Linux; on Windows
// a drive root "C:\" or a share root "\\server\share\".
std::size_t rootLength(std::string_view p) {
#ifdef _WIN32
    if (p.size() >= 2 && isSeparator(p[0]) && isSeparator(p[1])) {
        std::size_t at = 2;
        for (int part = 0; part < 2 && at < p.size(); ++part) {
            while (at < p.size() && !isSeparator(p[at])) ++at;
            if (at < p.size()) ++at;
        }
        return at;
    }
    if (p.size() >= 2 && p[1] == ':') return p.size() >= 3 && isSeparator(p[2]) ? 3 : 2;
    return isSeparator(p.empty() ? '\0' : p[0]) ? 1 : 0;
#else
    return !p.empty() && p[0] == '/' ? 1 : 0;
#endif
}

}  // namespace

std::string parentFolder(const std::string& folder) {
    const std::size_t root = rootLength(folder);
    std::size_t n = folder.size();
    if (n > root && isSeparator(folder[n - 1])) --n;
    while (n > root) {
        if (isSeparator(folder[n - 1])) return folder.substr(0, n);
        --n;
    }
    return root > 0 ? folder.substr(0, root) : folder;
}

std::string foldedName(std::string_view name) {
#ifdef _WIN32
    const std::wstring wide = widen(name);
    if (wide.empty()) return {};
    std::wstring folded(wide.size() * 2, L'\0');
    const int n = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, wide.c_str(), static_cast<int>(wide.size()),
                                folded.data(), static_cast<int>(folded.size()), nullptr, nullptr, 0);
    if (n <= 0) return asciiLower(name);
    folded.resize(static_cast<std::size_t>(n));
    return narrow(folded);
#else
    return asciiLower(name);
#endif
}

bool fitsInName(std::string_view name) {
#ifdef _WIN32
    std::size_t units = 0;
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        units += (c & 0xC0) == 0x80 ? 0 : (c >= 0xF0 ? 2 : 1);  // four-byte characters take two units
    }
    return units <= 255;
#else
    return name.size() <= 255;
#endif
}

std::string_view typedName(std::string_view name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
    return name;
}

bool isDeviceName(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    const std::string lower = asciiLower(stem);
    if (lower == "con" || lower == "prn" || lower == "aux" || lower == "nul") return true;
    if (lower.size() < 4 || (lower.compare(0, 3, "com") != 0 && lower.compare(0, 3, "lpt") != 0)) return false;
    const std::string_view digit = std::string_view(lower).substr(3);
    return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\u00b9" || digit == "\u00b2" ||
           digit == "\u00b3";
}

std::string userPath(const std::string& typed) {
    std::string path = nativeSeparators(typed);
#ifdef _WIN32
    if (path.size() >= 2 && path[1] == ':' && (path.size() == 2 || !isSeparator(path[2]))) {
        // The drive's current folder, which Windows keeps per drive ("T:\" when none was set).
        const std::wstring drive = widen(path.substr(0, 2));
        wchar_t full[MAX_PATH];
        const DWORD n = GetFullPathNameW(drive.c_str(), MAX_PATH, full, nullptr);
        if (n > 0 && n < MAX_PATH) path = withSeparator(narrow(std::wstring_view(full, n))) + path.substr(2);
    }
#endif
    // Doubled separators made single; a share's leading pair stays.
    std::string out;
    out.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        const bool shareStart = i == 1 && kSeparator == '\\';
        if (i > 0 && !shareStart && path[i] == kSeparator && path[i - 1] == kSeparator) continue;
        out.push_back(path[i]);
    }
    return out;
}

std::string fullFolder(const std::string& typed) {
    const std::string path = userPath(typed);
#ifdef _WIN32
    const std::wstring wide = widen(path);
    const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(n, L'\0');
    const DWORD got = n > 0 ? GetFullPathNameW(wide.c_str(), n, full.data(), nullptr) : 0;
    if (got == 0 || got >= n) return withSeparator(path);
    full.resize(got);
    return withSeparator(narrow(full));
#else
    const std::string absolute = absolutePath(path, workingFolder());
    std::string out = "/";
    for (std::size_t at = 1; at <= absolute.size();) {
        std::size_t end = absolute.find('/', at);
        if (end == std::string::npos) end = absolute.size();
        const std::string_view step(absolute.data() + at, end - at);
        if (step == "..")
            out = parentFolder(out);
        else if (!step.empty() && step != ".")
            out.append(step).push_back('/');
        at = end + 1;
    }
    return out;
#endif
}

std::string absolutePath(const std::string& path, const std::string& base) {
    if (rootLength(path) > 0) return path;
    return withSeparator(base) + path;
}

}  // namespace pitbox::platform
