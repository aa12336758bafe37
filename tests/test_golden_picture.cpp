// The PNG encoder checked by an independent decoder, and one dense demo track's
// whole picture against a committed one. PITBOX_UPDATE_GOLDEN=1 rewrites the
// committed picture; a mismatch leaves a diff picture in the build folder.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <cstdlib>
#include <fstream>
#include <optional>

#include "preview/track_preview.h"
#include "raster/image_files.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

std::optional<raster::Picture> decodePng(const std::vector<std::uint8_t>& png) {
    int width = 0, height = 0, channels = 0;
    stbi_uc* rgb = stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width, &height, &channels, 3);
    if (!rgb) return std::nullopt;
    raster::Picture picture(width, height);
    for (std::size_t i = 0; i < picture.pixels().size(); ++i)
        picture.pixels()[i] = raster::rgb(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    stbi_image_free(rgb);
    return picture;
}

std::vector<std::uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

const std::string kDemoTrack = PITBOX_SOURCE_DIR "/examples/tracks/Community/Rally/Birch Forest.trk";

raster::Picture demoPicture() {
    TrackBuffer buffer;
    HeaderFields header;
    // Without the records text: its pixels depend on the fonts of the machine.
    auto picture = preview::buildTrackPreview(kDemoTrack, buffer, header, nullptr, 1);
    EXPECT_TRUE(picture) << (picture ? "" : picture.error().message());
    return picture ? *picture : raster::Picture{};
}

// A picture of `colours` colours in turn, `width` wide.
raster::Picture stripes(int width, int height, unsigned colours) {
    raster::Picture p(width, height);
    for (std::size_t i = 0; i < p.pixels().size(); ++i)
        p.pixels()[i] =
            raster::rgb(static_cast<unsigned>(i % colours), 255 - static_cast<unsigned>(i % colours) / 2, 7);
    return p;
}

TEST(Png, DecodesToEveryPixelAndStaysSmall) {
    struct Case {
        const char* what;
        raster::Picture picture;
        int rows;
        std::size_t most;  // bytes
    };
    const Case cases[] = {
        {"the demo track, a dozen colours: 4 bits a pixel", demoPicture(), 560, 12'000},
        {"its map alone", demoPicture(), 512, 12'000},
        {"an odd width, 4 bits a pixel", stripes(5, 3, 3), 3, 200},
        {"256 colours, 8 bits a pixel", stripes(640, 40, 256), 40, 30'000},
        {"more colours: true colour", stripes(640, 40, 300), 40, 80'000},
    };
    for (const Case& c : cases) {
        const std::string png = raster::encodePng(c.picture, c.rows);
        EXPECT_LT(png.size(), c.most) << c.what;
        const auto decoded = decodePng(bytesOf(png));
        ASSERT_TRUE(decoded) << c.what;
        ASSERT_EQ(decoded->width(), c.picture.width()) << c.what;
        ASSERT_EQ(decoded->height(), c.rows) << c.what;
        EXPECT_TRUE(std::equal(decoded->pixels().begin(), decoded->pixels().end(), c.picture.pixels().begin()))
            << c.what;
    }
}

TEST(GoldenPicture, DenseDemoTrack) {
    const std::string golden = PITBOX_SOURCE_DIR "/tests/golden/birch-forest.png";
    const raster::Picture picture = demoPicture();
    if (std::getenv("PITBOX_UPDATE_GOLDEN")) {
        saveFile(golden, bytesOf(raster::encodePng(picture)));
        std::cout << "rewrote " << golden << "\n";
        return;
    }
    const auto expected = decodePng(readFile(golden));
    ASSERT_TRUE(expected) << golden << " is missing or not a PNG";
    ASSERT_EQ(expected->width(), picture.width());
    ASSERT_EQ(expected->height(), picture.height());
    // The diff: mismatches in red over a dimmed copy of the expected picture.
    raster::Picture diff = *expected;
    std::size_t mismatches = 0;
    for (std::size_t i = 0; i < diff.pixels().size(); ++i) {
        const raster::Colour want = expected->pixels()[i];
        if (picture.pixels()[i] != want) {
            diff.pixels()[i] = raster::rgb(255, 0, 0);
            ++mismatches;
        } else {
            diff.pixels()[i] =
                raster::rgb(raster::redOf(want) / 3, raster::greenOf(want) / 3, raster::blueOf(want) / 3);
        }
    }
    if (mismatches > 0) {
        const std::string at = PITBOX_BINARY_DIR "/golden-diff-birch-forest.png";
        saveFile(at, bytesOf(raster::encodePng(diff)));
        ADD_FAILURE() << mismatches << " pixels differ from " << golden << "; see " << at
                      << " (PITBOX_UPDATE_GOLDEN=1 rewrites the expected picture)";
    }
}

}  // namespace
}  // namespace pitbox::test
