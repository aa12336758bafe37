#pragma once
#include <fcntl.h>

#include <string>

#include "base/result.h"
#include "platform/linux/file_descriptor.h"

namespace pitbox::platform {

// A path as a folder descriptor and a name within it, for the *at calls. A path
// the system takes whole is used as it is; a longer one (deeper than PATH_MAX
// bytes, which a walk reaches) is reached folder by folder, so every path the
// walk lists can be opened.
class PathAt {
public:
    // Fails only when a folder on the way to a long path cannot be opened.
    static Result<PathAt> of(const std::string& path);

    int folder() const { return folder_.valid() ? folder_.get() : AT_FDCWD; }
    const char* name() const { return name_.c_str(); }

private:
    FileDescriptor folder_;
    std::string name_;
};

// Opens a folder for reading (and flushing), at any depth.
Result<FileDescriptor> openFolder(const std::string& path);

}  // namespace pitbox::platform
