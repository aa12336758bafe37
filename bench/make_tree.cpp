// Writes a large tree of track files for the benchmarks:
//   make_tree DIR FOLDERS FILES_PER_FOLDER [MIN_KB MAX_KB [COPY_EVERY]]
// Folders are nested three levels deep. With sizes, every file is a real track
// of about that size (objects fill it); without, files hold a few bytes, which
// is all a folder walk looks at. With COPY_EVERY, every so many files one is a
// copy of the file before it, for the duplicate search.
#include <sys/stat.h>

#include <cstdlib>
#include <iostream>
#include <random>
#include <string>

#include "tools/track_writer.h"

int main(int argc, char** argv) {
    if (argc < 4 || argc == 5 || argc > 7) {
        std::cerr << "usage: make_tree DIR FOLDERS FILES_PER_FOLDER [MIN_KB MAX_KB [COPY_EVERY]]\n";
        return 2;
    }
    const std::string root = std::string(argv[1]) + "/";
    const int folders = std::atoi(argv[2]);
    const int perFolder = std::atoi(argv[3]);
    const bool real = argc >= 6;
    const int copyEvery = argc == 7 ? std::atoi(argv[6]) : 0;
    std::vector<std::uint8_t> last;
    const int minKb = real ? std::atoi(argv[4]) : 0;
    const int maxKb = real ? std::atoi(argv[5]) : 0;
    std::mt19937 random(42);
    ::mkdir(root.c_str(), 0755);
    for (int f = 0; f < folders; ++f) {
        const std::string a = root + "series" + std::to_string(f / 100) + "/";
        const std::string b = a + "pack" + std::to_string(f / 10) + "/";
        const std::string c = b + "set" + std::to_string(f) + "/";
        ::mkdir(a.c_str(), 0755);
        ::mkdir(b.c_str(), 0755);
        ::mkdir(c.c_str(), 0755);
        for (int i = 0; i < perFolder; ++i) {
            const std::string path =
                c + "Track " + std::to_string(f) + "_" + std::to_string(i) + (i % 5 ? ".trk" : ".TRK");
            if (!real) {
                pitbox::test::saveFile(path, {5, 1, 'K', 'S'});
                continue;
            }
            pitbox::test::TrackSpec s;
            s.worldSize = static_cast<std::uint8_t>(random() % 256);
            s.author = "Author " + std::to_string(random() % 500);
            s.trackLength = static_cast<std::int32_t>(random() % 60000);
            s.drivers = {"Ann", "Bob"};
            s.terrainRuns.assign(2000, static_cast<std::uint16_t>((131 << 4) | (random() % 12)));
            const int kb = minKb + static_cast<int>(random() % static_cast<unsigned>(maxKb - minKb + 1));
            // Everything but the object table takes 18,183 bytes with 2,000 runs.
            const int objects = std::max(0, (kb * 1024 - 18183) / 8);
            for (int k = 0; k < objects; ++k)
                s.objects.push_back({static_cast<std::int8_t>(1 + random() % 24),
                                     static_cast<std::int16_t>(random() % 1024),
                                     static_cast<std::int16_t>(random() % 1024), static_cast<std::uint8_t>(random())});
            if (copyEvery > 0 && i > 0 && i % copyEvery == 0) {
                pitbox::test::saveFile(path, last);
                continue;
            }
            last = pitbox::test::writeTrack(s);
            pitbox::test::saveFile(path, last);
        }
    }
    return 0;
}
