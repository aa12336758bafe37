#include "platform/file_replacement.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <map>

#include "platform/linux/file_descriptor.h"
#include "platform/linux/open_regular.h"
#include "platform/linux/path_at.h"
#include "platform/linux/system_error.h"
#include "platform/linux/temporaries.h"
#include "platform/paths.h"
#include "platform/temporary_name.h"

namespace pitbox::platform {

namespace {

// A folder that replacements write into, opened once and shared by those made
// one after another for it: opening a folder costs more than the rest of a
// small copy's set-up.
struct Folder {
    FileDescriptor fd;
    FileKey key;
};

Result<std::shared_ptr<const Folder>> sharedFolder(const std::string& path) {
    static std::string lastPath;
    static std::weak_ptr<const Folder> last;
    if (auto held = last.lock(); held && path == lastPath) return held;
    auto fd = openFolder(path);
    if (!fd) return fd.error();
    struct stat st {};
    if (::fstat(fd->get(), &st) != 0) return systemError(ErrorCode::WriteFailed, path);
    auto folder = std::make_shared<const Folder>(Folder{std::move(*fd), keyOf(st)});
    last = folder;
    lastPath = path;
    return folder;
}

}  // namespace

struct FileReplacement::State {
    std::string target;                    // as given, for messages
    std::string destination;               // the folder's identity and the final name
    std::shared_ptr<const Folder> folder;  // the folder the target finally lies in
    std::string finalName;
    std::string tempName;
    bool tempExists = false;
    int slot = -1;
    FileDescriptor fd;
    std::optional<FileKey> replaces;

