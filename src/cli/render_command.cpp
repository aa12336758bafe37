#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "base/text.h"
#include "cli/command.h"
#include "platform/file_replacement.h"
#include "platform/paths.h"
#include "preview/track_preview.h"
#include "raster/image_files.h"

namespace pitbox::cli {
namespace {

struct RenderOptions {
    bool noRecords = false;
    std::string output, file;
};

int render(const RenderOptions& o, const Streams& io) {
    constexpr int kFont = 1;
    std::unique_ptr<raster::TextPainter> painter;
    if (!o.noRecords) {
        if (io.painters) painter = io.painters(kFont, preview::kRecordsFont);
        if (!painter) return fail(io.err, "no fonts for the lap records here; use --no-records");
    }
    TrackBuffer buffer;
    HeaderFields header;
    auto picture = preview::buildTrackPreview(o.file, buffer, header, painter.get(), kFont);
    if (!picture) return fail(io.err, picture.error().message());
    // An encoder that fails is a failure, never an empty picture.
    auto encoded = raster::encodeForFileName(*picture, o.output);
    if (!encoded) return fail(io.err, encoded.error().message());
    if (auto saved = platform::replaceFile(o.output, *encoded); !saved) return fail(io.err, saved.error().message());
    return 0;
}

}  // namespace

CommandRun defineRender(CLI::App& command) {
    auto o = std::make_shared<RenderOptions>();
    command.description("Draws the track's 512 by 560 picture, as the viewer shows it, into OUT.");
    command.add_flag("--no-records", o->noRecords, "leave out the lap-records text");
    command.add_option("-o,--output", o->output, "the picture: a .png, .bmp or .ppm file, replaced as a whole")
        ->required()
        ->type_name("OUT")
        ->check(CLI::Validator(
            [](const std::string& name) -> std::string {
                const std::string ext = asciiLower(extensionPart(platform::filePart(name)));
                return ext == "png" || ext == "bmp" || ext == "ppm" ? "" : "OUT must end in .png, .bmp or .ppm";
            },
            "OUT"));
    command.add_option("FILE", o->file, "the track file")->required()->type_name("");
    return [o](const Streams& io) { return render(*o, io); };
}

}  // namespace pitbox::cli
