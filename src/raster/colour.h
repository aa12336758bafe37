#pragma once
#include <cstdint>

namespace pitbox::raster {

// Colours travel through the program as packed values with red in the low byte:
// red + 256 * green + 65536 * blue.
using Colour = std::uint32_t;

constexpr Colour rgb(unsigned r, unsigned g, unsigned b) {
    return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}
constexpr unsigned redOf(Colour c) { return c & 0xFFu; }
constexpr unsigned greenOf(Colour c) { return (c >> 8) & 0xFFu; }
constexpr unsigned blueOf(Colour c) { return (c >> 16) & 0xFFu; }

}  // namespace pitbox::raster
