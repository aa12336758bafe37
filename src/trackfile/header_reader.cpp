#include "trackfile/header_reader.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "base/windows1252.h"
#include "trackfile/track_format.h"

namespace pitbox {
namespace {

namespace tf = trackformat;

std::string trimSpaces(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}

std::optional<std::string> textField(const ByteReader& r, std::int64_t at, std::int64_t width) {
    auto raw = r.text(at, width);
    if (!raw) return std::nullopt;
    return decodeWindows1252(trimSpaces(*raw));
}

bool isSupported(const ByteReader& r) {
    auto signature = r.bytes(tf::kSignature, 2);
    auto version = r.s16(tf::kVersion);
    return signature && version && (*signature)[0] == 'K' && (*signature)[1] == 'S' &&
           *version == tf::kSupportedVersion;
}

Error damaged(HeaderFields& h, const std::string& name, const char* why = "its fields lie outside its bytes") {
    h = HeaderFields{};
    h.damaged = true;
    return Error{ErrorCode::Damaged, name, std::string("damaged: ") + why};
}

}  // namespace

std::optional<std::span<const std::uint8_t>> objectEntries(std::span<const std::uint8_t> file, std::int64_t tableAt,
                                                           std::int16_t m) {
    const std::int64_t entries = static_cast<std::int64_t>(m) + 1;
    if (entries <= 0) return std::span<const std::uint8_t>{};
    return ByteReader(file).bytes(tableAt + 2, entries * tf::kObjectEntrySize);
}

std::optional<std::string> trackMapBytes(std::span<const std::uint8_t> file) {
    HeaderFields h;
    if (!readTrackHeader(file, h) || h.oldFormat) return std::nullopt;
    // The whole object table lies inside the file: readTrackHeader made sure.
    // A negative M is an empty table.
    const std::int64_t objects = std::max<std::int64_t>(std::int64_t{h.objectCount} + 1, 0);
    const auto end = static_cast<std::size_t>(h.objectTableAt + 2 + objects * tf::kObjectEntrySize);
    std::string map;
    map.reserve(end - tf::kTerrainRunCount + 2);
    map += static_cast<char>(h.worldSize);
    map += static_cast<char>(h.waterLevel);
    map.append(reinterpret_cast<const char*>(file.data()) + tf::kTerrainRunCount, end - tf::kTerrainRunCount);
    return map;
}

Result<void> readTrackHeader(const TrackBuffer& buffer, HeaderFields& h) {
    return readTrackHeader(buffer.bytes(), h, buffer.path());
}

Result<void> readTrackHeader(std::span<const std::uint8_t> file, HeaderFields& h, const std::string& name) {
    const ByteReader r(file);
    h.trackLength = 0;
    h.drivers = {};
    h.oldFormat = false;
    h.needs110 = false;
    h.damaged = false;

    // Shorter than the version and the signature (an empty file among them):
    // no track of any format.
    if (file.size() < static_cast<std::size_t>(tf::kSignature + 2)) return damaged(h, name, "too short to be a track");
    if (!isSupported(r)) {
        h.oldFormat = true;
        h.author = kOldFormatAuthor;
        return {};
    }

    const auto worldSize = r.u8(tf::kWorldSize);
    const auto waterLevel = r.u8(tf::kWaterLevel);
    const auto n = r.s32(tf::kTerrainRunCount);
    const auto recordsAt = r.u32(tf::kRecordsOffset);
    if (!worldSize || !waterLevel || !n || !recordsAt) return damaged(h, name);
    const std::int64_t tableAt = tf::objectTableAt(*n);
    const auto m = r.s16(tableAt);
    if (!m) return damaged(h, name);
    // The 1.10 scan looks at every entry 0 to M; the whole table must be present.
    const auto table = objectEntries(file, tableAt, *m);
    if (!table) return damaged(h, name);

    const std::int64_t R = *recordsAt;
    const auto length = r.s32(R + tf::kTrackLength);
    const auto author = textField(r, R + tf::kAuthor, tf::kAuthorWidth);
    std::array<std::optional<std::int16_t>, 2> times;
    std::array<std::optional<std::string>, 2> drivers, cars;
    for (std::size_t i = 0; i < 2; ++i) {
        const auto slot = static_cast<std::int64_t>(i);
        times[i] = r.s16(R + tf::kRecordTimes + 2 * slot);
        drivers[i] = textField(r, R + tf::kDriverNames + tf::kDriverNameStride * slot, tf::kDriverNameWidth);
        cars[i] = textField(r, R + tf::kCarBlocks + tf::kCarBlockStride * slot, tf::kCarNameWidth);
    }
    if (!length || !author || !times[0] || !times[1] || !drivers[0] || !drivers[1] || !cars[0] || !cars[1])
        return damaged(h, name);

    h.worldSize = *worldSize;
    h.waterLevel = *waterLevel;
    h.terrainRunCount = *n;
    h.heightGridAt = tf::heightGridAt(*n);
    h.objectTableAt = tableAt;
    h.objectCount = *m;
    h.trackLength = *length;
    h.author = *author;
    for (std::size_t i = 0; i < 2; ++i) {
        h.recordTimes[i] = *times[i];
        h.drivers[i] = std::move(*drivers[i]);
        h.cars[i] = std::move(*cars[i]);
    }
    for (std::size_t at = 0; at < table->size(); at += tf::kObjectEntrySize)
        if (static_cast<std::int8_t>((*table)[at]) > tf::kLastKindBefore110) h.needs110 = true;
    return {};
}

}  // namespace pitbox
