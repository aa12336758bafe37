#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"

namespace pitbox {

// The track buffer holds 2,000,000 bytes: a track file of up to that size is read
// whole (a larger one is refused, never cut). Its second half is the picture's
// work area, so a picture is built only of a file within the first 1,000,000.
inline constexpr std::size_t kTrackBufferBytes = 2'000'000;
inline constexpr std::size_t kPictureFileLimit = 1'000'000;

class TrackBuffer;
// Reads a whole track file, or a track inside an archive, into the buffer. On
// failure the buffer keeps the previous file.
Result<void> loadTrackFile(const std::string& path, TrackBuffer& buffer);
// The same with the bytes from `read`, which fills the storage it is given (up
// to kTrackBufferBytes) and returns their length: a member met on a pass over
// its archive.
using ReadTrackBytes = std::function<Result<std::size_t>(std::vector<std::uint8_t>& into)>;
Result<void> loadTrackBytes(const std::string& path, const ReadTrackBytes& read, TrackBuffer& buffer);

// Holds the bytes of the track file last read, and only those: a shorter file
// never shows stale bytes of an earlier one. The storage is kept between files.
class TrackBuffer {
public:
    std::span<const std::uint8_t> bytes() const { return {storage_.data(), length_}; }
    std::size_t length() const { return length_; }
    const std::string& path() const { return path_; }

private:
    friend Result<void> loadTrackBytes(const std::string& path, const ReadTrackBytes& read, TrackBuffer& buffer);
    std::vector<std::uint8_t> storage_;
    std::vector<std::uint8_t> spare_;  // the next file is read here, then the two swap
    std::size_t length_ = 0;
    std::string path_;
};

}  // namespace pitbox
