#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "base/result.h"
#include "raster/colour.h"

namespace pitbox::raster {

// A true-colour picture: width * height packed colours, row 0 at the top.
// All drawing clips to the picture, so callers may pass any coordinates.
class Picture {
public:
    Picture() = default;
    Picture(int width, int height, Colour fill = 0);

    int width() const { return width_; }
    int height() const { return height_; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    Colour at(int x, int y) const { return pixels_[index(x, y)]; }
    void set(int x, int y, Colour c) { pixels_[index(x, y)] = c; }
    std::span<Colour> pixels() { return pixels_; }
    std::span<const Colour> pixels() const { return pixels_; }

    void plot(int x, int y, Colour c);
    void box(int x, int y, int w, int h, Colour c);
    void line(int x1, int y1, int x2, int y2, Colour c);
    // Fills the 4-connected area around (x, y) up to pixels of the border colour.
    // With `painted` (one byte a pixel), every pixel filled is marked there.
    void borderFill(int x, int y, Colour border, Colour fill, std::vector<std::uint8_t>* painted = nullptr);

private:
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
    }
    int width_ = 0;
    int height_ = 0;
    std::vector<Colour> pixels_;
};

// Makes a picture from an uncompressed 8-bit palette bitmap held in memory (the
// BMP file layout): each pixel takes its palette colour.
Result<Picture> pictureFromBitmap(std::span<const std::uint8_t> bmp);
// The 256 colours of such a bitmap's palette.
Result<std::array<Colour, 256>> bitmapPalette(std::span<const std::uint8_t> bmp);

}  // namespace pitbox::raster
