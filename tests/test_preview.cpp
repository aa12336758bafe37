#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "base/byte_reader.h"
#include "preview/palette.h"
#include "preview/preview.h"
#include "support/header_status.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

using preview::Corner;
const raster::Colour kBackground = raster::rgb(0, 100, 150);
const raster::Colour kWater = raster::rgb(0, 64, 255);
const raster::Colour kGrey = raster::rgb(170, 170, 170);
const raster::Colour kBlockFill = raster::rgb(180, 180, 180);

std::uint16_t run(unsigned code, unsigned length) { return static_cast<std::uint16_t>(length << 4 | code); }

struct Rendered {
    std::vector<std::uint8_t> bytes;
    HeaderFields header;
    raster::Picture picture;
};

// The preview as Show builds it, without the records text.
Rendered render(const TrackSpec& track) {
    Rendered r{writeTrack(track), {}, {}};
    EXPECT_EQ(headerStatus(r.bytes, r.header), HeaderStatus::Supported);
    r.picture = preview::buildBasePicture(r.bytes, r.header);
    preview::drawWaterLayer(r.picture, r.bytes, r.header);
    preview::drawObjectLayer(r.picture, r.bytes, r.header);
    return r;
}

TrackSpec dryMap() {
    TrackSpec s;
    s.terrainRuns.assign(65, run(2, 4095));  // grass over the whole map
    s.waterLevel = 0;
    return s;
}

std::size_t count(const raster::Picture& p, raster::Colour c, int fromRow = 0, int toRow = 559) {
    std::size_t n = 0;
    for (int y = fromRow; y <= toRow; ++y)
        for (int x = 0; x < p.width(); ++x) n += p.at(x, y) == c;
    return n;
}

TEST(BitmapTemplate, HeaderPaletteAndPixels) {
    const auto t = preview::bitmapTemplate();
    ASSERT_EQ(t.size(), 1334u);
    const ByteReader r(t);
    EXPECT_EQ(*r.text(0, 2), "BM");
    const std::pair<std::int64_t, std::uint32_t> fields32[] = {{2, 1334}, {6, 0},    {10, 1078}, {14, 40},
                                                               {18, 512}, {22, 560}, {30, 0},    {34, 256},
                                                               {38, 0},   {42, 0},   {46, 256},  {50, 256}};
    for (const auto& [at, value] : fields32) EXPECT_EQ(*r.u32(at), value) << at;
    EXPECT_EQ(*r.u16(26), 1);
    EXPECT_EQ(*r.u16(28), 8);
    const std::pair<int, raster::Colour> palette[] = {
        {0, raster::rgb(0, 0, 0)},         {9, raster::rgb(62, 62, 62)},      {23, raster::rgb(158, 158, 158)},
        {26, raster::rgb(179, 179, 179)},  {42, raster::rgb(145, 202, 91)},   {59, raster::rgb(160, 135, 110)},
        {83, raster::rgb(211, 172, 158)},  {89, raster::rgb(250, 220, 210)},  {100, raster::rgb(220, 230, 239)},
        {104, raster::rgb(245, 250, 255)}, {154, raster::rgb(190, 210, 130)}, {240, raster::rgb(0, 100, 150)},
        {242, raster::rgb(255, 255, 255)}, {244, raster::rgb(255, 0, 0)},     {245, raster::rgb(255, 255, 0)},
    };
    for (const auto& [index, colour] : palette) {
        const std::int64_t at = 54 + 4 * index;
        EXPECT_EQ(raster::rgb(*r.u8(at + 2), *r.u8(at + 1), *r.u8(at)), colour) << index;
    }
    for (std::int64_t i = 1078; i < 1334; ++i) ASSERT_EQ(*r.u8(i), 240);
}

TEST(BasePicture, TerrainRuns) {
    struct Case {
        const char* what;
        std::vector<std::uint16_t> runs;
        std::vector<std::tuple<int, int, raster::Colour>> pixels;  // x, y, colour
    };
    const Case cases[] = {
        {"bytes 49, 10: code 1, length 163",
         {0x0A31},
         {{0, 511, raster::rgb(179, 179, 179)}, {162, 511, raster::rgb(179, 179, 179)}, {163, 511, kBackground}}},
        {"a run continues on the row above",
         {run(4, 600)},
         {{511, 511, raster::rgb(160, 135, 110)}, {87, 510, raster::rgb(160, 135, 110)}, {88, 510, kBackground}}},
        {"length 0 writes nothing",
         {run(5, 0), run(6, 1)},
         {{0, 511, raster::rgb(250, 220, 210)}, {1, 511, kBackground}}},
        {"codes 13 to 15 are black",
         {run(13, 1), run(14, 1), run(15, 1)},
         {{2, 511, raster::rgb(0, 0, 0)}, {3, 511, kBackground}}},
        {"runs past the map are cut",
         std::vector<std::uint16_t>(65, run(12, 4095)),
         {{0, 0, raster::rgb(62, 62, 62)},
          {511, 0, raster::rgb(62, 62, 62)},
          {0, 512, kBackground},
          {511, 559, kBackground}}},
    };
    for (const auto& c : cases) {
        TrackSpec track;
        track.terrainRuns = c.runs;
        const Rendered r = render(track);
        ASSERT_EQ(r.picture.width(), 512);
        ASSERT_EQ(r.picture.height(), 560);
        for (const auto& [x, y, colour] : c.pixels)
            EXPECT_EQ(r.picture.at(x, y), colour) << c.what << " at " << x << "," << y;
    }
}

