// Writes the seed corpus of the fuzz targets into a folder.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "library/library_store.h"
#include "tools/track_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    using pitbox::test::TrackSpec;
    const std::string dir = std::string(argv[1]) + "/";
    TrackSpec plain;
    plain.terrainRuns = {0x0A31, 0x2002, 0xFFF5};
    plain.objects = {{10, 100, 100, 0}, {9, 200, 200, 0}, {17, 512, 512, 30}, {1, 300, 300, 61}, {25, 1, 1, 0}};
    plain.recordTimes[1] = 4523;
    plain.drivers = {"Ann", "Bob"};
    plain.gapBeforeAuthor = 0;
    pitbox::test::saveTrack(dir + "plain.trk", plain);
    TrackSpec tiny = plain;
    tiny.worldSize = 1;
    tiny.waterLevel = 255;
    pitbox::test::saveTrack(dir + "tiny_world.trk", tiny);
    pitbox::test::saveTrack(dir + "old.trk", TrackSpec::oldFormat());
    TrackSpec cut = plain;
    cut.truncateAt = 4200;
    pitbox::test::saveTrack(dir + "cut.trk", cut);
    TrackSpec noObjects;
    noObjects.objectCount = -1;
    noObjects.worldSize = 0;
    pitbox::test::saveTrack(dir + "no_objects.trk", noObjects);

    // A remembered library's body, for the store's reader.
    pitbox::Catalogue c;
    for (int i = 0; i < 3; ++i) {
        pitbox::TrackEntry& e = c.append();
        c.setPath(e, "/lib/", "t" + std::to_string(i) + ".trk");
        c.setText(e.author, "Ann");
        e.state = static_cast<pitbox::TrackState>(i);
    }
    pitbox::RememberedLibrary library;
    library.remember("/lib/", c);
    library.remember("/other/", pitbox::Catalogue());
    const std::string store = pitbox::encodeLibrary(library);
    const std::string_view body = pitbox::libraryBody(store);
    std::FILE* f = std::fopen((dir + "library.body").c_str(), "wb");
    if (!f) return 1;
    std::fwrite(body.data(), 1, body.size(), f);
    if (std::fclose(f) != 0) return 1;

    // Packs of those tracks, for the archive reader: a zip and a 7z.
    const std::string in = "cd '" + dir + "' && ";
    if (std::system((in + "python3 -c \"import zipfile; z = zipfile.ZipFile('pack.zip', 'w', zipfile.ZIP_DEFLATED); "
                          "z.write('plain.trk', 'Week 1/plain.trk'); z.write('cut.trk'); z.close()\"")
                        .c_str()) != 0)
        return 1;
    return std::system((in + "7z a -bd -bso0 -bsp0 pack.7z plain.trk old.trk").c_str()) == 0 ? 0 : 1;
}
