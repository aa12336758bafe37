#include "raster/picture.h"

#include <algorithm>
#include <cstdlib>

#include "base/byte_reader.h"

namespace pitbox::raster {

Picture::Picture(int width, int height, Colour fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill) {}

void Picture::plot(int x, int y, Colour c) {
    if (contains(x, y)) set(x, y, c);
}

void Picture::box(int x, int y, int w, int h, Colour c) {
    const int x0 = std::max(x, 0);
    const int y0 = std::max(y, 0);
    const long long x1 = std::min<long long>(static_cast<long long>(x) + w, width_);
    const long long y1 = std::min<long long>(static_cast<long long>(y) + h, height_);
    for (int row = y0; row < y1; ++row)
        std::fill(pixels_.begin() + static_cast<std::ptrdiff_t>(index(x0, row)),
                  pixels_.begin() + static_cast<std::ptrdiff_t>(index(x0, row)) + (x1 - x0), c);
}

// Bresenham along the major axis (x when |dx| >= |dy|), traced from the end with the
// smaller major coordinate. Clipping keeps exactly the pixels the unclipped line
// would cover inside the picture: the trace runs only over the major range that can
// reach the picture, and pixels outside it are skipped.
void Picture::line(int x1, int y1, int x2, int y2, Colour c) {
    const bool xMajor = std::abs(static_cast<long long>(x2) - x1) >= std::abs(static_cast<long long>(y2) - y1);
    long long a1 = xMajor ? x1 : y1, b1 = xMajor ? y1 : x1;
    long long a2 = xMajor ? x2 : y2, b2 = xMajor ? y2 : x2;
    if (a2 < a1) {
        std::swap(a1, a2);
        std::swap(b1, b2);
    }
    const long long major = a2 - a1;
    const long long minor = std::llabs(b2 - b1);
    const long long step = b2 >= b1 ? 1 : -1;
    const bool inside = contains(x1, y1) && contains(x2, y2);
    const long long majorLimit = xMajor ? width_ : height_;
    long long decision = 2 * minor - major;
    long long b = b1;
    for (long long a = a1; a <= a2; ++a) {
        if (inside) {
            set(static_cast<int>(xMajor ? a : b), static_cast<int>(xMajor ? b : a), c);
        } else {
            if (a >= majorLimit) break;
            const long long x = xMajor ? a : b;
            const long long y = xMajor ? b : a;
            if (x >= 0 && y >= 0 && x < width_ && y < height_) set(static_cast<int>(x), static_cast<int>(y), c);
        }
        if (decision >= 0) {
            b += step;
            decision += 2 * (minor - major);
        } else {
            decision += 2 * minor;
        }
    }
}

// Scanline fill with an explicit stack of seed points, so a fill of the whole
// picture needs no recursion. Pixels of the border colour and the edges stop it;
// a start on the border colour or outside the picture fills nothing. Pixels that
// already hold the fill colour are still passed through, so a visit stamp (kept
// between calls, never cleared) marks what this fill has reached.
void Picture::borderFill(int x, int y, Colour border, Colour fill, std::vector<std::uint8_t>* painted) {
    if (!contains(x, y) || at(x, y) == border) return;
    // One byte a pixel keeps the stamps small enough to stay in the cache; they
    // are cleared once every 255 fills.
    thread_local std::vector<std::uint8_t> stampStore;
    thread_local std::uint8_t generation = 0;
    if (stampStore.size() < pixels_.size()) stampStore.assign(pixels_.size(), 0);
    if (++generation == 0) {
        std::fill(stampStore.begin(), stampStore.end(), 0);
        generation = 1;
    }
    const std::uint8_t gen = generation;
    std::uint8_t* const stamps = stampStore.data();
    Colour* const pixels = pixels_.data();
    const std::size_t w = static_cast<std::size_t>(width_);
    auto open = [&](std::size_t i) { return stamps[i] != gen && pixels[i] != border; };

    std::vector<std::pair<int, int>> seeds;
    seeds.emplace_back(x, y);
    while (!seeds.empty()) {
        const auto [sx, sy] = seeds.back();
        seeds.pop_back();
        const std::size_t row = static_cast<std::size_t>(sy) * w;
        if (!open(row + static_cast<std::size_t>(sx))) continue;
        std::size_t left = static_cast<std::size_t>(sx);
        while (left > 0 && open(row + left - 1)) --left;
        std::size_t right = static_cast<std::size_t>(sx);
        while (right + 1 < w && open(row + right + 1)) ++right;
        for (std::size_t px = left; px <= right; ++px) {
            pixels[row + px] = fill;
            stamps[row + px] = gen;
        }
        if (painted)
            std::fill(painted->begin() + static_cast<std::ptrdiff_t>(row + left),
                      painted->begin() + static_cast<std::ptrdiff_t>(row + right + 1), std::uint8_t{1});
        for (const int ny : {sy - 1, sy + 1}) {
            if (ny < 0 || ny >= height_) continue;
            const std::size_t next = static_cast<std::size_t>(ny) * w;
            bool inRun = false;
            for (std::size_t px = left; px <= right; ++px) {
                const bool o = open(next + px);
                if (o && !inRun) seeds.emplace_back(static_cast<int>(px), ny);
                inRun = o;
            }
        }
    }
}

namespace {

Error notABitmap() { return Error{ErrorCode::Damaged, {}, "not an uncompressed 8-bit bitmap"}; }

}  // namespace

Result<std::array<Colour, 256>> bitmapPalette(std::span<const std::uint8_t> bmp) {
    const ByteReader r(bmp);
    const auto infoSize = r.u32(14);
    if (!infoSize) return notABitmap();
    const auto entries = r.bytes(14 + static_cast<std::int64_t>(*infoSize), 1024);  // blue, green, red, 0
    if (!entries) return notABitmap();
    std::array<Colour, 256> palette{};
    for (std::size_t i = 0; i < 256; ++i) {
        const auto* e = entries->data() + 4 * i;
        palette[i] = rgb(e[2], e[1], e[0]);
    }
    return palette;
}

Result<Picture> pictureFromBitmap(std::span<const std::uint8_t> bmp) {
    ByteReader r(bmp);
    if (r.text(0, 2) != "BM") return notABitmap();
    const auto pixelOffset = r.u32(10);
    const auto infoSize = r.u32(14);
    const auto width = r.s32(18);
    const auto height = r.s32(22);
    const auto bits = r.u16(28);
    const auto compression = r.u32(30);
    if (!pixelOffset || !infoSize || !width || !height || !bits || !compression) return notABitmap();
    if (*bits != 8 || *compression != 0 || *width <= 0 || *height == 0 || *width > 8192 || std::llabs(*height) > 8192)
        return notABitmap();
    const int w = *width;
    const int h = static_cast<int>(std::llabs(*height));
    const bool bottomUp = *height > 0;
    const std::int64_t stride = (w + 3) & ~3;
    auto pixelBytes = r.bytes(*pixelOffset, stride * h);
    const auto palette = bitmapPalette(bmp);
    if (!pixelBytes || !palette) return notABitmap();
    Picture picture(w, h);
    auto out = picture.pixels();
    for (int row = 0; row < h; ++row) {
        const auto* src = pixelBytes->data() + stride * (bottomUp ? h - 1 - row : row);
        Colour* dst = out.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(w);
        for (int col = 0; col < w; ++col) dst[col] = (*palette)[src[col]];
    }
    return picture;
}

}  // namespace pitbox::raster
