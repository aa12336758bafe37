#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <memory>

#include "cli/command.h"
#include "trackfile/header_reader.h"
#include "trackfile/track_buffer.h"

namespace pitbox::cli {
namespace {

std::string jsonText(const std::string& s) {
    std::string out = "\"";
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                    out += buffer;
                } else {
                    out.push_back(ch);
                }
        }
    }
    return out + "\"";
}

int printHeader(const std::string& path, const Streams& io) {
    TrackBuffer buffer;
    if (auto loaded = loadTrackFile(path, buffer); !loaded) return fail(io.err, loaded.error().message());
    HeaderFields h;
    if (auto read = readTrackHeader(buffer, h); !read) return fail(io.err, read.error().message());
    io.out << "{\"old_format\": " << (h.oldFormat ? "true" : "false")
           << ", \"v110\": " << (h.needs110 ? "true" : "false") << ", \"world_size\": " << int{h.worldSize}
           << ", \"water_level\": " << int{h.waterLevel} << ", \"length\": " << h.trackLength
           << ", \"author\": " << jsonText(h.author) << ", \"record_times\": [" << h.recordTimes[0] << ", "
           << h.recordTimes[1] << "], \"drivers\": [" << jsonText(h.drivers[0]) << ", " << jsonText(h.drivers[1])
           << "], \"cars\": [" << jsonText(h.cars[0]) << ", " << jsonText(h.cars[1]) << "]}\n";
    return 0;
}

}  // namespace

CommandRun defineHeader(CLI::App& command) {
    auto path = std::make_shared<std::string>();
    command.description("Prints the header fields of one track file as a JSON object.");
    command.add_option("FILE", *path, "the track file")->required()->type_name("");
    return [path](const Streams& io) { return printHeader(*path, io); };
}

}  // namespace pitbox::cli
