#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "raster/picture.h"
#include "raster/scaling.h"

namespace pitbox::test {
namespace {

using raster::Picture;
constexpr raster::Colour kInk = raster::rgb(1, 2, 3);
constexpr raster::Colour kFill = raster::rgb(9, 9, 9);

std::set<std::pair<int, int>> inked(const Picture& p, raster::Colour c = kInk) {
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            if (p.at(x, y) == c) out.insert({x, y});
    return out;
}

TEST(Raster, BresenhamLines) {
    using Pixels = std::set<std::pair<int, int>>;
    struct Case {
        const char* what;
        int x1, y1, x2, y2;
        Pixels pixels;
    };
    const Case cases[] = {
        {"shallow", 0, 0, 5, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
        {"shallow, traced from the left end", 5, 2, 0, 0, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
        {"steep", 0, 0, 2, 5, {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}}},
        {"falling", 0, 3, 3, 0, {{0, 3}, {1, 2}, {2, 1}, {3, 0}}},
        {"single point", 4, 4, 4, 4, {{4, 4}}},
        {"diagonal is x-major", 0, 0, 2, 2, {{0, 0}, {1, 1}, {2, 2}}},
        {"clipped keeps the unclipped pixels", -3, -1, 2, 1, {{0, 0}, {1, 1}, {2, 1}}},
        {"wholly outside", -9, -9, -2, -5, {}},
    };
    for (const auto& c : cases) {
        Picture p(8, 8);
        p.line(c.x1, c.y1, c.x2, c.y2, kInk);
        EXPECT_EQ(inked(p), c.pixels) << c.what;
    }
}

TEST(Raster, BoxAndPlotClip) {
    Picture p(4, 4);
    p.box(-2, 2, 4, 9, kInk);
    p.plot(-1, 0, kInk);
    p.plot(3, 0, kInk);
    EXPECT_EQ(inked(p), (std::set<std::pair<int, int>>{{0, 2}, {1, 2}, {0, 3}, {1, 3}, {3, 0}}));
}

// The outline of the square (2, 2) to (6, 6); its right side ends at row `rightEnd`.
void square(Picture& p, int rightEnd) {
    p.line(2, 2, 6, 2, kInk);
    p.line(2, 6, 6, 6, kInk);
    p.line(2, 2, 2, 6, kInk);
    p.line(6, 2, 6, rightEnd, kInk);
}

TEST(Raster, BorderFill) {
    struct Case {
        const char* what;
        std::function<void(Picture&)> draw;
        int x, y;
        std::size_t filled;
    };
    const Case cases[] = {
        {"closed square", [](Picture& p) { square(p, 6); }, 4, 4, 9},
        {"leak through a one-pixel gap", [](Picture& p) { square(p, 4); }, 4, 4, 100 - 15},
        {"start on the border colour", [](Picture& p) { p.plot(3, 3, kInk); }, 3, 3, 0},
        {"start outside", [](Picture&) {}, -1, 3, 0},
        {"start at the edge fills to the edges", [](Picture& p) { p.line(5, 0, 5, 9, kInk); }, 0, 0, 50},
        {"diagonal border stops a 4-neighbour fill",
         [](Picture& p) {
             for (int i = 0; i < 10; ++i) p.plot(i, i, kInk);
         },
         9, 0, 45},
        {"fill colour already present is passed through", [](Picture& p) { p.line(0, 5, 9, 5, kFill); }, 0, 0, 100},
    };
    for (const auto& c : cases) {
        Picture p(10, 10);
        c.draw(p);
        p.borderFill(c.x, c.y, kInk, kFill);
        EXPECT_EQ(inked(p, kFill).size(), c.filled) << c.what;
    }
}

TEST(Raster, LargeFillNeedsNoRecursion) {
    Picture p(512, 560);
    // A comb of walls: a long, winding region.
    for (int x = 2; x < 510; x += 4) p.line(x, x % 8 == 2 ? 0 : 2, x, x % 8 == 2 ? 557 : 559, kInk);
    p.borderFill(0, 0, kInk, kFill);
    EXPECT_EQ(p.at(511, 559), kFill);
    EXPECT_EQ(p.at(0, 559), kFill);
}

}  // namespace
// Each new pixel is the covered old ones' average, weighed by how much of
// each it covers; nothing is made larger, and only the rows asked for count.
TEST(Raster, ScaledSquareAveragesWhatEachPixelCovers) {
    Picture p(4, 5, raster::rgb(0, 0, 0));
    p.box(0, 0, 2, 2, raster::rgb(200, 100, 40));  // the top left quarter
    p.set(3, 4, raster::rgb(255, 255, 255));       // below the rows taken
    struct Case {
        int rows, size, width, height;
        std::vector<raster::Colour> pixels;
    };
    const Case cases[] = {
        {4, 2, 2, 2, {raster::rgb(200, 100, 40), 0, 0, 0}},
        {4, 1, 1, 1, {raster::rgb(50, 25, 10)}},
        // Three new pixels over four old ones: the middle one covers a third
        // of pixel 1 and of pixel 2 and all between.
        {4,
         3,
         3,
         3,
         {raster::rgb(200, 100, 40), raster::rgb(100, 50, 20), 0, raster::rgb(100, 50, 20), raster::rgb(50, 25, 10), 0,
          0, 0, 0}},
        {4, 9, 4, 4, {}},  // as it is
        {4, 0, 0, 0, {}},
    };
    for (const Case& c : cases) {
        const Picture out = raster::scaledSquare(p, c.rows, c.size);
        ASSERT_EQ(out.width(), c.width) << c.size;
        ASSERT_EQ(out.height(), c.height) << c.size;
        if (c.size >= 4) {
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x) EXPECT_EQ(out.at(x, y), p.at(x, y));
            continue;
        }
        for (std::size_t i = 0; i < c.pixels.size(); ++i)
            EXPECT_EQ(out.pixels()[i], c.pixels[i]) << "size " << c.size << ", pixel " << i;
    }
}

}  // namespace pitbox::test
