#include <algorithm>

#include "base/byte_reader.h"
#include "preview/palette.h"
#include "preview/preview.h"
#include "resources/embedded.h"
#include "trackfile/track_format.h"

namespace pitbox::preview {

std::span<const std::uint8_t> bitmapTemplate() { return resources::find("preview_template.bmp"); }

namespace {

// Whether the built-in template describes the preview: a 512 by 560 picture of
// 8 bits a pixel, rows stored bottom-up.
bool templateDescribesThePicture() {
    const ByteReader r(bitmapTemplate());
    return r.text(0, 2) == "BM" && r.s32(18) == kWidth && r.s32(22) == kHeight && r.u16(28) == 8;
}

const std::array<raster::Colour, 256>& templatePalette() {
    static const std::array<raster::Colour, 256> palette = [] {
        auto read = raster::bitmapPalette(bitmapTemplate());
        return read ? *read : std::array<raster::Colour, 256>{};
    }();
    return palette;
}

}  // namespace

raster::Picture buildBasePicture(std::span<const std::uint8_t> file, const HeaderFields& h) {
    // The picture the template describes: 512 by 560, every pixel the background
    // index. The runs then take the colours of their palette indices; writing the
    // colours directly gives the same picture as decoding into an 8-bit bitmap and
    // converting it, without the second pass.
    static const bool usable = templateDescribesThePicture();
    if (!usable) return {};
    const std::array<raster::Colour, 256>& palette = templatePalette();
    raster::Picture picture(kWidth, kHeight, palette[kBackgroundIndex]);

    const ByteReader r(file);
    const std::int64_t runs = static_cast<std::int64_t>(h.terrainRunCount) + 1;
    if (runs > 0 && r.covers(trackformat::kTerrainRuns, 2 * runs)) {
        // Runs start at the bottom-left pixel and go left to right, row by row
        // upwards; they end where the map ends (after the top row).
        auto pixels = picture.pixels();
        std::size_t written = 0;
        constexpr std::size_t kMapPixels = static_cast<std::size_t>(kWidth) * kMapRows;
        for (std::int64_t k = 0; k < runs && written < kMapPixels; ++k) {
            const std::uint16_t word = *r.u16(trackformat::kTerrainRuns + 2 * k);
            std::size_t length = std::min<std::size_t>(word >> 4, kMapPixels - written);
            const raster::Colour colour = palette[kTerrainPalette[word & 15u]];
            while (length > 0) {
                const std::size_t row = kMapRows - 1 - written / kWidth;
                const std::size_t column = written % kWidth;
                const std::size_t here = std::min<std::size_t>(length, kWidth - column);
                std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(row * kWidth + column), here, colour);
                written += here;
                length -= here;
            }
        }
    }
    return picture;
}

void drawWaterLayer(raster::Picture& picture, std::span<const std::uint8_t> file, const HeaderFields& h) {
    const ByteReader r(file);
    const auto grid = r.bytes(h.heightGridAt, trackformat::kHeightGridSize);
    if (!grid) return;
    for (std::size_t cell = 0; cell < grid->size(); ++cell) {
        const int i = static_cast<int>(cell % kGridCells);  // column from the west edge
        const int j = static_cast<int>(cell / kGridCells);  // row from the south edge
        // Cells sit one row above the map's last row, which water never covers.
        if ((*grid)[cell] < h.waterLevel)
            picture.box(kCellPixels * i, kLastMapRow - kCellPixels * (j + 1), kCellPixels, kCellPixels, kWater);
    }
}

}  // namespace pitbox::preview
