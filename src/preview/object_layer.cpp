#include <cmath>

#include "preview/palette.h"
#include "preview/preview.h"
#include "trackfile/track_format.h"
#include "ui/byte_reader.h"

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

void drawRectangle(ui::Picture& p, const Object& o, int halfWidth, int halfLength, ui::Colour c) {
    const auto corners = rotatedCorners(o.px, o.py, o.heading, halfWidth, halfLength);
    p.line(corners[0].x, corners[0].y, corners[1].x, corners[1].y, c);
    p.line(corners[2].x, corners[2].y, corners[3].x, corners[3].y, c);
    p.line(corners[0].x, corners[0].y, corners[2].x, corners[2].y, c);
    p.line(corners[1].x, corners[1].y, corners[3].x, corners[3].y, c);
}

// Dots and squares need one pixel of room on every side.
bool visibleSmall(const Object& o) { return o.px >= 1 && o.px <= 510 && o.py >= 1 && o.py <= 510; }

// Blocks and bars test their half width on both axes, though they reach their half
// length along the heading.
bool visibleRectangle(const Object& o, int halfWidth) {
    return o.px >= halfWidth && o.px <= 510 - halfWidth && o.py >= halfWidth && o.py <= 510 - halfWidth;
}

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

    const float fx = static_cast<float>(x + r2 * std::sin(static_cast<double>(a)));
    const float fy = static_cast<float>(y - r2 * std::cos(static_cast<double>(a)));
    Side s = sideOffset(static_cast<float>(r1), a);
    const float p1x = static_cast<float>(static_cast<double>(fx) - s.x);
    const float p1y = static_cast<float>(static_cast<double>(fy) - s.y);
    const float p2x = static_cast<float>(static_cast<double>(fx) + s.x);
    const float p2y = static_cast<float>(static_cast<double>(fy) + s.y);

    const float kx = static_cast<float>(x - r2 * std::sin(static_cast<double>(a)));
    const float ky = static_cast<float>(y + r2 * std::cos(static_cast<double>(a)));
    s = sideOffset(static_cast<float>(r1), a);
    const float q1x = static_cast<float>(static_cast<double>(kx) - s.x);
    const float q1y = static_cast<float>(static_cast<double>(ky) - s.y);
    const float q2x = static_cast<float>(static_cast<double>(kx) + s.x);
    const float q2y = static_cast<float>(static_cast<double>(ky) + s.y);

    return {Corner{truncate(p1x), truncate(p1y)}, Corner{truncate(p2x), truncate(p2y)},
            Corner{truncate(q1x), truncate(q1y)}, Corner{truncate(q2x), truncate(q2y)}};
}

void drawObjectLayer(ui::Picture& picture, std::span<const std::uint8_t> file, const HeaderFields& h) {
    const ui::ByteReader r(file);
    const std::int64_t count = static_cast<std::int64_t>(h.objectCount) + 1;
    if (count <= 0 || !r.covers(h.objectTableAt + 2, count * trackformat::kObjectEntrySize)) return;
    std::vector<Object> objects;
    objects.reserve(static_cast<std::size_t>(count));
    for (std::int64_t k = 0; k < count; ++k) {
        const std::int64_t at = h.objectTableAt + 2 + trackformat::kObjectEntrySize * k;
        objects.push_back({*r.s8(at), *r.s16(at + 2) / 2, 511 - *r.s16(at + 4) / 2, *r.u8(at + 7)});
    }

    for (const Object& o : objects)
        if (o.kind == 10 && visibleSmall(o))
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) picture.plot(o.px + dx, o.py + dy, kPreviewColours[7]);

    for (const Object& o : objects)
        if (o.kind == 9 && visibleSmall(o)) {
            picture.box(o.px - 2, o.py - 2, 5, 5, kPreviewColours[0]);
            picture.plot(o.px, o.py, kPreviewColours[7]);
        }

    const int ws = h.worldSize;
    if (ws == 0) return;  // blocks and bars are sized by the world size

    const int blockWidth = (6200 / ws) / 2;
    const int blockLength = (15900 / ws) / 2;
    // Between two fills of this pass only outline pixels are added, and they split
    // areas, never join them. So when a fill starts on a pixel an earlier fill
    // painted (and no outline has covered since), its whole area is still that
    // earlier fill's, already filled: skipping it changes no pixel, and blocks
    // stacked on one spot cost one fill instead of one each.
    std::vector<std::uint8_t> filled(picture.pixels().size(), 0);
    for (const Object& o : objects)
        if ((o.kind == 17 || o.kind == 18) && visibleRectangle(o, blockWidth)) {
            drawRectangle(picture, o, blockWidth, blockLength, kBlockOutline);
            if (!picture.contains(o.px, o.py)) continue;
            const std::size_t start = static_cast<std::size_t>(o.py) * static_cast<std::size_t>(picture.width()) +
                                      static_cast<std::size_t>(o.px);
            if (filled[start] && picture.at(o.px, o.py) != kBlockOutline) continue;
            picture.borderFill(o.px, o.py, kBlockOutline, kPreviewColours[1], &filled);
        }

    const int barWidth = (400 / ws) / 2;
    const int barLength = (3100 / ws) / 2;
    for (const Object& o : objects) {
        ui::Colour colour;
        switch (o.kind) {
            case 1: colour = kPreviewColours[9]; break;
            case 2: colour = kPreviewColours[11]; break;
            case 3: colour = kPreviewColours[10]; break;
            case 23: colour = kPreviewColours[4]; break;
            default: continue;
        }
        if (visibleRectangle(o, barWidth)) drawRectangle(picture, o, barWidth, barLength, colour);
    }
}

}  // namespace pitbox::preview
