#include "library/temp_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <cstring>

#include "ui/text.h"

namespace pitbox {

TempFile::TempFile(const std::string& target) : target_(target) {
    const std::string folder(ui::pathPart(target));
    const std::string name(ui::filePart(target));
    if (name.empty()) {
        error_ = std::strerror(EISDIR);
        return;
    }
    // Created with the usual permissions (0666 less the umask), like any new file;
    // the name is unlikely to be taken, and O_EXCL makes sure of it.
    static std::uint64_t counter = 0;
    static const std::uint64_t seed =
        static_cast<std::uint64_t>(::getpid()) << 32 ^ static_cast<std::uint64_t>(::time(nullptr));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::uint64_t tag = seed + (++counter) * 0x9E3779B97F4A7C15ULL;
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".pitbox-%012llx", static_cast<unsigned long long>(tag & 0xFFFFFFFFFFFFULL));
        std::string candidate = folder;
        candidate.append(".").append(name).append(suffix);
        fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            tempPath_ = std::move(candidate);
            return;
        }
        if (errno != EEXIST) break;
    }
    error_ = std::strerror(errno);
}

TempFile::~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
}

std::optional<std::string> TempFile::commit() {
    if (fd_ < 0) return error_;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return std::string(std::strerror(errno));
    if (::rename(tempPath_.c_str(), target_.c_str()) != 0) return std::string(std::strerror(errno));
    tempPath_.clear();
    return std::nullopt;
}

}  // namespace pitbox
