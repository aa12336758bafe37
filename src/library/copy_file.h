#pragma once
#include <string>

namespace pitbox {

enum class CopyResult { Copied, SourceUnreadable, SameFile, TargetUnwritable };

// Copies a file so that the target is replaced only by a complete copy: the bytes
// go to a temporary file in the target's folder, renamed over the target at the
// end. A failure leaves an existing target as it was and no temporary file. A
// target that is the source itself (same device and inode) is refused untouched.
CopyResult copyTrackFile(const std::string& source, const std::string& target);

}  // namespace pitbox
