#include "ui/image_files.h"

#include <array>
#include <cstdint>

#include "platform/paths.h"
#include "ui/text.h"

namespace pitbox::ui {
namespace {

void le32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void le16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void be32(std::string& out, std::uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint32_t crc32(std::string_view bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (char ch : bytes) c = table[(c ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void chunk(std::string& out, const char* type, const std::string& data) {
    be32(out, static_cast<std::uint32_t>(data.size()));
    std::string typed(type, 4);
    typed += data;
    out += typed;
    be32(out, crc32(typed));
}

}  // namespace

std::string encodeBmp(const Picture& p) {
    const auto w = static_cast<std::uint32_t>(p.width()), h = static_cast<std::uint32_t>(p.height());
    const std::uint32_t stride = (w * 3 + 3) & ~3u;
    std::string out = "BM";
    le32(out, 54 + stride * h);
    le32(out, 0);
    le32(out, 54);
    le32(out, 40);
    le32(out, w);
    le32(out, h);
    le16(out, 1);
    le16(out, 24);
    le32(out, 0);
    le32(out, stride * h);
    for (int i = 0; i < 4; ++i) le32(out, 0);
    for (int row = p.height() - 1; row >= 0; --row) {
        for (int col = 0; col < p.width(); ++col) {
            const Colour c = p.at(col, row);
            out.push_back(static_cast<char>(blueOf(c)));
            out.push_back(static_cast<char>(greenOf(c)));
            out.push_back(static_cast<char>(redOf(c)));
        }
        out.append(stride - w * 3, '\0');
    }
    return out;
}

std::string encodePpm(const Picture& p) {
    std::string out = "P6\n" + std::to_string(p.width()) + " " + std::to_string(p.height()) + "\n255\n";
    for (Colour c : p.pixels()) {
        out.push_back(static_cast<char>(redOf(c)));
        out.push_back(static_cast<char>(greenOf(c)));
        out.push_back(static_cast<char>(blueOf(c)));
    }
    return out;
}

std::string encodePng(const Picture& p) {
    std::string raw;
    raw.reserve(static_cast<std::size_t>(p.height()) * (static_cast<std::size_t>(p.width()) * 3 + 1));
    for (int row = 0; row < p.height(); ++row) {
        raw.push_back('\0');  // filter: none
        for (int col = 0; col < p.width(); ++col) {
            const Colour c = p.at(col, row);
            raw.push_back(static_cast<char>(redOf(c)));
            raw.push_back(static_cast<char>(greenOf(c)));
            raw.push_back(static_cast<char>(blueOf(c)));
        }
    }
    // zlib stream of stored deflate blocks of at most 65,535 bytes.
    std::string z = "\x78\x01";
    std::uint32_t a = 1, b = 0;
    for (char ch : raw) {
        a = (a + static_cast<unsigned char>(ch)) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0; at < raw.size() || raw.empty(); at += 65535) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        const bool last = at + n >= raw.size();
        z.push_back(last ? '\x01' : '\x00');
        le16(z, static_cast<std::uint32_t>(n));
        le16(z, static_cast<std::uint32_t>(~n & 0xFFFF));
        z.append(raw, at, n);
        if (last) break;
    }
    be32(z, (b << 16) | a);

    std::string out = "\x89PNG\r\n\x1a\n";
    std::string header;
    be32(header, static_cast<std::uint32_t>(p.width()));
    be32(header, static_cast<std::uint32_t>(p.height()));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter set, no interlace
    chunk(out, "IHDR", header);
    chunk(out, "IDAT", z);
    chunk(out, "IEND", "");
    return out;
}

std::string encodeForFileName(const Picture& p, std::string_view fileName) {
    const std::string ext = asciiLower(extensionPart(platform::filePart(fileName)));
    if (ext == "png") return encodePng(p);
    if (ext == "bmp") return encodeBmp(p);
    if (ext == "ppm") return encodePpm(p);
    return {};
}

}  // namespace pitbox::ui
