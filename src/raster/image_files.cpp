#include "raster/image_files.h"

#include <cstdint>
#include <vector>

#include "base/text.h"
#include "platform/paths.h"

namespace pitbox::raster {
namespace {

void le32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void le16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
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

Result<std::string> encodeForFileName(const Picture& p, std::string_view fileName) {
    const std::string ext = asciiLower(extensionPart(platform::filePart(fileName)));
    std::string bytes;
    if (ext == "png")
        bytes = encodePng(p);
    else if (ext == "bmp")
        bytes = encodeBmp(p);
    else if (ext == "ppm")
        bytes = encodePpm(p);
    else
        return Error{ErrorCode::WriteFailed, std::string(fileName), "not a .png, .bmp or .ppm name"};
    if (bytes.empty()) return Error{ErrorCode::WriteFailed, std::string(fileName), "the picture could not be encoded"};
    return bytes;
}

}  // namespace pitbox::raster
