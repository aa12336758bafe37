#pragma once
#include <array>
#include <cstdint>
#include <span>

#include "raster/picture.h"
#include "trackfile/header_reader.h"

namespace pitbox::preview {

inline constexpr int kWidth = 512;
inline constexpr int kHeight = 560;
inline constexpr int kMapRows = 512;              // rows 512 to 559 are the text strip
inline constexpr int kLastMapRow = kMapRows - 1;  // world y 0 lies on it
inline constexpr int kGridCells = 64;             // the height grid is 64 by 64 cells
inline constexpr int kCellPixels = 8;             // of 8 by 8 pixels each

// The bitmap template built into the program: header and palette of a 512 by
// 560, 8-bit picture, followed by 256 pixel bytes of the background index.
std::span<const std::uint8_t> bitmapTemplate();

// Makes the picture from the template with the terrain runs decoded into the map
// area. Runs that would pass the end of the map are cut there. A run table that
// does not lie wholly inside the file leaves the whole map the background colour.
raster::Picture buildBasePicture(std::span<const std::uint8_t> file, const HeaderFields& h);

// Paints every height-grid cell below the water level. A grid that does not lie
// wholly inside the file paints nothing.
void drawWaterLayer(raster::Picture& picture, std::span<const std::uint8_t> file, const HeaderFields& h);

// Draws the object table in four passes: dots, squares, filled blocks, bars.
// World size 0 leaves out blocks and bars; a table not wholly inside the file
// draws nothing.
void drawObjectLayer(raster::Picture& picture, std::span<const std::uint8_t> file, const HeaderFields& h);

struct Corner {
    int x, y;
    bool operator==(const Corner&) const = default;
};
// The corners P1, P2, Q1, Q2 of a rotated rectangle around (px, py).
std::array<Corner, 4> rotatedCorners(int px, int py, std::uint8_t heading, int halfWidth, int halfLength);

}  // namespace pitbox::preview
