#pragma once
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "raster/text_painter.h"

namespace pitbox::cli {

// Gives the render command a painter for the lap-records text, with `wanted`
// loaded under `font`; nullptr when fonts are not available.
using PainterFactory = std::function<std::unique_ptr<raster::TextPainter>(int font, const raster::FontSpec& wanted)>;

// Runs one command line (without the program name). Exit codes: 0 done,
// 1 failed (one line on `err`), 2 usage error.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const PainterFactory& painters = {});

}  // namespace pitbox::cli
