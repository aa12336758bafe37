#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "base/result.h"
#include "trackfile/track_buffer.h"

namespace pitbox {

// The header fields of the track file last read. Texts are UTF-8.
struct HeaderFields {
    bool oldFormat = false;
    bool needs110 = false;
    bool damaged = false;  // a field lies outside the file's bytes
    std::uint8_t worldSize = 0;
    std::uint8_t waterLevel = 0;
    std::int32_t trackLength = 0;
    std::string author;
    std::array<std::int16_t, 2> recordTimes{};
    std::array<std::string, 2> drivers;
    std::array<std::string, 2> cars;
    std::int32_t terrainRunCount = 0;  // N
    std::int64_t heightGridAt = 0;     // 22 + 2N
    std::int64_t objectTableAt = 0;    // 4,118 + 2N
    std::int16_t objectCount = -1;     // M: index of the last object
};

inline constexpr const char* kOldFormatAuthor = "zz_Old KS<1.05";

// Reads the header fields of the file whose bytes are given.
// - A file shorter than the version and the signature (4 bytes; an empty file
//   too) is no track at all: it is damaged, as below.
// - A file without "KS" and version 261 at its start is an old-format track:
//   the flag is set, the author becomes
//   "zz_Old KS<1.05", track length and driver names are cleared, and world size,
//   water level, record times and car names keep the values they held.
// - A supported file whose fields (the object table and the records section up to
//   slot 1's car name) do not all lie inside its bytes is damaged: every field is
//   reset to its start value and the damaged flag set. Nothing is read outside
//   the given bytes.
//   A damaged file fails (with `name` in the message); an old-format one does not.
Result<void> readTrackHeader(std::span<const std::uint8_t> file, HeaderFields& h, const std::string& name = {});
// The same for the file in the buffer, named by its path.
Result<void> readTrackHeader(const TrackBuffer& buffer, HeaderFields& h);

// The map of a whole track file: its world size and water level, then
// everything from the terrain runs to the end of the object table. Nothing for
// an old-format or damaged file.
std::optional<std::string> trackMapBytes(std::span<const std::uint8_t> file);

// The M + 1 entries of the object table at `tableAt` (none for a negative M), or
// nothing when they do not all lie inside the file.
std::optional<std::span<const std::uint8_t>> objectEntries(std::span<const std::uint8_t> file, std::int64_t tableAt,
                                                           std::int16_t m);

}  // namespace pitbox
