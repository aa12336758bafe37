#include "base/text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <utility>

#include "base/result.h"
#include "base/windows1252.h"

namespace pitbox {

std::string Error::message() const { return visibleControls(file.empty() ? reason : file + ": " + reason); }

namespace {

bool continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Byte offset of the character boundary after `count` characters.
std::size_t advance(std::string_view s, std::size_t count) {
    std::size_t i = 0;
    while (i < s.size() && count > 0) {
        ++i;
        while (i < s.size() && continuation(static_cast<unsigned char>(s[i]))) ++i;
        --count;
    }
    return i;
}

}  // namespace

std::string asciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(foldAscii(static_cast<unsigned char>(c)));
    return out;
}

bool joinedBefore(std::string_view a, std::string_view aRest, std::string_view b, std::string_view bRest) {
    for (;;) {
        if (a.empty()) std::swap(a, aRest);
        if (b.empty()) std::swap(b, bRest);
        if (a.empty() || b.empty()) return a.empty() && !b.empty();
        const std::size_t n = std::min(a.size(), b.size());
        if (const int c = a.substr(0, n).compare(b.substr(0, n)); c != 0) return c < 0;
        a.remove_prefix(n);
        b.remove_prefix(n);
    }
}

int compareFolded(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = foldAscii(static_cast<unsigned char>(a[i]));
        const unsigned char y = foldAscii(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool equalFolded(std::string_view a, std::string_view b) { return a.size() == b.size() && compareFolded(a, b) == 0; }

std::string_view extensionPart(std::string_view name) {
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}

namespace {

bool isControl(char c) { return static_cast<unsigned char>(c) < 32 || c == 127; }

// Whether a text holds a control character, eight bytes at a time: a byte below
// 32 borrows in the subtraction, a byte 127 becomes 0 after the exclusive or.
bool holdsControls(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t x = 0;
        std::memcpy(&x, text.data() + i, 8);
        const std::uint64_t del = x ^ (kOnes * 127);
        if ((((x - kOnes * 32) & ~x) | ((del - kOnes) & ~del)) & kHighs) return true;
    }
    for (; i < text.size(); ++i)
        if (isControl(text[i])) return true;
    return false;
}

// Appends the text character by character, as well-formed UTF-8, with
// control characters as their symbols when `visible`.
void appendMended(std::string& out, std::string_view text, bool visible) {
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto code = static_cast<unsigned char>(text[i]);
        const std::size_t length = utf8CharAt(text, i).bytes;
        if (length != 0 && !(visible && isControl(text[i]))) {
            i += length;
            continue;
        }
        out.append(text, from, i - from);
        if (length == 0) {
            appendWindows1252(out, code);
        } else {
            out += "\xE2\x90";
            out.push_back(static_cast<char>(code == 127 ? 0xA1 : 0x80 + code));
        }
        from = ++i;
    }
    out.append(text, from, text.size() - from);
}

}  // namespace

// Eight bytes at a time.
bool isAsciiText(std::string_view text) {
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t x = 0;
        std::memcpy(&x, text.data() + i, 8);
        if (x & kHighs) return false;
    }
    for (; i < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
    return true;
}

Utf8Char utf8CharAt(std::string_view s, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return {lead, 1};
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
        if (!continuation(byte(at + i))) return {};
        code = code << 6 | (byte(at + i) & 0x3Fu);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {};
    return {code, length};
}

bool isUtf8(std::string_view text) {
    if (isAsciiText(text)) return true;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8CharAt(text, i).bytes;
        if (length == 0) return false;
        i += length;
    }
    return true;
}

void appendUtf8Whole(std::string& out, std::string_view text) {
    if (isUtf8(text))
        out.append(text);
    else
        appendMended(out, text, false);
}

void appendVisible(std::string& out, std::string_view text) {
    if (!holdsControls(text) && isUtf8(text))
        out.append(text);
    else
        appendMended(out, text, true);
}

void appendDecimal(std::string& out, std::int32_t value) {
    char digits[16];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

std::string visibleControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendVisible(out, text);
    return out;
}

std::size_t utf8Length(std::string_view s) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (!continuation(static_cast<unsigned char>(s[i])) || i == 0) ++n;
    return n;
}

void appendFitted(std::string& out, std::string_view s, std::size_t width) {
    const std::string_view kept = s.substr(0, advance(s, width));
    out.append(kept);
    const std::size_t length = utf8Length(kept);
    if (length < width) out.append(width - length, ' ');
}

std::string fitText(std::string_view s, std::size_t width) {
    std::string out;
    appendFitted(out, s, width);
    return out;
}

void appendVisibleFitted(std::string& out, std::string_view s, std::size_t width) {
    if (holdsControls(s))
        appendFitted(out, visibleControls(s), width);
    else
        appendFitted(out, s, width);
}

std::string dropLastCharacters(std::string_view s, std::size_t count) {
    const std::size_t length = utf8Length(s);
    if (length <= count) return {};
    return std::string(s.substr(0, advance(s, length - count)));
}

}  // namespace pitbox
