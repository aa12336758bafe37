// Writes the demo tracks of examples/tracks: make_demo_tracks FOLDER
// Each track is a closed road loop drawn with terrain runs, with hills and a lake
// in the height grid, checkpoints and blocks along the road, an author and lap
// records. One is an old-format file, one needs version 1.10.
#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "tools/command_line.h"
#include "tools/track_writer.h"

namespace {

using pitbox::test::TrackObject;
using pitbox::test::TrackSpec;

constexpr int kSize = 512;
enum Code : std::uint8_t { Asphalt = 0, Kerb = 1, Grass = 2, Meadow = 3, Dirt = 4, Sand = 5, Snow = 7, Ice = 8 };

struct Design {
    std::string folder, file, author;
    std::uint8_t worldSize;
    double rx, ry, wobble;  // loop radii in pixels and how much the loop bends
    int lobes;
    std::uint8_t ground, road;
    std::array<std::int16_t, 2> times;
    std::array<std::string, 2> drivers, cars;
    bool old = false, needs110 = false;
};

struct Point {
    double x, y;
};

// The road's centre line: a loop around the map centre.
Point loopAt(const Design& d, double t) {
    const double r = 1.0 + d.wobble * std::sin(d.lobes * t);
    return {256 + d.rx * r * std::cos(t), 256 + d.ry * r * std::sin(t)};
}

std::vector<std::uint16_t> encodeRuns(const std::vector<std::uint8_t>& codes) {
    // Bottom row first, left to right, then upwards.
    std::vector<std::uint16_t> runs;
    std::uint8_t code = codes[static_cast<std::size_t>(kSize - 1) * kSize];
    unsigned length = 0;
    for (int row = kSize - 1; row >= 0; --row)
        for (int col = 0; col < kSize; ++col) {
            const std::uint8_t c = codes[static_cast<std::size_t>(row) * kSize + static_cast<std::size_t>(col)];
            if (c != code || length == 4095) {
                runs.push_back(static_cast<std::uint16_t>(length << 4 | code));
                code = c;
                length = 0;
            }
            ++length;
        }
    runs.push_back(static_cast<std::uint16_t>(length << 4 | code));
    return runs;
}

TrackObject object(std::int8_t kind, Point p, double headingRadians) {
    // World units are two per pixel, y growing upwards; heading 0 points east and
    // 61 steps make a quarter turn clockwise on the map.
    double steps = -headingRadians / (2 * M_PI) * 244.0;
    while (steps < 0) steps += 244;
    return {kind, static_cast<std::int16_t>(2 * p.x), static_cast<std::int16_t>(2 * (511 - p.y)),
            static_cast<std::uint8_t>(static_cast<int>(steps) % 244)};
}

TrackSpec build(const Design& d, std::mt19937& random) {
    auto uniform = [&random](unsigned below) { return static_cast<double>(random() % below); };
    TrackSpec s;
    s.worldSize = d.worldSize;
    s.author = d.author;
    s.recordTimes[0] = d.times[0];
    s.recordTimes[1] = d.times[1];
    s.drivers[0] = d.drivers[0];
    s.drivers[1] = d.drivers[1];
    s.cars[0] = d.cars[0];
    s.cars[1] = d.cars[1];
    if (d.old) s.version = 260;

    std::vector<std::uint8_t> codes(static_cast<std::size_t>(kSize) * kSize, d.ground);
    auto paint = [&](Point c, double radius, std::uint8_t code) {
        for (int y = static_cast<int>(c.y - radius); y <= static_cast<int>(c.y + radius); ++y)
            for (int x = static_cast<int>(c.x - radius); x <= static_cast<int>(c.x + radius); ++x)
                if (x >= 0 && y >= 0 && x < kSize && y < kSize && std::hypot(x - c.x, y - c.y) <= radius)
                    codes[static_cast<std::size_t>(y) * kSize + static_cast<std::size_t>(x)] = code;
    };
    // Meadow patches, then the road with kerbs on both sides.
    for (int i = 0; i < 14; ++i) paint({30.0 + uniform(450), 30.0 + uniform(450)}, 10.0 + uniform(30), Meadow);
    constexpr int kSteps = 2400;
    for (int i = 0; i < kSteps; ++i) paint(loopAt(d, 2 * M_PI * i / kSteps), 11, Kerb);
    for (int i = 0; i < kSteps; ++i) paint(loopAt(d, 2 * M_PI * i / kSteps), 8, d.road);
    s.terrainRuns = encodeRuns(codes);
    double perimeter = 0;
    for (int i = 0; i < kSteps; ++i) {
        const Point a = loopAt(d, 2 * M_PI * i / kSteps), b = loopAt(d, 2 * M_PI * (i + 1) / kSteps);
        perimeter += std::hypot(b.x - a.x, b.y - a.y);
    }
    s.trackLength = static_cast<std::int32_t>(perimeter * 4);  // metres, at four to the pixel

    // Hills far from the road, a lake in one corner below the water level.
    s.waterLevel = 60;
    const Point lake = {random() % 2 ? 70.0 : 440.0, random() % 2 ? 70.0 : 440.0};
    for (int j = 0; j < 64; ++j)
        for (int i = 0; i < 64; ++i) {
            const double x = 8 * i + 4, y = 511 - (8 * j + 4);
            double h = 120 + 60 * std::sin(x / 57.0) * std::cos(y / 71.0);
            const double toLake = std::hypot(x - lake.x, y - lake.y);
            if (toLake < 60) h = 20 + toLake;
            s.heightGrid[static_cast<std::size_t>(64 * j) + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(std::clamp(h, 0.0, 255.0));
        }

    // Objects: the start line, checkpoints across the road, blocks and trees beside it.
    const double tangentStep = 0.001;
    auto heading = [&](double t) {
        const Point a = loopAt(d, t), b = loopAt(d, t + tangentStep);
        return std::atan2(-(b.y - a.y), b.x - a.x);
    };
    auto beside = [&](double t, double offset) {
        const Point p = loopAt(d, t);
        const double h = heading(t);
        return Point{p.x - offset * std::sin(h), p.y - offset * std::cos(h)};
    };
    s.objects.push_back(object(2, loopAt(d, 0), heading(0) + M_PI / 2));  // start line across the road
    for (int k = 1; k < 8; ++k) {
        const double t = 2 * M_PI * k / 8;
        s.objects.push_back(object(k % 2 ? 1 : 3, loopAt(d, t), heading(t) + M_PI / 2));
    }
    for (int k = 0; k < 10; ++k) {
        const double t = 2 * M_PI * (k + 0.5) / 10;
        s.objects.push_back(object(k % 3 ? 17 : 18, beside(t, k % 2 ? 36 : -36), heading(t)));
        s.objects.push_back(object(23, beside(t + 0.1, 16), heading(t)));
    }
    for (int k = 0; k < 90; ++k) {
        const Point p{15.0 + uniform(480), 15.0 + uniform(480)};
        s.objects.push_back(object(k % 4 ? 10 : 9, p, 0));
    }
    if (d.needs110) s.objects.push_back(object(31, loopAt(d, 1.0), 0));
    return s;
}

int writeDemoTracks(int argc, char** argv) {
    CLI::App line("Writes the demo tracks, each in its folder, below FOLDER.", "make_demo_tracks");
    std::string top;
    line.add_option("FOLDER", top, "where the demo tracks go; made as needed")->required();
    if (const auto ended = pitbox::tools::parseCommandLine(line, argc, argv)) return *ended;
    const std::string root = top + "/";
    // The folder and those on its way are made; one that cannot be is told
    // when the first track is not written.
    std::error_code ignored;
    std::filesystem::create_directories(top, ignored);
    const std::vector<Design> designs = {
        {"Classics",
         "Green Valley.trk",
         "Mara Lindqvist",
         180,
         190,
         150,
         0.10,
         3,
         Grass,
         Asphalt,
         {4870, 4712},
         {{"Mara", "Jonas"}},
         {{"Falcon GT", "Viper"}}},
        {"Classics",
         "Harbour Loop.trk",
         "Mara Lindqvist",
         200,
         210,
         120,
         0.18,
         2,
         Grass,
         Asphalt,
         {5320, 6000},
         {{"Ole", ""}},
         {{"Cobra", ""}}},
        {"Classics",
         "Dune Rush.TRK",
         "Sandro Pires",
         150,
         170,
         170,
         0.22,
         4,
         Sand,
         Dirt,
         {6100, 6100},
         {{"", ""}},
         {{"", ""}}},
        {"Classics",
         "Old Quarry.trk",
         "Old Timer",
         100,
         150,
         150,
         0.1,
         2,
         Grass,
         Dirt,
         {5000, 5000},
         {{"Ann", "Bob"}},
         {{"Mk1", "Mk1"}},
         true},
        {"Community/Rally",
         "Birch Forest.trk",
         "Juho Mäkinen",
         220,
         200,
         160,
         0.25,
         5,
         Meadow,
         Dirt,
         {3995, 4102},
         {{"Juho", "Aino"}},
         {{"Rally 4", "Rally 2"}}},
        {"Community/Rally",
         "Frozen Lake.trk",
         "Juho Mäkinen",
         240,
         180,
         180,
         0.15,
         3,
         Snow,
         Ice,
         {5580, 5477},
         {{"Aino", "Juho"}},
         {{"Spike", "Spike"}}},
        {"Community/Rally",
         "Canyon Run.trk",
         "Sandro Pires",
         160,
         220,
         110,
         0.3,
         3,
         Sand,
         Asphalt,
         {6000, 4999},
         {{"", "Rita"}},
         {{"", "Desert Fox"}}},
        {"Community/Oval",
         "Speedbowl.trk",
         "Oval Club",
         255,
         200,
         130,
         0.0,
         2,
         Grass,
         Asphalt,
         {2312, 2298},
         {{"Kim", "Lee"}},
         {{"Stock V8", "Stock V8"}}},
        {"Community/Oval",
         "Twin Ring.trk",
         "Oval Club",
         230,
         210,
         100,
         0.35,
         2,
         Grass,
         Asphalt,
         {2890, 6000},
         {{"Kim", ""}},
         {{"Stock V8", ""}}},
        {"Community/Oval/Night",
         "Moonlight Oval.trk",
         "Nocturne",
         210,
         190,
         140,
         0.05,
         2,
         Meadow,
         Asphalt,
         {3140, 3077},
         {{"Vega", "Orion"}},
         {{"Comet", "Nova"}}},
        {"Community",
         "Clover Leaf.trk",
         "Ivy Stone",
         190,
         180,
         180,
         0.3,
         4,
         Grass,
         Asphalt,
         {4401, 4350},
         {{"Ivy", "Rowan"}},
         {{"Sprite", "Kestrel"}},
         false,
         true},
        {"Community",
         "Snake Pass.trk",
         "Ivy Stone",
         170,
         200,
         170,
         0.2,
         6,
         Meadow,
         Asphalt,
         {5012, 5005},
         {{"Rowan", "Ivy"}},
         {{"Kestrel", "Sprite"}}},
    };
    std::mt19937 random(2026);
    for (const Design& d : designs) {
        std::string folder = root;
        std::size_t from = 0;
        const std::string path = d.folder + "/";
        for (std::size_t slash; (slash = path.find('/', from)) != std::string::npos; from = slash + 1) {
            folder = root + path.substr(0, slash + 1);
            ::mkdir(folder.c_str(), 0755);
        }
        Design windows1252 = d;
        // Texts in track files are Windows-1252.
        auto toCp1252 = [](const std::string& utf8) {
            std::string out;
            for (std::size_t i = 0; i < utf8.size(); ++i) {
                if (utf8.compare(i, 2, "\xC3\xA4") == 0) {
                    out.push_back('\xE4');
                    ++i;
                } else {
                    out.push_back(utf8[i]);
                }
            }
            return out;
        };
        windows1252.author = toCp1252(d.author);
        pitbox::test::saveTrack(folder + d.file, build(windows1252, random));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return pitbox::tools::reportingFailures("make_demo_tracks", [&] { return writeDemoTracks(argc, argv); });
}
