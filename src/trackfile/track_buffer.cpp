#include "trackfile/track_buffer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace pitbox {

LoadResult loadTrackFile(const std::string& path, TrackBuffer& buffer) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return LoadResult::CannotOpen;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return LoadResult::CannotOpen;
    }
    if (static_cast<std::uint64_t>(st.st_size) > kMaxTrackFileBytes) {
        ::close(fd);
        return LoadResult::TooLarge;
    }
    // One byte of room past the limit tells a file that grew after fstat.
    constexpr std::size_t room = kMaxTrackFileBytes + 1;
    if (buffer.spare_.size() < room) buffer.spare_.resize(room);
    std::size_t got = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.spare_.data() + got, room - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return LoadResult::ReadError;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
        if (got == room) break;
    }
    ::close(fd);
    if (got > kMaxTrackFileBytes) return LoadResult::TooLarge;
    std::swap(buffer.storage_, buffer.spare_);
    buffer.length_ = got;
    return LoadResult::Ok;
}

const char* describe(LoadResult result) {
    switch (result) {
        case LoadResult::Ok: return "read";
        case LoadResult::CannotOpen: return "cannot be opened";
        case LoadResult::TooLarge: return "is larger than 1,000,000 bytes";
        case LoadResult::ReadError: return "cannot be read";
    }
    return "cannot be read";
}

}  // namespace pitbox
