#include "support/folder_link.h"

#ifdef _WIN32
#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <vector>

#include "platform/win32/wide.h"
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pitbox::test {

#ifdef _WIN32
bool makeFolderLink(const std::string& link, const std::string& target) {
    const std::wstring at = platform::apiPath(link);
    if (!CreateDirectoryW(at.c_str(), nullptr)) return false;
    platform::Handle h(CreateFileW(at.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    // A mount point's reparse data: its tag, then the target's name as NT writes it.
    const std::wstring name = L"\\??\\" + platform::widen(target);
    std::vector<std::uint8_t> buffer(16 + (name.size() + 2) * 2, 0);
    auto put16 = [&](std::size_t offset, std::size_t v) { std::memcpy(&buffer[offset], &v, 2); };
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    std::memcpy(&buffer[0], &tag, 4);
    put16(4, buffer.size() - 8);
    put16(10, name.size() * 2);
    put16(12, (name.size() + 1) * 2);
    std::memcpy(&buffer[16], name.c_str(), name.size() * 2);
    DWORD got = 0;
    return h.valid() && DeviceIoControl(h.get(), FSCTL_SET_REPARSE_POINT, buffer.data(),
                                        static_cast<DWORD>(buffer.size()), nullptr, 0, &got, nullptr);
}

bool isLink(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(platform::apiPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
#else
bool makeFolderLink(const std::string& link, const std::string& target) {
    return ::symlink(target.c_str(), link.c_str()) == 0;
}

bool isLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}
#endif

}  // namespace pitbox::test
