#include "library/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "library/temp_file.h"

namespace pitbox {

std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view bytes) {
    TempFile temp(path);
    if (!temp.ok()) return temp.error();
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(temp.fd(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::string(std::strerror(n < 0 ? errno : ENOSPC));
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(temp.fd()) != 0) return std::string(std::strerror(errno));
    return temp.commit();
}

}  // namespace pitbox
