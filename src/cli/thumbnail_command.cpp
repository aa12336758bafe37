#include <CLI/CLI.hpp>
#include <memory>

#include "cli/command.h"
#include "platform/file_replacement.h"
#include "preview/track_preview.h"
#include "raster/image_files.h"

namespace pitbox::cli {
namespace {

struct ThumbnailOptions {
    int size = 128;
    std::string file, output;
};

// What a file manager runs for each track it shows, in a sandbox with no
// display and no fonts: the map alone, and a failure as soon as the file is
// not a track that has one.
int thumbnail(const ThumbnailOptions& o, const Streams& io) {
    TrackBuffer buffer;
    HeaderFields header;
    auto picture = preview::trackThumbnail(o.file, buffer, header, o.size);
    if (!picture) return fail(io.err, picture.error().message());
    const std::string png = raster::encodePng(*picture);
    if (png.empty()) return fail(io.err, o.output + ": the picture could not be encoded");
    if (auto saved = platform::replaceFile(o.output, png); !saved) return fail(io.err, saved.error().message());
    return 0;
}

}  // namespace

CommandRun defineThumbnail(CLI::App& command) {
    auto o = std::make_shared<ThumbnailOptions>();
    command.description(
        "Draws the track's map as a PNG of SIZE pixels square (512 at most), as a file manager's thumbnailer.");
    command.add_option("-s,--size", o->size, "the thumbnail's width and height in pixels")
        ->type_name("SIZE")
        ->check(CLI::Range(1, 4096))
        ->capture_default_str();
    command.add_option("FILE", o->file, "the track file")->required()->type_name("");
    command.add_option("OUT", o->output, "the PNG file to write, replaced as a whole")->required()->type_name("");
    return [o](const Streams& io) { return thumbnail(*o, io); };
}

}  // namespace pitbox::cli
