#pragma once
#include "raster/picture.h"

namespace pitbox::raster {

// The top `rows` rows of a picture (all of them when it has fewer) made
// `size` pixels wide and tall, or as large as they are where `size` is
// larger: each new pixel the average of the part of the old ones it covers,
// weighed by how much of each it covers, so that thin lines fade rather than
// vanish. A picture of no pixels, or a size below 1, gives none.
Picture scaledSquare(const Picture& p, int rows, int size);

}  // namespace pitbox::raster
