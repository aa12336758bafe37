#include "platform/trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>

#include "platform/files.h"
#include "platform/linux/base_folders.h"
#include "platform/linux/file_descriptor.h"
#include "platform/linux/system_error.h"
#include "platform/paths.h"

// The freedesktop trash, as every desktop reads it: a trash folder holds the
// files in files/ and, for each, a NAME.trashinfo in info/ saying where it
// came from and when. A file on the volume of the home folder goes to the
// home trash ($XDG_DATA_HOME/Trash); one on another volume to the top of that
// volume, $TOP/.Trash/UID where an administrator made $TOP/.Trash (sticky, no
// link), else $TOP/.Trash-UID, its path kept relative to $TOP so the volume
// can be mounted elsewhere. A trash on another volume is never used: the
// move must be a rename, so the file is never copied and deleted.

namespace pitbox::platform {

std::string trashName() { return "the trash"; }

namespace {

struct TrashFolder {
    FileDescriptor files, info;
    std::string top;  // relative paths start here; empty for the home trash (absolute paths)
};

Error noTrash(const std::string& path, const std::string& why) { return Error{ErrorCode::NoTrash, path, why}; }
Error trashFailure(const std::string& path, int number) {
    return number == ENOSPC || number == EDQUOT ? noTrash(path, "no space left on its volume for the trash")
                                                : systemError(ErrorCode::NoTrash, path, number);
}

// A folder of the trash, made (only for this user) when missing; never a link.
bool ownFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

Result<std::shared_ptr<TrashFolder>> openTrash(const std::string& path, const std::string& folder, std::string top) {
    if (!ownFolder(folder) || !ownFolder(folder + "files") || !ownFolder(folder + "info"))
        return noTrash(path, "its trash " + folder + " cannot be used");
    auto trash = std::make_shared<TrashFolder>();
    trash->files.reset(::open((folder + "files").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    trash->info.reset(::open((folder + "info").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!trash->files.valid() || !trash->info.valid()) return systemError(ErrorCode::NoTrash, path);
    trash->top = std::move(top);
    return trash;
}

std::string homeTrashFolder() {
    const std::string data = baseFolder("XDG_DATA_HOME", ".local/share/");
    return data.empty() ? data : data + "Trash/";
}

// The top of the volume a folder lies on: the last folder on its way up that
// is on the same device.
std::string topOfVolume(std::string folder, dev_t device) {
    while (folder.size() > 1) {
        const std::string parent = parentFolder(folder);
        struct stat st {};
        if (::stat(parent.c_str(), &st) != 0 || st.st_dev != device) break;
        folder = parent;
    }
    return folder;
}

// The trash for a file on `device` in `folder` (a real path, ending in "/").
Result<std::shared_ptr<TrashFolder>> findTrash(const std::string& path, const std::string& folder, dev_t device) {
    const std::string home = homeTrashFolder();
    if (!home.empty()) {
        // The home trash's device: that of the trash, or of the nearest folder
        // on its way that is there.
        struct stat st {};
        std::string at = home;
        while (::stat(at.c_str(), &st) != 0 && at.size() > 1) at = parentFolder(at);
        if (st.st_dev == device) {
            (void)makeFolders(parentFolder(home));
            return openTrash(path, home, {});
        }
    }
    const std::string top = topOfVolume(folder, device);
    const std::string uid = std::to_string(::geteuid());
    struct stat shared {};
    if (::lstat((top + ".Trash").c_str(), &shared) == 0 && S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX))
        if (auto trash = openTrash(path, top + ".Trash/" + uid + "/", top)) return trash;
    return openTrash(path, top + ".Trash-" + uid + "/", top);
}

std::string escapedPath(std::string_view path) {
    std::string out;
    for (const char ch : path) {
        const bool unreserved = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
                                ch == '/' || ch == '-' || ch == '_' || ch == '.' || ch == '~';
        if (unreserved) {
            out += ch;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(ch));
            out += hex;
        }
    }
    return out;
}

std::string deletionDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// "Ring.trk", "Ring.2.trk", "Ring.3.trk" ... A name with its ".trashinfo"
// must fit in one name of the file system (255 bytes): a longer one keeps as
// much of its start as fits, never cut inside a character, and its extension.
std::string nameInTrash(std::string_view name, int attempt) {
    constexpr std::size_t kMostName = 255 - std::string_view(".trashinfo").size();
    const std::size_t dot = name.rfind('.');
    std::string_view stem = dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string_view ext = stem.size() == name.size() ? std::string_view() : name.substr(stem.size());
    const std::string number = attempt == 1 ? std::string() : "." + std::to_string(attempt);
    const std::size_t room = kMostName - std::min(kMostName, number.size() + ext.size());
    if (stem.size() > room) {
        stem = stem.substr(0, room);
        while (!stem.empty() && (static_cast<unsigned char>(name[stem.size()]) & 0xC0) == 0x80) stem.remove_suffix(1);
    }
    return std::string(stem) + number + std::string(ext);
}

// Claims a name in the trash with its .trashinfo, then renames the file there.
Result<void> moveInto(const TrashFolder& trash, const std::string& path, const std::string& realPath) {
    const std::string_view name = filePart(realPath);
    const std::string origin = trash.top.empty() ? realPath : realPath.substr(trash.top.size());
    const std::string info = "[Trash Info]\nPath=" + escapedPath(origin) + "\nDeletionDate=" + deletionDate() + "\n";
    for (int attempt = 1; attempt < 10000; ++attempt) {
        const std::string named = nameInTrash(name, attempt);
        const std::string infoName = named + ".trashinfo";
        FileDescriptor fd(::openat(trash.info.get(), infoName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!fd.valid() && errno == EEXIST) continue;
        if (!fd.valid()) return trashFailure(path, errno);
        const auto giveUp = [&](int number) {
            ::unlinkat(trash.info.get(), infoName.c_str(), 0);
            return trashFailure(path, number);
        };
        const ssize_t written = ::write(fd.get(), info.data(), info.size());
        if (written != static_cast<ssize_t>(info.size())) return giveUp(written < 0 ? errno : ENOSPC);
        if (!fd.close()) return giveUp(errno);
        // A name taken in files/ (trashed by something that left no info) is
        // passed over; a file system that cannot refuse to replace is asked first.
        int moved = ::renameat2(AT_FDCWD, path.c_str(), trash.files.get(), named.c_str(), RENAME_NOREPLACE);
        if (moved != 0 && errno == EINVAL) {
            struct stat there {};
            moved = ::fstatat(trash.files.get(), named.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0
                        ? (errno = EEXIST, -1)
                        : ::renameat(AT_FDCWD, path.c_str(), trash.files.get(), named.c_str());
        }
        if (moved == 0) return {};
        const int number = errno;
        ::unlinkat(trash.info.get(), infoName.c_str(), 0);
        if (number != EEXIST) return systemError(ErrorCode::NoTrash, path, number);
    }
    return noTrash(path, "no free name in its trash");
}

}  // namespace

// The trash of each volume met, opened once: trashing a thousand tracks
// should not look for it a thousand times.
struct TrashMoves::State {
    std::map<dev_t, std::shared_ptr<TrashFolder>> byDevice;
};

TrashMoves::TrashMoves() : state_(std::make_unique<State>()) {}
TrashMoves::~TrashMoves() = default;

Result<void> TrashMoves::move(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return systemError(ErrorCode::CannotOpen, path);
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
        return Error{ErrorCode::NotRegularFile, path, "not a regular file"};
    // The folder as it really is, so that the top of its volume is found and
    // the path kept is the file's own.
    const std::string_view folder = pathPart(path);
    char real[PATH_MAX];
    if (!::realpath(folder.empty() ? "." : std::string(folder).c_str(), real))
        return systemError(ErrorCode::CannotOpen, path);
    const std::string realFolder = withSeparator(real);
    const std::string realPath = realFolder + std::string(filePart(path));

    for (int attempt = 0; attempt < 2; ++attempt) {
        std::shared_ptr<TrashFolder>& trash = state_->byDevice[st.st_dev];
        if (!trash) {
            auto found = findTrash(path, realFolder, st.st_dev);
            if (!found) {
                state_->byDevice.erase(st.st_dev);
                return found.error();
            }
            trash = std::move(*found);
        }
        auto moved = moveInto(*trash, path, realPath);
        if (moved || attempt == 1) return moved;
        // The trash may have been emptied with its folders since: once more, anew.
        state_->byDevice.erase(st.st_dev);
    }
    return {};
}

Result<void> moveToTrash(const std::string& path) { return TrashMoves().move(path); }

}  // namespace pitbox::platform
