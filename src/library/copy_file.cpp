#include "library/copy_file.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "library/temp_file.h"

namespace pitbox {
namespace {

struct Fd {
    int fd;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

// Copies `size` bytes (the size when the copy began), in the kernel where the file
// systems allow it.
bool copyBytes(int from, int to, off_t size) {
    off_t offset = 0;
    while (offset < size) {
        const auto want = static_cast<std::size_t>(size - offset);
        ssize_t n = ::copy_file_range(from, &offset, to, nullptr, want, 0);
        if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP))
            n = ::sendfile(to, from, &offset, want);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) break;  // the file shrank meanwhile
        if (n < 0) return false;
    }
    return true;
}

}  // namespace

CopyResult copyTrackFile(const std::string& source, const std::string& target) {
    Fd in{::open(source.c_str(), O_RDONLY | O_CLOEXEC)};
    struct stat from {};
    if (in.fd < 0 || ::fstat(in.fd, &from) != 0 || !S_ISREG(from.st_mode)) return CopyResult::SourceUnreadable;
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && existing.st_dev == from.st_dev && existing.st_ino == from.st_ino)
        return CopyResult::SameFile;
    TempFile temp(target);
    if (!temp.ok()) return CopyResult::TargetUnwritable;
    if (!copyBytes(in.fd, temp.fd(), from.st_size)) return CopyResult::TargetUnwritable;
    return temp.commit() ? CopyResult::TargetUnwritable : CopyResult::Copied;
}

}  // namespace pitbox
