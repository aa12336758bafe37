#pragma once
#include "base/result.h"
#include "platform/win32/wide.h"

namespace pitbox::platform {

struct OpenFile {
    Handle handle;
    unsigned long long size = 0;
};

// Opens a regular file for reading, others may read it at the same time. A
// folder is refused, and so is anything that is not a file on a disk.
Result<OpenFile> openRegularFile(const std::string& path);

}  // namespace pitbox::platform
