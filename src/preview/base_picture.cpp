#include <algorithm>
#include <vector>

#include "preview/palette.h"
#include "preview/preview.h"
#include "resources/embedded.h"
#include "trackfile/track_format.h"
#include "ui/byte_reader.h"

namespace pitbox::preview {

std::span<const std::uint8_t> bitmapTemplate() { return resources::find("preview_template.bmp"); }

ui::Picture buildBasePicture(std::span<const std::uint8_t> file, const HeaderFields& h) {
    constexpr std::size_t kHeaderBytes = 1078;
    constexpr std::size_t kPixels = static_cast<std::size_t>(kWidth) * kHeight;
    constexpr std::size_t kMapStart = static_cast<std::size_t>(kWidth) * (kHeight - kMapRows);  // bottom-up rows

    const auto templ = bitmapTemplate();
    std::vector<std::uint8_t> bitmap(kHeaderBytes + kPixels, kBackgroundIndex);
    std::copy_n(templ.begin(), std::min(templ.size(), kHeaderBytes), bitmap.begin());

    const ui::ByteReader r(file);
    const std::int64_t runs = static_cast<std::int64_t>(h.terrainRunCount) + 1;
    if (runs > 0 && r.covers(trackformat::kTerrainRuns, 2 * runs)) {
        std::size_t at = kHeaderBytes + kMapStart;
        const std::size_t end = bitmap.size();
        for (std::int64_t k = 0; k < runs && at < end; ++k) {
            const std::uint16_t word = *r.u16(trackformat::kTerrainRuns + 2 * k);
            const std::size_t length = std::min<std::size_t>(word >> 4, end - at);
            std::fill_n(bitmap.begin() + static_cast<std::ptrdiff_t>(at), length, kTerrainPalette[word & 15u]);
            at += length;
        }
    }
    return ui::pictureFromBitmap(bitmap);
}

void drawWaterLayer(ui::Picture& picture, std::span<const std::uint8_t> file, const HeaderFields& h) {
    const ui::ByteReader r(file);
    const auto grid = r.bytes(h.heightGridAt, trackformat::kHeightGridSize);
    if (!grid) return;
    for (int j = 0; j < 64; ++j)
        for (int i = 0; i < 64; ++i)
            if ((*grid)[static_cast<std::size_t>(64 * j + i)] < h.waterLevel)
                picture.box(8 * i, 503 - 8 * j, 8, 8, kWater);
}

}  // namespace pitbox::preview
