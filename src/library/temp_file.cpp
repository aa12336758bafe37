#include "library/temp_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ui/text.h"

namespace pitbox {
namespace {

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

TempFile::TempFile(const std::string& target) : target_(target) {
    std::string folder(ui::pathPart(target));
    const std::string name(ui::filePart(target));
    if (name.empty()) {
        error_ = std::strerror(EISDIR);
        return;
    }
    std::string pattern = folder + "." + name + ".pitbox-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    fd_ = ::mkstemp(buffer.data());
    if (fd_ < 0) {
        error_ = std::strerror(errno);
        return;
    }
    tempPath_.assign(buffer.data());
}

TempFile::~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
}

std::optional<std::string> TempFile::commit() {
    if (fd_ < 0) return error_;
    ::fchmod(fd_, 0666 & ~currentUmask());
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return std::string(std::strerror(errno));
    if (::rename(tempPath_.c_str(), target_.c_str()) != 0) return std::string(std::strerror(errno));
    tempPath_.clear();
    return std::nullopt;
}

}  // namespace pitbox
