#pragma once
#include "raster/colour.h"
#include "raster/picture.h"
#include "raster/text_painter.h"

// The raster's types, as the toolkit and its font engines show and paint them.
namespace pitbox::ui {

using raster::Colour;
using raster::FontSpec;
using raster::FontStyle;
using raster::Picture;
using raster::TextPainter;

}  // namespace pitbox::ui
