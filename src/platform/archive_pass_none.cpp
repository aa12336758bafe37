// A build without an archive library: no file is taken for an archive, so
// no pass is ever asked for.
#include "platform/archives.h"

namespace pitbox::platform {

Result<ArchivePass> forEachMember(const std::string& path, const OnMember&) {
    return Error{ErrorCode::CannotOpen, path, "this build reads no archives"};
}

}  // namespace pitbox::platform
