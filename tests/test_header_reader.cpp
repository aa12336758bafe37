#include <gtest/gtest.h>

#include <functional>

#include "base/windows1252.h"
#include "support/header_status.h"
#include "tools/track_writer.h"
#include "trackfile/header_reader.h"

namespace pitbox::test {
namespace {

HeaderStatus read(const TrackSpec& track, HeaderFields& h) {
    const auto bytes = writeTrack(track);
    return headerStatus(bytes, h);
}

struct FormatCase {
    const char* name;
    std::vector<std::uint8_t> start;  // the first four bytes
    bool supported;
};

TEST(HeaderReader, SignatureAndVersionAreExact) {
    const FormatCase cases[] = {
        {"version 261", {5, 1, 'K', 'S'}, true},
        {"version 262", {6, 1, 'K', 'S'}, false},
        {"version 260", {4, 1, 'K', 'S'}, false},
        {"lower-case signature", {5, 1, 'k', 's'}, false},
        {"signature cut by byte 0", {5, 1, 'K', 0}, false},
        {"swapped signature", {5, 1, 'S', 'K'}, false},
    };
    for (const auto& c : cases) {
        auto bytes = writeTrack(TrackSpec{});
        std::copy(c.start.begin(), c.start.end(), bytes.begin());
        HeaderFields h;
        EXPECT_EQ(headerStatus(bytes, h), c.supported ? HeaderStatus::Supported : HeaderStatus::OldFormat) << c.name;
        EXPECT_EQ(h.oldFormat, !c.supported) << c.name;
    }
}

TEST(HeaderReader, SupportedFileGivesEveryField) {
    TrackSpec track;
    track.worldSize = 255;
    track.waterLevel = 77;
    track.trackLength = 40000;
    track.author = "  Jane Doe  ";
    track.recordTimes[0] = 4523;
    track.recordTimes[1] = -5;
    track.drivers[0] = "Ann";
    track.drivers[1] = "Bob";
    track.cars[0] = "Falcon";
    track.cars[1] = "Viper";
    track.terrainRuns = {0x0101, 0x0202, 0x0303};
    HeaderFields h;
    ASSERT_EQ(read(track, h), HeaderStatus::Supported);
    EXPECT_FALSE(h.oldFormat);
    EXPECT_EQ(h.worldSize, 255);
    EXPECT_EQ(h.waterLevel, 77);
    EXPECT_EQ(h.trackLength, 40000);
    EXPECT_EQ(h.author, "Jane Doe");
    EXPECT_EQ(h.recordTimes[0], 4523);
    EXPECT_EQ(h.recordTimes[1], -5);
    EXPECT_EQ(h.drivers[0], "Ann");
    EXPECT_EQ(h.drivers[1], "Bob");
    EXPECT_EQ(h.cars[0], "Falcon");
    EXPECT_EQ(h.cars[1], "Viper");
    EXPECT_EQ(h.terrainRunCount, 2);
    EXPECT_EQ(h.heightGridAt, 26);
    EXPECT_EQ(h.objectTableAt, 4122);
}

TEST(HeaderReader, OldFormatKeepsWhatTheFormatDoesNotReplace) {
    TrackSpec good;
    good.worldSize = 200;
    good.waterLevel = 9;
    good.recordTimes[0] = 1111;
    good.cars[0] = "Falcon";
    good.drivers[0] = "Ann";
    HeaderFields h;
    ASSERT_EQ(read(good, h), HeaderStatus::Supported);
    ASSERT_EQ(read(TrackSpec::oldFormat(), h), HeaderStatus::OldFormat);
    EXPECT_TRUE(h.oldFormat);
    EXPECT_FALSE(h.needs110);
    EXPECT_EQ(h.author, "zz_Old KS<1.05");
    EXPECT_EQ(h.trackLength, 0);
    EXPECT_EQ(h.drivers[0], "");
    EXPECT_EQ(h.worldSize, 200);
    EXPECT_EQ(h.waterLevel, 9);
    EXPECT_EQ(h.recordTimes[0], 1111);
    EXPECT_EQ(h.cars[0], "Falcon");
}

TEST(HeaderReader, TextFields) {
    struct Case {
        const char* name;
        std::string stored;
        std::string expected;
    };
    const Case drivers[] = {
        {"twelve characters", "ABCDEFGHIJKL", "ABCDEFGHIJKL"},
        {"thirteenth byte not read", std::string("ABCDEFGHIJKLM"), "ABCDEFGHIJKL"},
        {"starts with byte 0", std::string("\0Bob", 4), ""},
        {"spaces around", "  Bob  ", "Bob"},
        {"inner spaces kept", "A  B", "A  B"},
        {"only spaces", "      ", ""},
        {"tab is not trimmed", "\tBob", "\tBob"},
        {"Windows-1252", "J\xF6rg \x80", "J\xC3\xB6rg \xE2\x82\xAC"},
    };
    for (const auto& c : drivers) {
        TrackSpec track;
        track.drivers[1] = c.stored;
        HeaderFields h;
        ASSERT_EQ(read(track, h), HeaderStatus::Supported) << c.name;
        EXPECT_EQ(h.drivers[1], c.expected) << c.name;
    }
    TrackSpec full;
    full.author = std::string(30, 'x');
    HeaderFields h;
    ASSERT_EQ(read(full, h), HeaderStatus::Supported);
    EXPECT_EQ(h.author, std::string(30, 'x'));
    full.author = std::string(30, ' ');
    ASSERT_EQ(read(full, h), HeaderStatus::Supported);
    EXPECT_EQ(h.author, "");
}

TEST(HeaderReader, Needs110Scan) {
    struct Case {
        const char* name;
        std::vector<std::int8_t> kinds;
        std::optional<std::int16_t> storedM;
        bool needs110;
    };
    const Case cases[] = {
        {"kinds up to 24", {1, 10, 24}, std::nullopt, false},
        {"kind 25", {1, 25, 3}, std::nullopt, true},
        {"kind stored as 200 is negative", {static_cast<std::int8_t>(200)}, std::nullopt, false},
        {"kind 127", {127}, std::nullopt, true},
        {"the last entry M is examined", {1, 2, 30}, std::nullopt, true},
        {"M = -1 gives no entries", {30}, std::int16_t{-1}, false},
        {"entries past M are not examined", {1, 30}, std::int16_t{0}, false},
    };
    for (const auto& c : cases) {
        TrackSpec track;
        for (auto k : c.kinds) track.objects.push_back({k, 10, 10, 0});
        track.objectCount = c.storedM;
        HeaderFields h;
        ASSERT_EQ(read(track, h), HeaderStatus::Supported) << c.name;
        EXPECT_EQ(h.needs110, c.needs110) << c.name;
    }
}

TEST(HeaderReader, RecordsFollowTheStoredOffset) {
    TrackSpec track;
    track.gapBeforeAuthor = 1000;
    track.drivers[0] = "Far";
    track.trackLength = -7;
    HeaderFields h;
    ASSERT_EQ(read(track, h), HeaderStatus::Supported);
    EXPECT_EQ(h.drivers[0], "Far");
    EXPECT_EQ(h.trackLength, -7);
}

TEST(HeaderReader, DamagedFilesReadNothingOutsideTheirBytes) {
    const TrackSpec base;
    const TrackLayout l = layoutOf(base);
    struct Case {
        const char* name;
        std::function<void(TrackSpec&)> damage;
        HeaderStatus expected;
    };
    const Case cases[] = {
        {"empty file", [](TrackSpec& s) { s.truncateAt = 0; }, HeaderStatus::Damaged},
        {"too short for the signature", [](TrackSpec& s) { s.truncateAt = 3; }, HeaderStatus::Damaged},
        {"just the version and the signature", [](TrackSpec& s) { s.truncateAt = 4; }, HeaderStatus::Damaged},
        {"cut inside the header", [](TrackSpec& s) { s.truncateAt = 12; }, HeaderStatus::Damaged},
        {"cut inside the terrain runs", [&](TrackSpec& s) { s.truncateAt = l.terrainRuns + 1; }, HeaderStatus::Damaged},
        {"cut inside the height grid", [&](TrackSpec& s) { s.truncateAt = l.heightGrid + 100; }, HeaderStatus::Damaged},
        {"cut inside the object table",
         [&](TrackSpec& s) {
             s.objects.resize(4, TrackObject{1, 2, 3, 4});
             s.truncateAt = l.objectTable + 12;
         },
         HeaderStatus::Damaged},
        {"cut inside the author", [&](TrackSpec& s) { s.truncateAt = l.author + 10; }, HeaderStatus::Damaged},
        {"cut inside the record slots", [&](TrackSpec& s) { s.truncateAt = l.records + 20; }, HeaderStatus::Damaged},
        {"cut inside slot 1's car name", [&](TrackSpec& s) { s.truncateAt = l.records + 1449 + 5; },
         HeaderStatus::Damaged},
        {"cut after slot 1's car name", [&](TrackSpec& s) { s.truncateAt = l.records + 1461; },
         HeaderStatus::Supported},
        {"R past the end", [](TrackSpec& s) { s.recordsOffset = 0x7FFFFFF0u; }, HeaderStatus::Damaged},
        {"R below the author field", [](TrackSpec& s) { s.recordsOffset = 100; }, HeaderStatus::Damaged},
        {"R as a negative number", [](TrackSpec& s) { s.recordsOffset = 0xFFFFFFF0u; }, HeaderStatus::Damaged},
        {"N past the end", [](TrackSpec& s) { s.terrainRunCount = 1'000'000; }, HeaderStatus::Damaged},
        {"N negative", [](TrackSpec& s) { s.terrainRunCount = -3000; }, HeaderStatus::Damaged},
        {"N most negative", [](TrackSpec& s) { s.terrainRunCount = INT32_MIN; }, HeaderStatus::Damaged},
        {"M past the end", [](TrackSpec& s) { s.objectCount = 32000; }, HeaderStatus::Damaged},
        {"M negative", [](TrackSpec& s) { s.objectCount = -200; }, HeaderStatus::Supported},
    };
    for (const auto& c : cases) {
        TrackSpec track = base;
        c.damage(track);
        // An exact-size copy, so a sanitizer catches any read past the end.
        const auto bytes = writeTrack(track);
        std::vector<std::uint8_t> exact(bytes.begin(), bytes.end());
        HeaderFields h;
        h.author = "earlier file";
        h.drivers[0] = "earlier";
        h.worldSize = 99;
        const HeaderStatus status = headerStatus(exact, h);
        EXPECT_EQ(status, c.expected) << c.name;
        if (status == HeaderStatus::Damaged) {
            EXPECT_TRUE(h.damaged) << c.name;
            EXPECT_EQ(h.author, "") << c.name;
            EXPECT_EQ(h.drivers[0], "") << c.name;
            EXPECT_EQ(h.worldSize, 0) << c.name;
        }
    }
}

TEST(Windows1252, EveryByteDecodes) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::string utf8 = decodeWindows1252(all);
    EXPECT_EQ(decodeWindows1252("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(decodeWindows1252("\x9F"), "\xC5\xB8");
    EXPECT_EQ(decodeWindows1252("\x81"), "\xC2\x81");
    EXPECT_EQ(decodeWindows1252("\xE9"), "\xC3\xA9");
    EXPECT_EQ(decodeWindows1252("\xFF"), "\xC3\xBF");
    EXPECT_EQ(decodeWindows1252("Plain"), "Plain");
    // Every byte becomes one character.
    std::size_t characters = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    EXPECT_EQ(characters, 255u);
}

}  // namespace
}  // namespace pitbox::test
