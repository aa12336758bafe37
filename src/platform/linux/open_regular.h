#pragma once
#include <sys/stat.h>

#include <string>

#include "base/result.h"
#include "platform/files.h"
#include "platform/linux/file_descriptor.h"

namespace pitbox::platform {

struct OpenFile {
    FileDescriptor fd;
    struct stat status;
};

inline FileKey keyOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// A file's stamp from what stat gave, looked at now.
FileStamp stampOf(const struct stat& st);

// Opens a regular file for reading. The path is looked at first and anything
// but a regular file is refused unopened; the open itself cannot block, and the
// file opened must be the one looked at.
Result<OpenFile> openRegularFile(const std::string& path);

}  // namespace pitbox::platform