    ~State() {
        if (tempExists) ::unlinkat(folder->fd.get(), tempName.c_str(), 0);
        forgetTemporary(slot);
    }
    Error failure(ErrorCode code, int number = errno) const { return systemError(code, target, number); }
};

namespace {

std::uint32_t nextTag() {
    static std::uint64_t counter =
        static_cast<std::uint64_t>(::getpid()) << 32 ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    counter = counter * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(counter >> 32);
}

// Makes a locked temporary file in the folder. A dead writer's temporaries are
// removed by whoever locks them first, so a new one counts only once it is
// locked and its name still leads to it.
bool makeTemporary(FileReplacement::State& s) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        s.tempName = temporaryName(nextTag());
        FileDescriptor fd(
            ::openat(s.folder->fd.get(), s.tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd.valid()) {
            if (errno == EEXIST) continue;
            return false;
        }
        struct stat held {
        }, named{};
        if (lockTemporary(fd.get()) && ::fstat(fd.get(), &held) == 0 &&
            ::fstatat(s.folder->fd.get(), s.tempName.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            keyOf(held) == keyOf(named)) {
            s.fd = std::move(fd);
            s.tempExists = true;
            s.slot = rememberTemporary(s.folder->fd.get(), s.tempName.c_str());
            return true;
        }
    }
    errno = EEXIST;
    return false;
}

}  // namespace

FileReplacement::FileReplacement(std::unique_ptr<State> state) : state_(std::move(state)) {}
FileReplacement::FileReplacement(FileReplacement&& other) noexcept = default;
FileReplacement::~FileReplacement() = default;

const std::string& FileReplacement::target() const { return state_->target; }
const std::string& FileReplacement::destination() const { return state_->destination; }
std::optional<FileKey> FileReplacement::replaces() const { return state_->replaces; }

Result<FileReplacement> FileReplacement::create(const std::string& target) {
    auto state = std::make_unique<State>();
    State& s = *state;
    s.target = target;
    if (filePart(target).empty()) return s.failure(ErrorCode::WriteFailed, EISDIR);
    auto finalPath = followLinks(target);
    if (!finalPath) return Error{finalPath.error().code, target, finalPath.error().reason};
    auto folder = sharedFolder(std::string(pathPart(*finalPath)));
    if (!folder) return s.failure(ErrorCode::WriteFailed);
    s.folder = std::move(*folder);
    s.finalName = filePart(*finalPath);
    s.destination =
        std::to_string(s.folder->key.volume) + ":" + std::to_string(s.folder->key.index) + "/" + s.finalName;

    // Only a regular file is replaced, and a link only when it leads to one: a
    // device, a pipe or a folder stays what it is, and a link to nothing is
    // not made a file somewhere else.
    struct stat existing {};
    const bool exists = ::fstatat(s.folder->fd.get(), s.finalName.c_str(), &existing, 0) == 0;
    if (exists && !S_ISREG(existing.st_mode)) return Error{ErrorCode::NotRegularFile, target, "not a regular file"};
    if (exists) {
        // The permission the user gave the file decides, as for cp; the
        // administrator may replace anything.
        if (::faccessat(s.folder->fd.get(), s.finalName.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES)
            return Error{ErrorCode::ReadOnly, target, "read-only"};
        s.replaces = keyOf(existing);
    }
    if (!makeTemporary(s)) return s.failure(ErrorCode::WriteFailed);
    if (exists && ::fchmod(s.fd.get(), existing.st_mode & 07777) != 0) return s.failure(ErrorCode::WriteFailed);
    return FileReplacement(std::move(state));
}

Result<void> FileReplacement::write(std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(state_->fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return state_->failure(ErrorCode::WriteFailed, n < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    return {};
}

Result<std::uint64_t> FileReplacement::copyFrom(const std::string& source) {
    auto in = openRegularFile(source);
    if (!in) return in.error();
    if (state_->replaces && *state_->replaces == keyOf(in->status))
        return Error{ErrorCode::SameFile, state_->target, "is the source itself"};
    const off_t size = in->status.st_size;
    off_t offset = 0;
    while (offset < size) {
        const auto want = static_cast<std::size_t>(size - offset);
        ssize_t n = ::copy_file_range(in->fd.get(), &offset, state_->fd.get(), nullptr, want, 0);
        if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP))
            n = ::sendfile(state_->fd.get(), in->fd.get(), &offset, want);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return state_->failure(ErrorCode::WriteFailed);
        if (n == 0) break;
    }
    // A file rewritten in place keeps its size: its times tell.
    struct stat after {};
    const auto same = [](const timespec& a, const timespec& b) {
        return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    };
    if (offset != size || ::fstat(in->fd.get(), &after) != 0 || after.st_size != size ||
        !same(after.st_mtim, in->status.st_mtim) || !same(after.st_ctim, in->status.st_ctim))
        return Error{ErrorCode::Changed, source, "changed while it was copied"};
    return static_cast<std::uint64_t>(size);
}

std::vector<Result<void>> commitAll(std::vector<FileReplacement>& batch) {
    // A single file is flushed by itself; a batch takes one flush of each file
    // system it lies on.
    std::vector<int> errors(batch.size(), 0);
    if (batch.size() == 1) {
        if (::fsync(batch[0].state_->fd.get()) != 0) errors[0] = errno;
    } else {
        std::map<std::uint64_t, int> byDevice;
        for (std::size_t i = 0; i < batch.size(); ++i) {
            const auto& s = *batch[i].state_;
            const auto [at, first] = byDevice.try_emplace(s.folder->key.volume, 0);
            if (first && ::syncfs(s.folder->fd.get()) != 0) at->second = errno;
            errors[i] = at->second;
        }
    }
    // The renames, then one flush of each folder they changed, so that a copy
    // reported as done is still there after a power cut. Each temporary is
    // renamed while still open, and so locked: a copy that cleans up the
    // folder meanwhile cannot take it for a dead writer's.
    std::map<const Folder*, int> folderErrors;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        FileReplacement::State& s = *batch[i].state_;
        const int folder = s.folder->fd.get();
        if (errors[i] == 0 && ::renameat(folder, s.tempName.c_str(), folder, s.finalName.c_str()) != 0)
            errors[i] = errno;
        if (errors[i] != 0) continue;
        s.tempExists = false;
        if (!s.fd.close()) errors[i] = errno;
        folderErrors.try_emplace(s.folder.get(), 0);
    }
    for (auto& [folder, error] : folderErrors)
        if (::fsync(folder->fd.get()) != 0 && errno != EINVAL) error = errno;  // EINVAL: no folder flushes there
    std::vector<Result<void>> results;
    results.reserve(batch.size());
    for (std::size_t i = 0; i < batch.size(); ++i) {
        const FileReplacement::State& s = *batch[i].state_;
        if (errors[i] == 0) errors[i] = folderErrors.at(s.folder.get());
        if (errors[i] != 0)
            results.emplace_back(s.failure(ErrorCode::WriteFailed, errors[i]));
        else
            results.emplace_back();
    }
    batch.clear();
    return results;
}

void removeDeadTemporaries(const std::string& folder) {
    if (auto fd = openFolder(folder)) removeDeadTemporaries(fd->get());
}

}  // namespace pitbox::platform
