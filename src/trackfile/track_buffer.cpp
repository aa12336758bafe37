#include "trackfile/track_buffer.h"

#include "platform/archives.h"

namespace pitbox {

Result<void> loadTrackFile(const std::string& path, TrackBuffer& buffer) {
    return loadTrackBytes(
        path, [&](std::vector<std::uint8_t>& into) { return platform::readTrackSource(path, kTrackBufferBytes, into); },
        buffer);
}

Result<void> loadTrackBytes(const std::string& path, const ReadTrackBytes& read, TrackBuffer& buffer) {
    auto length = read(buffer.spare_);
    if (!length) return length.error();
    std::swap(buffer.storage_, buffer.spare_);
    buffer.length_ = *length;
    buffer.path_ = path;
    return {};
}

}  // namespace pitbox
