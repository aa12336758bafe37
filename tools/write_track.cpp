// Writes a track file for the end-to-end tests:
//   write_track OUT [plain|old|damaged|v110] [WORLD_SIZE LENGTH AUTHOR]
#include <iostream>
#include <string>

#include "tools/command_line.h"
#include "tools/track_writer.h"

namespace {

int writeTrack(int argc, char** argv) {
    CLI::App line("Writes a track file for the end-to-end tests.", "write_track");
    std::string out, kind = "plain", author;
    int worldSize = 200, length = 4321;
    line.add_option("OUT", out, "the track file to write")->required();
    line.add_option("KIND", kind, "plain, old (the old format), damaged (cut short) or v110 (a 1.10 object)")
        ->check(CLI::IsMember({"plain", "old", "damaged", "v110"}));
    // The three fields come together, or not at all.
    CLI::Option* size = line.add_option("WORLD_SIZE", worldSize, "the world size")->check(CLI::Range(0, 255));
    CLI::Option* longness = line.add_option("LENGTH", length, "the track length");
    CLI::Option* by = line.add_option("AUTHOR", author, "the author");
    size->needs(longness);
    longness->needs(by);
    by->needs(size);
    if (const auto ended = pitbox::tools::parseCommandLine(line, argc, argv)) return *ended;
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
    if (size->count() > 0) {
        s.worldSize = static_cast<std::uint8_t>(worldSize);
        s.trackLength = length;
        s.author = author;
    }
    if (kind == "old") s.version = 260;
    if (kind == "v110") s.objects.push_back({30, 10, 10, 0});
    if (kind == "damaged") s.truncateAt = 5000;
    pitbox::test::saveTrack(out, s);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return pitbox::tools::reportingFailures("write_track", [&] { return writeTrack(argc, argv); });
}
