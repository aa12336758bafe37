#pragma once
#include <array>
#include <cstdint>

#include "ui/colour.h"

namespace pitbox::preview {

// The palette index written for each 4-bit terrain code.
inline constexpr std::array<std::uint8_t, 16> kTerrainPalette = {23,  26,  42,  154, 59, 83, 89, 104,
                                                                 100, 242, 245, 244, 9,  0,  0,  0};

// A colour close to each terrain code's palette colour; the object layer draws with
// entries 0, 1, 4, 7, 9, 10 and 11 (named below).
inline constexpr std::array<ui::Colour, 16> kPreviewColours = {
    ui::rgb(160, 160, 160), ui::rgb(180, 180, 180), ui::rgb(144, 220, 96),  ui::rgb(190, 200, 128),
    ui::rgb(150, 140, 100), ui::rgb(190, 180, 160), ui::rgb(240, 220, 210), ui::rgb(246, 251, 254),
    ui::rgb(220, 231, 240), ui::rgb(255, 255, 255), ui::rgb(255, 255, 0),   ui::rgb(255, 0, 0),
    ui::rgb(63, 63, 63),    ui::rgb(0, 0, 0),       ui::rgb(0, 0, 0),       ui::rgb(0, 0, 0),
};

// The template's palette index of the picture's background, which the text strip
// keeps.
inline constexpr std::uint8_t kBackgroundIndex = 240;
inline constexpr ui::Colour kTextStripColour = ui::rgb(0, 100, 150);
inline constexpr ui::Colour kRecordsColour = ui::rgb(255, 255, 255);
inline constexpr ui::Colour kWater = ui::rgb(0, 64, 255);

// The object layer's colours.
inline constexpr ui::Colour kDotColour = kPreviewColours[7];
inline constexpr ui::Colour kSquareColour = kPreviewColours[0];
inline constexpr ui::Colour kBlockOutline = ui::rgb(170, 170, 170);
inline constexpr ui::Colour kBlockFill = kPreviewColours[1];
inline constexpr ui::Colour kWhiteBarColour = kPreviewColours[9];
inline constexpr ui::Colour kRedBarColour = kPreviewColours[11];
inline constexpr ui::Colour kYellowBarColour = kPreviewColours[10];
inline constexpr ui::Colour kBrownBarColour = kPreviewColours[4];

}  // namespace pitbox::preview
