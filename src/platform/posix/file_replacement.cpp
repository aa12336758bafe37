#include "platform/file_replacement.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <map>

#include "platform/paths.h"
#include "platform/posix/file_descriptor.h"
#include "platform/posix/open_regular.h"
#include "platform/posix/system_error.h"

namespace pitbox::platform {

struct FileReplacement::State {
    std::string target;     // as given, for messages
    std::string finalPath;  // the target with its links followed
    std::string tempPath;
    FileDescriptor fd;
    dev_t device = 0;

    ~State() {
        if (!tempPath.empty()) ::unlink(tempPath.c_str());
    }
    Error failure(ErrorCode code, int number = errno) const { return systemError(code, target, number); }
};

namespace {

// The file a path finally names: links are followed to their end; the end need
// not exist yet.
Result<std::string> followLinks(const std::string& target) {
    std::string path = target;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        char link[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), link, sizeof link);
        if (n < 0 || static_cast<std::size_t>(n) >= sizeof link) return systemError(ErrorCode::CannotOpen, target);
        const std::string_view to(link, static_cast<std::size_t>(n));
        if (!to.empty() && to[0] == '/') {
            path = to;
        } else {
            path.resize(pathPart(path).size());  // relative to the link's folder
            path.append(to);
        }
    }
    return systemError(ErrorCode::CannotOpen, target, ELOOP);
}

std::uint64_t nextTag() {
    static std::uint64_t counter =
        static_cast<std::uint64_t>(::getpid()) << 32 ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    counter = counter * 6364136223846793005ULL + 1442695040888963407ULL;
    return counter >> 32;
}

}  // namespace

FileReplacement::FileReplacement(std::unique_ptr<State> state) : state_(std::move(state)) {}
FileReplacement::FileReplacement(FileReplacement&& other) noexcept = default;
FileReplacement::~FileReplacement() = default;

const std::string& FileReplacement::target() const { return state_->target; }

Result<FileReplacement> FileReplacement::create(const std::string& target) {
    auto state = std::make_unique<State>();
    state->target = target;
    if (filePart(target).empty()) return state->failure(ErrorCode::WriteFailed, EISDIR);
    auto finalPath = followLinks(target);
    if (!finalPath) return finalPath.error();
    state->finalPath = std::move(*finalPath);
    const std::string folder(pathPart(state->finalPath));
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[24];
        std::snprintf(name, sizeof name, ".pitbox-%08llx", static_cast<unsigned long long>(nextTag() & 0xFFFFFFFFu));
        std::string candidate = folder + name;
        state->fd = FileDescriptor(::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (state->fd.valid()) {
            state->tempPath = std::move(candidate);
            break;
        }
        if (errno != EEXIST) return state->failure(ErrorCode::WriteFailed);
    }
    if (!state->fd.valid()) return state->failure(ErrorCode::WriteFailed, EEXIST);
    struct stat temp {};
    if (::fstat(state->fd.get(), &temp) != 0) return state->failure(ErrorCode::WriteFailed);
    state->device = temp.st_dev;
    struct stat existing {};
    if (::stat(state->finalPath.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) &&
        ::fchmod(state->fd.get(), existing.st_mode & 07777) != 0)
        return state->failure(ErrorCode::WriteFailed);
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

Result<void> FileReplacement::copyFrom(const std::string& source) {
    auto in = openRegularFile(source);
    if (!in) return in.error();
    struct stat existing {};
    if (::stat(state_->finalPath.c_str(), &existing) == 0 && existing.st_dev == in->status.st_dev &&
        existing.st_ino == in->status.st_ino)
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
    struct stat after {};
    if (offset != size || ::fstat(in->fd.get(), &after) != 0 || after.st_size != size)
        return Error{ErrorCode::SizeChanged, source, "changed size while it was copied"};
    return {};
}

Result<void> FileReplacement::finishWriting() {
    if (!state_->fd.close()) return state_->failure(ErrorCode::WriteFailed);
    return {};
}

namespace {

// Makes the written bytes of every file on the file system of `folder` durable.
int flushFileSystem(const std::string& folder) {
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid() || ::syncfs(fd.get()) != 0) return errno;
    return 0;
}

}  // namespace

std::vector<Result<void>> commitAll(std::vector<FileReplacement>& batch) {
    // A single open file is flushed by itself; a batch takes one flush of each
    // file system it lies on.
    std::vector<int> flushError(batch.size(), 0);
    if (batch.size() == 1 && batch[0].state_->fd.valid()) {
        if (::fsync(batch[0].state_->fd.get()) != 0) flushError[0] = errno;
    } else {
        std::map<dev_t, int> byDevice;
        for (std::size_t i = 0; i < batch.size(); ++i) {
            const auto& s = *batch[i].state_;
            const auto [at, first] = byDevice.try_emplace(s.device, 0);
            if (first) at->second = flushFileSystem(std::string(pathPart(s.tempPath)));
            flushError[i] = at->second;
        }
    }
    std::vector<Result<void>> results;
    results.reserve(batch.size());
    for (std::size_t i = 0; i < batch.size(); ++i) {
        FileReplacement::State& s = *batch[i].state_;
        int error = flushError[i];
        if (error == 0 && (!s.fd.close() || ::rename(s.tempPath.c_str(), s.finalPath.c_str()) != 0)) error = errno;
        if (error != 0) {
            results.emplace_back(s.failure(ErrorCode::WriteFailed, error));
        } else {
            s.tempPath.clear();
            results.emplace_back();
        }
    }
    batch.clear();
    return results;
}

}  // namespace pitbox::platform
