#include "tools/track_writer.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace pitbox::test {
namespace {

void put(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

void putText(std::vector<std::uint8_t>& b, std::size_t at, const std::string& s, std::size_t width) {
    for (std::size_t i = 0; i < s.size() && i < width; ++i) b[at + i] = static_cast<std::uint8_t>(s[i]);
}

}  // namespace

TrackLayout layoutOf(const TrackSpec& track) {
    TrackLayout l{};
    l.terrainRuns = 20;
    l.heightGrid = l.terrainRuns + 2 * track.terrainRuns.size();
    l.objectTable = l.heightGrid + 4096;
    l.author = l.objectTable + 2 + 8 * track.objects.size() + track.gapBeforeAuthor;
    l.records = l.author + 536;
    l.end = l.records + 9513;
    return l;
}

std::vector<std::uint8_t> writeTrack(const TrackSpec& track) {
    const TrackLayout l = layoutOf(track);
    std::vector<std::uint8_t> b(l.end + track.padding, 0);
    put(b, 0, static_cast<std::uint16_t>(track.version), 2);
    putText(b, 2, track.signature, 2);
    put(b, 4, track.recordsOffset.value_or(static_cast<std::uint32_t>(l.records)), 4);
    b[8] = track.worldSize;
    b[9] = track.waterLevel;
    const auto n = track.terrainRunCount.value_or(static_cast<std::int32_t>(track.terrainRuns.size()) - 1);
    put(b, 16, static_cast<std::uint32_t>(n), 4);
    for (std::size_t k = 0; k < track.terrainRuns.size(); ++k) put(b, l.terrainRuns + 2 * k, track.terrainRuns[k], 2);
    for (std::size_t i = 0; i < 4096 && i < track.heightGrid.size(); ++i) b[l.heightGrid + i] = track.heightGrid[i];
    const auto m = track.objectCount.value_or(static_cast<std::int16_t>(track.objects.size()) - 1);
    put(b, l.objectTable, static_cast<std::uint16_t>(m), 2);
    for (std::size_t k = 0; k < track.objects.size(); ++k) {
        const std::size_t at = l.objectTable + 2 + 8 * k;
        const TrackObject& o = track.objects[k];
        b[at] = static_cast<std::uint8_t>(o.kind);
        put(b, at + 2, static_cast<std::uint16_t>(o.x), 2);
        put(b, at + 4, static_cast<std::uint16_t>(o.y), 2);
        b[at + 7] = o.heading;
    }
    putText(b, l.author, track.author, 30);
    put(b, l.records - 4, static_cast<std::uint32_t>(track.trackLength), 4);
    for (std::size_t i = 0; i < 7; ++i) {
        put(b, l.records + 2 * i, static_cast<std::uint16_t>(track.recordTimes[i]), 2);
        putText(b, l.records + 14 + 13 * i, track.drivers[i], 13);
        putText(b, l.records + 105 + 1344 * i, track.cars[i], 1344);
    }
    if (track.truncateAt && *track.truncateAt < b.size()) b.resize(*track.truncateAt);
    return b;
}

void saveFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

void saveTrack(const std::string& path, const TrackSpec& track) { saveFile(path, writeTrack(track)); }

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace pitbox::test
