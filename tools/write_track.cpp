// Writes a track file for the end-to-end tests:
//   write_track OUT [plain|old|damaged|v110] [WORLD_SIZE LENGTH AUTHOR]
#include <iostream>
#include <string>

#include "tools/track_writer.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: write_track OUT [plain|old|damaged|v110] [WORLD_SIZE LENGTH AUTHOR]\n";
        return 2;
    }
    const std::string kind = argc > 2 ? argv[2] : "";
    pitbox::test::TrackSpec s;
    s.worldSize = 200;
    s.waterLevel = 90;
    s.author = "Tester";
    s.trackLength = 4321;
    s.recordTimes[1] = 4523;
    s.drivers = {"Ann", "Bob"};
    s.cars = {"Falcon", "Viper"};
    s.terrainRuns.assign(65, static_cast<std::uint16_t>(4095 << 4 | 2));
    for (int j = 0; j < 64; ++j)
        for (int i = 0; i < 64; ++i)
            s.heightGrid[static_cast<std::size_t>(64 * j) + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(2 * (i + j));
    s.objects = {{17, 600, 600, 20}, {1, 400, 500, 0}, {10, 300, 300, 0}};
    if (argc > 5) {
        s.worldSize = static_cast<std::uint8_t>(std::stoi(argv[3]));
        s.trackLength = std::stoi(argv[4]);
        s.author = argv[5];
    }
    if (kind == "old") s.version = 260;
    if (kind == "v110") s.objects.push_back({30, 10, 10, 0});
    if (kind == "damaged") s.truncateAt = 5000;
    pitbox::test::saveTrack(argv[1], s);
    return 0;
}