TEST(BasePicture, FullMapLeavesTheTextStrip) {
    TrackSpec track;
    track.terrainRuns.assign(512, run(2, 512));
    const Rendered r = render(track);
    EXPECT_EQ(count(r.picture, raster::rgb(145, 202, 91), 0, 511), 512u * 512u);
    EXPECT_EQ(count(r.picture, kBackground, 512, 559), 512u * 48u);
}

TEST(BasePicture, RunTableOutsideTheFileDrawsNoTerrain) {
    const auto bytes = writeTrack(dryMap());
    HeaderFields h;
    ASSERT_EQ(headerStatus(bytes, h), HeaderStatus::Supported);
    h.terrainRunCount = 1'000'000;  // as a damaged count would say
    const raster::Picture p = preview::buildBasePicture(bytes, h);
    EXPECT_EQ(count(p, kBackground), 512u * 560u);
}

TEST(WaterLayer, RowsAndStrictComparison) {
    struct Case {
        const char* what;
        std::uint8_t level;
        std::uint8_t height;
        std::size_t waterPixels;
    };
    const Case cases[] = {
        {"level 1 over zeros: rows 0 to 510", 1, 0, std::size_t{512} * 511},
        {"level 0 paints nothing", 0, 0, 0},
        {"level 255 leaves height 255 dry", 255, 255, 0},
        {"level 255 floods height 254", 255, 254, std::size_t{512} * 511},
        {"equal height stays dry", 100, 100, 0},
    };
    for (const auto& c : cases) {
        TrackSpec track = dryMap();
        track.waterLevel = c.level;
        track.heightGrid.assign(4096, c.height);
        const Rendered r = render(track);
        EXPECT_EQ(count(r.picture, kWater), c.waterPixels) << c.what;
        EXPECT_EQ(count(r.picture, kWater, 511, 511), 0u) << c.what;
    }
    TrackSpec one = dryMap();
    one.waterLevel = 10;
    one.heightGrid.assign(4096, 200);
    one.heightGrid[64 * 1 + 2] = 0;  // cell (2, 1)
    const Rendered r = render(one);
    EXPECT_EQ(count(r.picture, kWater), 64u);
    EXPECT_EQ(r.picture.at(16, 495), kWater);
    EXPECT_EQ(r.picture.at(23, 502), kWater);
    EXPECT_NE(r.picture.at(23, 503), kWater);
}

TEST(ObjectLayer, CornerExamples) {
    using Corners = std::array<Corner, 4>;
    EXPECT_EQ(preview::rotatedCorners(256, 256, 30, 12, 31),
              (Corners{{{286, 269}, {269, 286}, {242, 225}, {225, 242}}}));
    EXPECT_EQ(preview::rotatedCorners(256, 256, 0, 12, 31),
              (Corners{{{286, 243}, {287, 267}, {224, 244}, {225, 268}}}));
    // Heading 183 is not reduced (a = 244, about a full turn): the long axis is vertical.
    const auto vertical = preview::rotatedCorners(256, 256, 183, 0, 6);
    EXPECT_LE(std::abs(vertical[0].x - vertical[2].x), 1);
    EXPECT_EQ(vertical[0].y, 250);
    EXPECT_EQ(vertical[2].y, 262);
}

TEST(ObjectLayer, DotsAndSquaresWithTheirBounds) {
    struct Case {
        const char* what;
        TrackObject object;
        std::size_t pixels;
        raster::Colour colour;
    };
    const raster::Colour white = raster::rgb(246, 251, 254);
    const raster::Colour grey = raster::rgb(160, 160, 160);
    const Case cases[] = {
        {"dot at world (2, 2) is at (1, 510)", {10, 2, 2, 0}, 9, white},
        {"dot at px 0 skipped", {10, 0, 2, 0}, 0, white},
        {"dot at py 512 skipped", {10, 2, -2, 0}, 0, white},
        {"dot at px 511 skipped", {10, 1022, 500, 0}, 0, white},
        {"square at py 510 reaches the strip", {9, 500, 2, 0}, 24, grey},
        {"unknown kind ignored", {7, 500, 500, 0}, 0, white},
    };
    for (const auto& c : cases) {
        TrackSpec track = dryMap();
        track.objects = {c.object};
        const Rendered r = render(track);
        EXPECT_EQ(count(r.picture, c.colour), c.pixels) << c.what;
    }
    TrackSpec track = dryMap();
    track.objects = {{10, 2, 2, 0}};
    EXPECT_EQ(render(track).picture.at(0, 511), raster::rgb(246, 251, 254));
    track.objects = {{9, 500, 2, 0}};
    EXPECT_EQ(count(render(track).picture, raster::rgb(160, 160, 160), 512, 512), 5u);
}

