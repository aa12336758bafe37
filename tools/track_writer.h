#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pitbox::test {

struct TrackObject {
    std::int8_t kind = 0;
    std::int16_t x = 0, y = 0;
    std::uint8_t heading = 0;
};

// A track file described field by field; writeTrack lays it out byte by byte.
// Every track file the tests use is made from one of these.
struct TrackSpec {
    std::int16_t version = 261;
    std::string signature = "KS";
    std::uint8_t worldSize = 100;
    std::uint8_t waterLevel = 0;
    std::vector<std::uint16_t> terrainRuns = {0x0000};  // word = length << 4 | code
    std::optional<std::int32_t> terrainRunCount;        // N as stored; default runs - 1
    std::vector<std::uint8_t> heightGrid = std::vector<std::uint8_t>(4096, 128);
    std::vector<TrackObject> objects;
    std::optional<std::int16_t> objectCount;  // M as stored; default objects - 1
    std::string author = "Author";            // raw bytes, at most 30 used
    std::int32_t trackLength = 1234;
    std::array<std::int16_t, 7> recordTimes = {7000, 7000, 7000, 7000, 7000, 7000, 7000};
    std::array<std::string, 7> drivers;          // raw bytes, 13-byte fields
    std::array<std::string, 7> cars;             // raw bytes, first bytes of 1,344-byte blocks
    std::size_t gapBeforeAuthor = 16;            // unread bytes after the object table
    std::optional<std::uint32_t> recordsOffset;  // R as stored; default where the section lies
    std::optional<std::size_t> truncateAt;       // cut the file to this many bytes
    std::size_t padding = 0;                     // extra bytes at the end

    static TrackSpec oldFormat() {
        TrackSpec s;
        s.version = 260;
        return s;
    }
};

std::vector<std::uint8_t> writeTrack(const TrackSpec& track);
// The offsets of the regions, as writeTrack lays them out.
struct TrackLayout {
    std::size_t terrainRuns, heightGrid, objectTable, author, records, end;
};
TrackLayout layoutOf(const TrackSpec& track);

void saveFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
void saveTrack(const std::string& path, const TrackSpec& track);
std::vector<std::uint8_t> readFile(const std::string& path);

}  // namespace pitbox::test
