#include "trackfile/track_buffer.h"

#include "platform/files.h"

namespace pitbox {

Result<void> loadTrackFile(const std::string& path, TrackBuffer& buffer) {
    auto length = platform::readRegularFile(path, kTrackBufferBytes, buffer.spare_);
    if (!length) return length.error();
    std::swap(buffer.storage_, buffer.spare_);
    buffer.length_ = *length;
    buffer.path_ = path;
    return {};
}

}  // namespace pitbox
