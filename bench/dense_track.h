#pragma once
// A dense track: a full map of short terrain runs and 5,000 objects, among them
// 500 blocks. Another seed gives another map.
#include <random>

#include "tools/track_writer.h"

inline pitbox::test::TrackSpec denseTrack(unsigned seed) {
    pitbox::test::TrackSpec s;
    std::mt19937 random(seed);
    s.worldSize = 255;
    s.waterLevel = 100;
    s.terrainRuns.clear();
    for (int i = 0; i < 262144 / 8; ++i) s.terrainRuns.push_back(static_cast<std::uint16_t>(8 << 4 | (random() % 13)));
    for (auto& h : s.heightGrid) h = static_cast<std::uint8_t>(random());
    const std::int8_t small[] = {10, 9, 1, 2, 3, 23};
    for (int k = 0; k < 5000; ++k) {
        const std::int8_t kind = k < 500 ? 17 : small[random() % 6];
        s.objects.push_back({kind, static_cast<std::int16_t>(random() % 1024),
                             static_cast<std::int16_t>(random() % 1024), static_cast<std::uint8_t>(random())});
    }
    return s;
}
