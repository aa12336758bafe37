#pragma once
#include <array>
#include <cstdint>

#include "raster/colour.h"

namespace pitbox::preview {

// The palette index written for each 4-bit terrain code.
inline constexpr std::array<std::uint8_t, 16> kTerrainPalette = {23,  26,  42,  154, 59, 83, 89, 104,
                                                                 100, 242, 245, 244, 9,  0,  0,  0};

// A colour close to each terrain code's palette colour; the object layer draws with
// entries 0, 1, 4, 7, 9, 10 and 11 (named below).
inline constexpr std::array<raster::Colour, 16> kPreviewColours = {
    raster::rgb(160, 160, 160), raster::rgb(180, 180, 180), raster::rgb(144, 220, 96),  raster::rgb(190, 200, 128),
    raster::rgb(150, 140, 100), raster::rgb(190, 180, 160), raster::rgb(240, 220, 210), raster::rgb(246, 251, 254),
    raster::rgb(220, 231, 240), raster::rgb(255, 255, 255), raster::rgb(255, 255, 0),   raster::rgb(255, 0, 0),
    raster::rgb(63, 63, 63),    raster::rgb(0, 0, 0),       raster::rgb(0, 0, 0),       raster::rgb(0, 0, 0),
};

// The template's palette index of the picture's background, which the text strip
// keeps.
inline constexpr std::uint8_t kBackgroundIndex = 240;
inline constexpr raster::Colour kTextStripColour = raster::rgb(0, 100, 150);
inline constexpr raster::Colour kRecordsColour = raster::rgb(255, 255, 255);
inline constexpr raster::Colour kWater = raster::rgb(0, 64, 255);

// The object layer's colours.
inline constexpr raster::Colour kDotColour = kPreviewColours[7];
inline constexpr raster::Colour kSquareColour = kPreviewColours[0];
inline constexpr raster::Colour kBlockOutline = raster::rgb(170, 170, 170);
inline constexpr raster::Colour kBlockFill = kPreviewColours[1];
inline constexpr raster::Colour kWhiteBarColour = kPreviewColours[9];
inline constexpr raster::Colour kRedBarColour = kPreviewColours[11];
inline constexpr raster::Colour kYellowBarColour = kPreviewColours[10];
inline constexpr raster::Colour kBrownBarColour = kPreviewColours[4];

}  // namespace pitbox::preview
