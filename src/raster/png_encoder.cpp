// PNG: an indexed picture where it has few colours, as previews do (about a
// dozen: 4 bits a pixel), compressed by zlib; else true colour through
// stb_image_write. Indexed data is a sixth to a third of the true-colour bytes
// and compresses the quicker for it, which counts when a catalogue draws
// thousands.
#include <stb_image_write.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "raster/image_files.h"

namespace pitbox::raster {
namespace {

void be32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

// A chunk: its length, type and data, and zlib's CRC-32 of type and data.
void appendChunk(std::string& out, std::string_view type, std::string_view data) {
    be32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out += type;
    out += data;
    const auto* bytes = reinterpret_cast<const Bytef*>(out.data() + typeAt);
    be32(out, static_cast<std::uint32_t>(crc32(0, bytes, static_cast<uInt>(out.size() - typeAt))));
}

// The colours of the picture's top rows and each pixel's index among them;
// nothing when there are more than 256.
struct Indexed {
    std::vector<Colour> palette;
    std::vector<std::uint8_t> pixels;
};
std::optional<Indexed> indexed(std::span<const Colour> pixels) {
    Indexed out;
    out.pixels.reserve(pixels.size());
    std::uint8_t last = 0;
    for (const Colour c : pixels) {
        if (out.palette.empty() || out.palette[last] != c) {
            auto at = std::find(out.palette.begin(), out.palette.end(), c);
            if (at == out.palette.end()) {
                if (out.palette.size() == 256) return std::nullopt;
                at = out.palette.insert(at, c);
            }
            last = static_cast<std::uint8_t>(at - out.palette.begin());
        }
        out.pixels.push_back(last);
    }
    return out;
}

// Rows of palette indices are mostly runs of one index: run-length matching
// alone (Z_RLE) packs a map within a few per cent of zlib's default, four to
// ten times as fast.
std::string deflatedRows(std::vector<unsigned char>& raw) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK) return {};
    std::string out(deflateBound(&stream, static_cast<uLong>(raw.size())), '\0');
    stream.next_in = raw.data();
    stream.avail_in = static_cast<uInt>(raw.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return done ? out : std::string();
}

std::string indexedPng(const Indexed& image, int width, int rows) {
    const int bits = image.palette.size() <= 16 ? 4 : 8;
    const std::size_t rowBytes =
        bits == 4 ? (static_cast<std::size_t>(width) + 1) / 2 : static_cast<std::size_t>(width);
    std::vector<unsigned char> raw;
    raw.reserve((rowBytes + 1) * static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        raw.push_back(0);  // no filter: the one an indexed picture is best with
        const std::uint8_t* line =
            image.pixels.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
        if (bits == 8) {
            raw.insert(raw.end(), line, line + width);
            continue;
        }
        for (int x = 0; x < width; x += 2)
            raw.push_back(static_cast<unsigned char>(line[x] << 4 | (x + 1 < width ? line[x + 1] : 0)));
    }
    const auto deflated = deflatedRows(raw);
    if (deflated.empty()) return {};

    std::string out = "\x89PNG\r\n\x1A\n";
    std::string header;
    be32(header, static_cast<std::uint32_t>(width));
    be32(header, static_cast<std::uint32_t>(rows));
    header += {static_cast<char>(bits), 3, 0, 0, 0};  // indexed colour, deflate, no interlace
    appendChunk(out, "IHDR", header);
    std::string palette;
    for (const Colour c : image.palette)
        palette += {static_cast<char>(redOf(c)), static_cast<char>(greenOf(c)), static_cast<char>(blueOf(c))};
    appendChunk(out, "PLTE", palette);
    appendChunk(out, "IDAT", deflated);
    appendChunk(out, "IEND", {});
    return out;
}

std::string trueColourPng(std::span<const Colour> pixels, int width, int rows) {
    std::vector<std::uint8_t> rgbBytes;
    rgbBytes.reserve(pixels.size() * 3);
    for (const Colour c : pixels) {
        rgbBytes.push_back(static_cast<std::uint8_t>(redOf(c)));
        rgbBytes.push_back(static_cast<std::uint8_t>(greenOf(c)));
        rgbBytes.push_back(static_cast<std::uint8_t>(blueOf(c)));
    }
    std::string out;
    const auto append = [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
    };
    if (!stbi_write_png_to_func(append, &out, width, rows, 3, rgbBytes.data(), width * 3)) return {};
    return out;
}

}  // namespace

std::string encodePng(const Picture& p) { return encodePng(p, p.height()); }

std::string encodePng(const Picture& p, int rows) {
    rows = std::clamp(rows, 0, p.height());
    if (rows == 0 || p.width() == 0) return {};
    const auto kept = p.pixels().first(static_cast<std::size_t>(rows) * static_cast<std::size_t>(p.width()));
    if (auto image = indexed(kept)) return indexedPng(*image, p.width(), rows);
    return trueColourPng(kept, p.width(), rows);
}

}  // namespace pitbox::raster
