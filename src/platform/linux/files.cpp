#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>

#include "platform/linux/base_folders.h"
#include "platform/linux/open_regular.h"
#include "platform/linux/path_at.h"
#include "platform/linux/system_error.h"
#include "platform/paths.h"

namespace pitbox::platform {

Result<OpenFile> openRegularFile(const std::string& path) {
    auto at = PathAt::of(path);
    if (!at) return at.error();
    struct stat seen {};
    if (::fstatat(at->folder(), at->name(), &seen, 0) != 0) return systemError(ErrorCode::CannotOpen, path);
    if (!S_ISREG(seen.st_mode)) return Error{ErrorCode::NotRegularFile, path, "not a regular file"};
    // O_NONBLOCK: should the name have become a pipe since, the open returns at once.
    FileDescriptor fd(::openat(at->folder(), at->name(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid()) return systemError(ErrorCode::CannotOpen, path);
    OpenFile file{std::move(fd), {}};
    if (::fstat(file.fd.get(), &file.status) != 0) return systemError(ErrorCode::CannotOpen, path);
    if (!S_ISREG(file.status.st_mode) || keyOf(file.status) != keyOf(seen))
        return Error{ErrorCode::NotRegularFile, path, "not a regular file"};
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
        const ssize_t n = ::read(state_->file.fd.get(), into.data() + got, into.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return systemError(ErrorCode::ReadFailed, state_->path);
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

Result<void> FileReader::seek(std::uint64_t offset) {
    if (::lseek(state_->file.fd.get(), static_cast<off_t>(offset), SEEK_SET) < 0)
        return systemError(ErrorCode::ReadFailed, state_->path);
    return {};
}

std::uint64_t FileReader::size() const { return static_cast<std::uint64_t>(state_->file.status.st_size); }
const std::string& FileReader::path() const { return state_->path; }

Result<FileStatus> fileStatus(const std::string& path) {
    auto at = PathAt::of(path);
    if (!at) return at.error();
    struct stat st {};
    if (::fstatat(at->folder(), at->name(), &st, 0) != 0) return systemError(ErrorCode::CannotOpen, path);
    return FileStatus{keyOf(st), static_cast<std::uint64_t>(st.st_size),
                      static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                      S_ISREG(st.st_mode)};
}

Result<std::string> followLinks(const std::string& path) {
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) {
        auto place = PathAt::of(at);
        if (!place) return place.error();
        struct stat st {};
        const bool there = ::fstatat(place->folder(), place->name(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (!there || !S_ISLNK(st.st_mode)) {
            if (!there && at != path) return Error{ErrorCode::NotRegularFile, path, "a link to nothing"};
            return at;
        }
        char link[PATH_MAX];
        const ssize_t n = ::readlinkat(place->folder(), place->name(), link, sizeof link);
        if (n < 0 || static_cast<std::size_t>(n) >= sizeof link) return systemError(ErrorCode::CannotOpen, path);
        const std::string_view to(link, static_cast<std::size_t>(n));
        if (!to.empty() && to[0] == '/') {
            at = to;
        } else {
            at.resize(pathPart(at).size());  // relative to the link's folder
            at.append(to);
        }
    }
    return systemError(ErrorCode::CannotOpen, path, ELOOP);
}

Result<std::vector<std::string>> namesInFolder(const std::string& folder) {
    DIR* listing = ::opendir(folder.c_str());
    if (!listing) return systemError(ErrorCode::CannotOpen, folder);
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(listing);
    return names;
}

Result<std::string> makeFolder(const std::string& path) {
    auto at = PathAt::of(path);
    if (!at) return at.error();
    if (::mkdirat(at->folder(), at->name(), 0777) == 0) return withSeparator(path);
    return systemError(errno == EEXIST ? ErrorCode::Exists : ErrorCode::WriteFailed, path);
}

FileStamp stampOf(const struct stat& st) {
    const auto ticks = [](const timespec& t) { return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec; };
    // The file system's clock may tick in whole seconds, or two (FAT): a time
    // within that of now could be written again unseen.
    const std::int64_t settle = std::chrono::nanoseconds(settleTime()).count();
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t modified = ticks(st.st_mtim), changed = ticks(st.st_ctim);
    return {static_cast<std::uint64_t>(st.st_size), modified, changed, static_cast<std::uint64_t>(st.st_ino),
            std::max(modified, changed) < ticks(now) - settle};
}

std::optional<FileStamp> fileStamp(const std::string& path) {
    struct stat st {};
    if (path.size() < PATH_MAX) {
        if (::stat(path.c_str(), &st) != 0) return std::nullopt;
        return stampOf(st);
    }
    auto at = PathAt::of(path);  // reached folder by folder
    if (!at || ::fstatat(at->folder(), at->name(), &st, 0) != 0) return std::nullopt;
    return stampOf(st);
}

Result<void> renameFile(const std::string& from, const std::string& to) {
    auto a = PathAt::of(from);
    if (!a) return a.error();
    auto b = PathAt::of(to);
    if (!b) return b.error();
    if (::renameat(a->folder(), a->name(), b->folder(), b->name()) != 0)
        return systemError(ErrorCode::WriteFailed, from);
    return {};
}

Result<void> removeFile(const std::string& path) {
    auto at = PathAt::of(path);
    if (!at) return at.error();
    if (::unlinkat(at->folder(), at->name(), 0) != 0 && errno != ENOENT)
        return systemError(ErrorCode::WriteFailed, path);
    return {};
}

Result<void> removeFolder(const std::string& folder) {
    auto at = PathAt::of(withoutSeparator(folder));
    if (!at) return at.error();
    if (::unlinkat(at->folder(), at->name(), AT_REMOVEDIR) != 0 && errno != ENOENT)
        return systemError(ErrorCode::WriteFailed, folder);
    return {};
}

std::string userStateFolder() { return baseFolder("XDG_STATE_HOME", ".local/state/"); }

std::string workingFolder() {
    char buffer[PATH_MAX];
    return withSeparator(::getcwd(buffer, sizeof buffer) ? buffer : "/");
}

}  // namespace pitbox::platform
