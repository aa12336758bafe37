#pragma once
#include <string>

#include "raster/colour.h"
#include "raster/picture.h"

namespace pitbox::raster {

enum class FontStyle { Monospace, SansSerif };

struct FontSpec {
    std::string family;
    int points = 12;
    FontStyle style = FontStyle::SansSerif;
};

// Text is the one drawing operation that needs the platform's font engine.
class TextPainter {
public:
    virtual ~TextPainter() = default;
    // Opaque text: the text's cell is filled with the back colour, the glyphs drawn
    // in the front colour, the top-left corner at (x, y), clipped to the picture.
    virtual void drawText(Picture& picture, int font, int x, int y, const std::string& utf8, Colour front,
                          Colour back) = 0;
};

}  // namespace pitbox::raster
