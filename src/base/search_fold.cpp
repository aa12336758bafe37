#include "base/search_fold.h"

#include <algorithm>
#include <cstdint>

#include "base/search_fold_table.h"

namespace pitbox {
namespace {

// The character starting at `at` and its length in bytes; none (0 bytes) for
// a byte that starts no well-formed character.
struct Decoded {
    std::uint32_t code = 0;
    std::size_t bytes = 0;
};

Decoded decode(std::string_view s, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    std::uint32_t code = 0, least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1Fu, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0Fu, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07u, least = 0x10000;
    } else {
        return {};
    }
    if (at + length > s.size()) return {};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return {};
        code = code << 6 | (byte(at + i) & 0x3Fu);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {};
    return {code, length};
}

const fold::Mapping* mappingOf(std::uint32_t code) {
    const fold::Mapping* end = fold::kMappings + fold::kMappingCount;
    const fold::Mapping* it = std::lower_bound(fold::kMappings, end, code,
                                               [](const fold::Mapping& m, std::uint32_t c) { return m.code < c; });
    return it != end && it->code == code ? it : nullptr;
}

}  // namespace

void appendSearchFolded(std::string& out, std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
            ++i;
            continue;
        }
        const Decoded d = decode(utf8, i);
        if (d.bytes == 0) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        if (const fold::Mapping* m = mappingOf(d.code))
            out.append(fold::kPool + m->at, m->length);
        else
            out.append(utf8.substr(i, d.bytes));
        i += d.bytes;
    }
}

void forEachSearchFold(const std::function<void(std::uint32_t code, std::string_view folded)>& each) {
    for (std::size_t i = 0; i < fold::kMappingCount; ++i) {
        const fold::Mapping& m = fold::kMappings[i];
        each(m.code, std::string_view(fold::kPool + m.at, m.length));
    }
}

std::string searchFolded(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    appendSearchFolded(out, utf8);
    return out;
}

}  // namespace pitbox
