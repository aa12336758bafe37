#include "platform/trash.h"

#include <gio/gio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cstdint>
#include <memory>

#include "platform/linux/system_error.h"
#include "platform/paths.h"

namespace pitbox::platform {

std::string trashName() { return "the trash"; }

namespace {

// GIO keeps the freedesktop trash as every desktop reads it: which trash a
// volume uses, the .trashinfo files, names that clash there.
Error trashError(const std::string& path, const GError& error) {
    switch (error.code) {
        case G_IO_ERROR_NOT_FOUND: return Error{ErrorCode::Missing, path, "not there"};
        case G_IO_ERROR_NOT_SUPPORTED: return Error{ErrorCode::NoTrash, path, "its volume has no trash"};
        case G_IO_ERROR_PERMISSION_DENIED: return Error{ErrorCode::NoTrash, path, "no access to its trash"};
        default: return Error{ErrorCode::NoTrash, path, error.message};
    }
}

// GIO moves the file even when its .trashinfo could not be written (no space
// for its few bytes), leaving an entry no desktop can put back: a volume that
// nearly full keeps the file.
constexpr std::uint64_t kRoomForTrashEntry = 64 * 1024;
bool hasRoomForTrashEntry(const std::string& path) {
    struct statvfs volume {};
    return ::statvfs(path.c_str(), &volume) != 0 ||
           std::uint64_t{volume.f_bavail} * volume.f_frsize >= kRoomForTrashEntry;
}

}  // namespace

Result<void> moveToTrash(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return systemError(ErrorCode::CannotOpen, path);
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
        return Error{ErrorCode::NotRegularFile, path, "not a regular file"};
    if (!hasRoomForTrashEntry(std::string(pathPart(path).empty() ? "." : pathPart(path))))
        return Error{ErrorCode::NoTrash, path, "no space left on its volume for the trash"};
    const std::unique_ptr<GFile, decltype(&g_object_unref)> file(g_file_new_for_path(path.c_str()), g_object_unref);
    GError* failure = nullptr;
    if (g_file_trash(file.get(), nullptr, &failure)) return {};
    Error error = trashError(path, *failure);
    g_error_free(failure);
    return error;
}

}  // namespace pitbox::platform