TEST(ObjectLayer, BlocksAndBarsByWorldSize) {
    struct Case {
        const char* what;
        std::uint8_t worldSize;
        std::int8_t kind;
        bool drawn;
    };
    const Case cases[] = {
        {"block at 255", 255, 17, true}, {"block kind 18", 255, 18, true}, {"no block at 10", 10, 17, false},
        {"no block at 0", 0, 17, false}, {"bar at 10", 10, 2, true},       {"no bar at 0", 0, 2, false},
    };
    for (const auto& c : cases) {
        TrackSpec track = dryMap();
        track.worldSize = c.worldSize;
        track.objects = {{c.kind, 512, 512, 0}};
        const Rendered r = render(track);
        const std::size_t drawn = count(r.picture, kGrey) + count(r.picture, raster::rgb(255, 0, 0));
        EXPECT_EQ(drawn > 0, c.drawn) << c.what;
    }
    // At world size 255 a bar is one line of 13 pixels along its heading, in the
    // colour of its kind.
    const std::pair<std::int8_t, raster::Colour> bars[] = {{1, raster::rgb(255, 255, 255)},
                                                           {2, raster::rgb(255, 0, 0)},
                                                           {3, raster::rgb(255, 255, 0)},
                                                           {23, raster::rgb(150, 140, 100)}};
    for (const auto& [kind, colour] : bars) {
        TrackSpec bar = dryMap();
        bar.worldSize = 255;
        bar.objects = {{kind, 512, 512, 0}};
        EXPECT_EQ(count(render(bar).picture, colour), 13u) << int{kind};
    }
}

TEST(ObjectLayer, PassOrder) {
    TrackSpec track = dryMap();
    track.worldSize = 255;
    // A bar drawn before the block in the table still lies on top of it; a dot
    // inside the block is covered by its fill.
    track.objects = {{1, 512, 512, 61}, {10, 520, 520, 0}, {17, 512, 512, 0}};
    const Rendered r = render(track);
    EXPECT_EQ(r.picture.at(240, 255), kBlockFill);
    EXPECT_EQ(r.picture.at(260, 251), kBlockFill);  // where the dot was
    EXPECT_EQ(count(r.picture, raster::rgb(246, 251, 254)), 0u);
    EXPECT_EQ(count(r.picture, raster::rgb(255, 255, 255)), 13u);
    EXPECT_GT(count(r.picture, kGrey), 100u);
}

// The block pass skips fills that start inside an area an earlier fill made
// whole; the picture must equal that of filling every block.
TEST(ObjectLayer, SkippedFillsChangeNoPixel) {
    std::mt19937 random(11);
    for (const int ws : {13, 40, 255}) {
        TrackSpec track = dryMap();
        track.worldSize = static_cast<std::uint8_t>(ws);
        for (int k = 0; k < 300; ++k) {
            const bool stacked = k % 3 == 0;
            track.objects.push_back(
                {static_cast<std::int8_t>(17 + k % 2), static_cast<std::int16_t>(stacked ? 512 : random() % 1024),
                 static_cast<std::int16_t>(stacked ? 512 : random() % 1024), static_cast<std::uint8_t>(random())});
        }
        const Rendered r = render(track);
        raster::Picture plain = preview::buildBasePicture(r.bytes, r.header);
        const int half = (6200 / ws) / 2;
        for (const TrackObject& o : track.objects) {
            const int px = o.x / 2, py = 511 - o.y / 2;
            if (px < half || px > 510 - half || py < half || py > 510 - half) continue;
            const auto c = preview::rotatedCorners(px, py, o.heading, half, (15900 / ws) / 2);
            for (const auto& [a, b] : {std::pair<std::size_t, std::size_t>{0, 1}, {2, 3}, {0, 2}, {1, 3}})
                plain.line(c[a].x, c[a].y, c[b].x, c[b].y, kGrey);
            plain.borderFill(px, py, kGrey, kBlockFill);
        }
        EXPECT_TRUE(std::equal(plain.pixels().begin(), plain.pixels().end(), r.picture.pixels().begin()))
            << "world size " << ws;
    }
}

TEST(ObjectLayer, BlockReachesIntoTheTextStrip) {
    TrackSpec track = dryMap();
    track.worldSize = 255;
    track.objects = {{17, 512, 2 * (511 - 498), 61}};  // py 498, long axis vertical
    const Rendered r = render(track);
    EXPECT_GT(count(r.picture, kBlockFill, 512, 559) + count(r.picture, kGrey, 512, 559), 0u);
}

TEST(ObjectLayer, ObjectCounts) {
    TrackSpec track = dryMap();
    track.objects = {{10, 100, 100, 0}, {10, 300, 300, 0}};
    track.objectCount = -1;
    EXPECT_EQ(count(render(track).picture, raster::rgb(246, 251, 254)), 0u);
    track.objectCount = 0;
    EXPECT_EQ(count(render(track).picture, raster::rgb(246, 251, 254)), 9u);
}

}  // namespace
}  // namespace pitbox::test
