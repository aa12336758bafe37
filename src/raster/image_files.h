#pragma once
#include <string>
#include <string_view>

#include "base/result.h"
#include "raster/picture.h"

namespace pitbox::raster {

// Encodes a picture as 24-bit BMP, binary PPM or PNG (deflate-compressed by
// stb_image_write; empty when the encoder fails).
std::string encodeBmp(const Picture& p);
std::string encodePpm(const Picture& p);
std::string encodePng(const Picture& p);
// The picture's top `rows` rows alone as PNG.
std::string encodePng(const Picture& p, int rows);
// Picks the encoder from the file name's extension (png, bmp, ppm in any case).
// Fails for another extension and when the encoder fails.
Result<std::string> encodeForFileName(const Picture& p, std::string_view fileName);

}  // namespace pitbox::raster
