#include "base/windows1252.h"

#include <cstdint>
#include <utility>

namespace pitbox {
namespace {

constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// The code point of the UTF-8 character at `at` and its length; a byte that starts
// no valid character stands for itself.
std::pair<std::uint32_t, std::size_t> nextCodePoint(std::string_view s, std::size_t at) {
    const auto lead = static_cast<unsigned char>(s[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || at + length > s.size()) return {lead, 1};
    std::uint32_t cp = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto c = static_cast<unsigned char>(s[at + i]);
        if ((c & 0xC0) != 0x80) return {lead, 1};
        cp = cp << 6 | (c & 0x3Fu);
    }
    return {cp, length};
}

}  // namespace

std::string encodeWindows1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const auto [cp, length] = nextCodePoint(utf8, at);
        int byte = cp < 0x80 || (cp >= 0xA0 && cp < 0x100) ? static_cast<int>(cp) : -1;
        for (int i = 0; i < 32 && byte < 0; ++i)
            if (kHighControls[i] == cp) byte = 0x80 + i;
        if (byte >= 0)
            out.push_back(static_cast<char>(byte));
        else
            out.append(utf8.substr(at, length));
        at += length;
    }
    return out;
}

void appendWindows1252(std::string& out, unsigned char byte) {
    appendUtf8(out, byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte);
}

std::string decodeWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) appendWindows1252(out, static_cast<unsigned char>(c));
    return out;
}

}  // namespace pitbox
