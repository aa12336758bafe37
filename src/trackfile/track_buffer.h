#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pitbox {

// The largest track file the program reads. A larger file is refused as a whole
// (never cut): no real track comes near it, and the preview needs the file whole.
inline constexpr std::size_t kMaxTrackFileBytes = 1'000'000;

enum class LoadResult { Ok, CannotOpen, TooLarge, ReadError };
class TrackBuffer;
LoadResult loadTrackFile(const std::string& path, TrackBuffer& buffer);

// Holds the bytes of the track file last read, and only those: a shorter file
// never shows stale bytes of an earlier one. The storage is kept between files.
class TrackBuffer {
public:
    std::span<const std::uint8_t> bytes() const { return {storage_.data(), length_}; }
    std::size_t length() const { return length_; }

private:
    friend LoadResult loadTrackFile(const std::string& path, TrackBuffer& buffer);
    std::vector<std::uint8_t> storage_;
    std::vector<std::uint8_t> spare_;  // the next file is read here, then the two swap
    std::size_t length_ = 0;
};

// Reads a whole track file into the buffer. On any failure the buffer keeps the
// previous file.
LoadResult loadTrackFile(const std::string& path, TrackBuffer& buffer);
const char* describe(LoadResult result);

}  // namespace pitbox
