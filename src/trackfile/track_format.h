#pragma once
#include <cstdint>

// Offsets and sizes of the Kestrun track file. Numbers are little-endian; counts
// stored in the file give the index of the last entry (N means N + 1 entries).
namespace pitbox::trackformat {

inline constexpr std::int64_t kVersion = 0;           // signed 16-bit
inline constexpr std::int64_t kSignature = 2;         // "KS"
inline constexpr std::int64_t kRecordsOffset = 4;     // R, 32-bit
inline constexpr std::int64_t kWorldSize = 8;         // unsigned 8-bit
inline constexpr std::int64_t kWaterLevel = 9;        // unsigned 8-bit
inline constexpr std::int64_t kTerrainRunCount = 16;  // N, signed 32-bit
inline constexpr std::int64_t kTerrainRuns = 20;      // N + 1 words
inline constexpr std::int16_t kSupportedVersion = 261;

inline constexpr std::int64_t kHeightGridSize = 4096;  // 64 by 64 cells
inline constexpr std::int64_t kObjectEntrySize = 8;
inline constexpr std::int8_t kLastKindBefore110 = 24;  // kinds above it need version 1.10

// The object kinds the preview draws.
namespace objectkind {
inline constexpr std::int8_t kWhiteBar = 1;
inline constexpr std::int8_t kRedBar = 2;
inline constexpr std::int8_t kYellowBar = 3;
inline constexpr std::int8_t kSquare = 9;
inline constexpr std::int8_t kDot = 10;
inline constexpr std::int8_t kBlock = 17;
inline constexpr std::int8_t kOtherBlock = 18;
inline constexpr std::int8_t kBrownBar = 23;
}  // namespace objectkind

// Records section, relative to R.
inline constexpr std::int64_t kAuthor = -536;
inline constexpr std::int64_t kAuthorWidth = 30;
inline constexpr std::int64_t kTrackLength = -4;  // signed 32-bit
inline constexpr std::int64_t kRecordTimes = 0;   // seven signed 16-bit times
inline constexpr std::int64_t kDriverNames = 14;  // seven fields of 13 bytes
inline constexpr std::int64_t kDriverNameStride = 13;
inline constexpr std::int64_t kDriverNameWidth = 12;
inline constexpr std::int64_t kCarBlocks = 105;  // seven blocks of 1,344 bytes
inline constexpr std::int64_t kCarBlockStride = 1344;
inline constexpr std::int64_t kCarNameWidth = 12;

inline constexpr std::int64_t heightGridAt(std::int64_t n) { return 22 + 2 * n; }
inline constexpr std::int64_t objectTableAt(std::int64_t n) { return 4118 + 2 * n; }

}  // namespace pitbox::trackformat
