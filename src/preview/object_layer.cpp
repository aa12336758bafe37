#include <cmath>

#include "base/byte_reader.h"
#include "preview/palette.h"
#include "preview/preview.h"
#include "trackfile/track_format.h"

namespace pitbox::preview {
namespace {

struct Object {
    std::int8_t kind;
    int px, py;
    std::uint8_t heading;
};

// Each value of the rectangle's computation is stored as a 32-bit float; every
// line is worked out in double precision and rounded when stored. The factors are
// the decimal values 1.47541 and 0.01745 rounded to float, not 360/244 and pi/180,
// so heading 0 is 1.5705 radians rather than a right angle, which decides the
// pixels the corners fall on.
constexpr float kDegreesPerStep = 1.47541f;
constexpr float kRadiansPerDegree = 0.01745f;
constexpr float kQuarterTurn = 1.5707964f;

int truncate(float v) { return static_cast<int>(v); }

struct Side {
    float x, y;
};

Side sideOffset(float halfWidth, float a) {
    const double turned = static_cast<double>(kQuarterTurn) - static_cast<double>(a);
    return {static_cast<float>(halfWidth * std::sin(turned)), static_cast<float>(halfWidth * std::cos(turned))};
}

void drawRectangle(raster::Picture& p, const Object& o, int halfWidth, int halfLength, raster::Colour c) {
    const auto corners = rotatedCorners(o.px, o.py, o.heading, halfWidth, halfLength);
    p.line(corners[0].x, corners[0].y, corners[1].x, corners[1].y, c);
    p.line(corners[2].x, corners[2].y, corners[3].x, corners[3].y, c);
    p.line(corners[0].x, corners[0].y, corners[2].x, corners[2].y, c);
    p.line(corners[1].x, corners[1].y, corners[3].x, corners[3].y, c);
}

// Objects are drawn only with their centres inside the map's last column and row.
// Dots and squares need one pixel of room on every side.
constexpr int kLastInner = kLastMapRow - 1;
bool visibleSmall(const Object& o) { return o.px >= 1 && o.px <= kLastInner && o.py >= 1 && o.py <= kLastInner; }
// Blocks and bars test their half width on both axes, though they reach their
// half length along the heading.
bool visibleRectangle(const Object& o, int halfWidth) {
    return o.px >= halfWidth && o.px <= kLastInner - halfWidth && o.py >= halfWidth && o.py <= kLastInner - halfWidth;
}

// Blocks and bars are sized by the world size: the larger it is, the smaller they
// are.
struct Size {
    int halfWidth, halfLength;
};
Size sized(int across, int along, int worldSize) { return {(across / worldSize) / 2, (along / worldSize) / 2}; }

}  // namespace

std::array<Corner, 4> rotatedCorners(int px, int py, std::uint8_t heading, int halfWidth, int halfLength) {
    int steps = heading + 61;
    if (steps > 244) steps -= 244;
    float a = static_cast<float>(steps);
    a = static_cast<float>(static_cast<double>(a) * static_cast<double>(kDegreesPerStep));
    a = static_cast<float>(static_cast<double>(a) * static_cast<double>(kRadiansPerDegree));
    const double r1 = halfWidth;
    const double r2 = halfLength;
    const double x = px;
    const double y = py;

    // The side offset is the same for the front and the back end.
    const Side s = sideOffset(static_cast<float>(r1), a);
    const float fx = static_cast<float>(x + r2 * std::sin(static_cast<double>(a)));
    const float fy = static_cast<float>(y - r2 * std::cos(static_cast<double>(a)));
    const float p1x = static_cast<float>(static_cast<double>(fx) - s.x);
    const float p1y = static_cast<float>(static_cast<double>(fy) - s.y);
    const float p2x = static_cast<float>(static_cast<double>(fx) + s.x);
    const float p2y = static_cast<float>(static_cast<double>(fy) + s.y);

    const float kx = static_cast<float>(x - r2 * std::sin(static_cast<double>(a)));
    const float ky = static_cast<float>(y + r2 * std::cos(static_cast<double>(a)));
    const float q1x = static_cast<float>(static_cast<double>(kx) - s.x);
    const float q1y = static_cast<float>(static_cast<double>(ky) - s.y);
    const float q2x = static_cast<float>(static_cast<double>(kx) + s.x);
    const float q2y = static_cast<float>(static_cast<double>(ky) + s.y);

    return {Corner{truncate(p1x), truncate(p1y)}, Corner{truncate(p2x), truncate(p2y)},
            Corner{truncate(q1x), truncate(q1y)}, Corner{truncate(q2x), truncate(q2y)}};
}

void drawObjectLayer(raster::Picture& picture, std::span<const std::uint8_t> file, const HeaderFields& h) {
    namespace kind = trackformat::objectkind;
    const auto table = objectEntries(file, h.objectTableAt, h.objectCount);
    if (!table) return;
    const ByteReader r(*table);
    std::vector<Object> objects;
    objects.reserve(table->size() / trackformat::kObjectEntrySize);
    for (std::int64_t at = 0; r.covers(at, trackformat::kObjectEntrySize); at += trackformat::kObjectEntrySize)
        objects.push_back({*r.s8(at), *r.s16(at + 2) / 2, kLastMapRow - *r.s16(at + 4) / 2, *r.u8(at + 7)});

    for (const Object& o : objects)
        if (o.kind == kind::kDot && visibleSmall(o))
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) picture.plot(o.px + dx, o.py + dy, kDotColour);

    for (const Object& o : objects)
        if (o.kind == kind::kSquare && visibleSmall(o)) {
            picture.box(o.px - 2, o.py - 2, 5, 5, kSquareColour);
            picture.plot(o.px, o.py, kDotColour);
        }

    const int ws = h.worldSize;
    if (ws == 0) return;  // blocks and bars are sized by the world size

    const Size block = sized(6200, 15900, ws);
    // Between two fills of this pass only outline pixels are added, and they split
    // areas, never join them. So when a fill starts on a pixel an earlier fill
    // painted (and no outline has covered since), its whole area is still that
    // earlier fill's, already filled: skipping it changes no pixel, and blocks
    // stacked on one spot cost one fill instead of one each.
    std::vector<std::uint8_t> filled(picture.pixels().size(), 0);
    for (const Object& o : objects)
        if ((o.kind == kind::kBlock || o.kind == kind::kOtherBlock) && visibleRectangle(o, block.halfWidth)) {
            drawRectangle(picture, o, block.halfWidth, block.halfLength, kBlockOutline);
            const std::size_t start = static_cast<std::size_t>(o.py) * static_cast<std::size_t>(picture.width()) +
                                      static_cast<std::size_t>(o.px);
            if (filled[start] && picture.at(o.px, o.py) != kBlockOutline) continue;
            picture.borderFill(o.px, o.py, kBlockOutline, kBlockFill, &filled);
        }

    const Size bar = sized(400, 3100, ws);
    for (const Object& o : objects) {
        raster::Colour colour;
        switch (o.kind) {
            case kind::kWhiteBar: colour = kWhiteBarColour; break;
            case kind::kRedBar: colour = kRedBarColour; break;
            case kind::kYellowBar: colour = kYellowBarColour; break;
            case kind::kBrownBar: colour = kBrownBarColour; break;
            default: continue;
        }
        if (visibleRectangle(o, bar.halfWidth)) drawRectangle(picture, o, bar.halfWidth, bar.halfLength, colour);
    }
}

}  // namespace pitbox::preview
