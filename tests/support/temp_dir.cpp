#include "support/temp_dir.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/files.h"

namespace pitbox::test {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

TempDir::TempDir() {
#ifdef _WIN32
    std::mt19937 random(std::random_device{}() ^ GetCurrentProcessId());
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const fs::path candidate = fs::temp_directory_path() / ("pitbox-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) path_ = candidate.string() + "\\";
    }
    if (path_.empty()) throw std::runtime_error("no temporary folder");
#else
    char pattern[] = "/tmp/pitbox-test-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    ::chmod(pattern, 0755);
    path_ = std::string(pattern) + "/";
#endif
}

TempDir::~TempDir() {
    std::error_code ec;
#ifndef _WIN32
    // Make every folder writable again so that everything can be removed.
    for (auto it = fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0755);
    }
#endif
    fs::remove_all(path_, ec);
}

std::string TempDir::operator/(const std::string& relative) const {
    std::string p = path_ + relative;
    std::replace(p.begin() + static_cast<std::ptrdiff_t>(path_.size()), p.end(), '/', kSeparator);
    return p;
}

std::string TempDir::mkdirs(const std::string& relative) const {
    std::string p = *this / relative;
    fs::create_directories(p);
    if (!p.empty() && p.back() != kSeparator) p.push_back(kSeparator);
    return p;
}

std::vector<std::string> TempDir::list(const std::string& relative) const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(*this / relative)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void removeFile(const std::string& path) {
    std::error_code ec;
    fs::remove(path, ec);
}

void removeTreeAsAnotherProgram(const std::string& path) {
    std::error_code ec;
#ifdef _WIN32
    // Under Wine a folder another handle of this process holds goes only when
    // that closes, which a watch's never does: the host's rm removes it, as a
    // user's shell would.
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName) {
        const std::wstring wide = fs::path(path).wstring();
        char* host = unixName(wide.c_str());
        std::string command = std::string("/bin/rm -rf \"") + host + "\"";
        HeapFree(GetProcessHeap(), 0, host);
        STARTUPINFOA start{};
        start.cb = sizeof start;
        PROCESS_INFORMATION process{};
        if (CreateProcessA("Z:\\bin\\rm", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start,
                           &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        // A host program's end cannot be waited for: its work can.
        for (int i = 0; i < 500 && fs::exists(path, ec); ++i) Sleep(10);
        return;
    }
#endif
    fs::remove_all(path, ec);
}

std::string missingFileReason() {
    std::vector<std::uint8_t> bytes;
    const auto read = platform::readRegularFile(TempDir() / "missing", 10, bytes);
    return read ? std::string{} : read.error().reason;
}

}  // namespace pitbox::test

namespace pitbox::test {

std::string testTrash() {
#ifdef _WIN32
    return {};
#else
    static const TempDir home;
    static const bool set =
        ::setenv("HOME", home.path().c_str(), 1) == 0 && ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1) == 0;
    if (!set) throw std::runtime_error("no test trash");
    return home / "data/Trash/";
#endif
}

}  // namespace pitbox::test
