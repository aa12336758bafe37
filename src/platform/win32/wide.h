#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "base/result.h"
#include "platform/files.h"
#include "platform/utf16.h"

namespace pitbox::platform {

// The form every path takes at the API: absolute, "\" throughout, "." and ".."
// resolved, and the "\\?\" prefix, so that neither the 260-character limit nor
// the reserved device names (a file "CON.trk" is a file) apply. Never shown.
std::wstring apiPath(const std::string& path);

// The API path of a file or folder about to be made: its name loses trailing
// dots and spaces as Windows does for typed names, and a device name (CON,
// NUL.txt, COM1 ...) is refused, so nothing the program makes is a name other
// programs cannot open.
Result<std::wstring> creatablePath(const std::string& path);

// An error from GetLastError (or the given code), with the system's text.
Error systemError(ErrorCode code, const std::string& file, DWORD number = GetLastError());

// Owns one handle and closes it when it goes away.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(Handle&& other) noexcept : h_(other.h_) { other.h_ = INVALID_HANDLE_VALUE; }
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = other.h_;
            other.h_ = INVALID_HANDLE_VALUE;
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }

    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    void reset() {
        if (valid()) CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }
    // Closes now and tells whether the close succeeded.
    bool close() {
        if (!valid()) return true;
        const BOOL closed = CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return closed != 0;
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// The identity of a file or folder: its volume and its index there.
inline FileKey keyOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber, static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
}
bool identify(HANDLE h, FileKey& id);
inline std::int64_t ticksOf(FILETIME t) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime);
}
// A file's stamp from its size and its write and creation times (ticksOf), looked at now.
FileStamp stampOf(std::uint64_t size, std::int64_t written, std::int64_t created);

}  // namespace pitbox::platform
