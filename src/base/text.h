#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace pitbox {

// Folds the ASCII capitals A to Z only; every other byte stays as it is.
constexpr unsigned char foldAscii(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}
std::string asciiLower(std::string_view s);
// Byte-wise comparison of unsigned bytes after ASCII folding; a prefix sorts first.
int compareFolded(std::string_view a, std::string_view b);
// Whether `a` followed by `aRest` comes before `b` followed by `bRest` in byte
// order, without joining either (two paths held as folder and name).
bool joinedBefore(std::string_view a, std::string_view aRest, std::string_view b, std::string_view bRest);
bool equalFolded(std::string_view a, std::string_view b);

// The text after the last "." of a file name, empty when it has none.
std::string_view extensionPart(std::string_view name);

// The character at `at` of a UTF-8 text and its length in bytes; none (0
// bytes) for a byte that starts no well-formed character (an overlong form, a
// surrogate, past U+10FFFF, cut short).
struct Utf8Char {
    std::uint32_t code = 0;
    std::size_t bytes = 0;
};
Utf8Char utf8CharAt(std::string_view s, std::size_t at);
// Whether a text is well-formed UTF-8.
bool isUtf8(std::string_view text);
// Whether every byte of a text is below 128.
bool isAsciiText(std::string_view text);
// Appends a text as well-formed UTF-8: its characters as they are, and each
// byte that starts none (a file name from an old archive) decoded as
// Windows-1252, the code page of the texts inside track files.
void appendUtf8Whole(std::string& out, std::string_view text);
// Appends a text as appendUtf8Whole does, with its control characters (bytes
// below 32, and 127) written as the visible symbols for them (U+2400 + code,
// U+2421 for 127), so that a line feed or carriage return inside a name never
// breaks a row or a line.
void appendVisible(std::string& out, std::string_view text);
std::string visibleControls(std::string_view text);
// Appends a number in signed decimal: a "-" when negative, no padding.
void appendDecimal(std::string& out, std::int32_t value);

// Number of characters of a UTF-8 text (a byte that starts no character, in a
// damaged text, counts as one).
std::size_t utf8Length(std::string_view s);
// Cuts to at most `width` characters, never inside a character, then pads with
// blanks to exactly `width` characters.
std::string fitText(std::string_view s, std::size_t width);
void appendFitted(std::string& out, std::string_view s, std::size_t width);
// Control characters as their symbols (as appendVisible), then fitted.
void appendVisibleFitted(std::string& out, std::string_view s, std::size_t width);
// Drops the last `count` characters (all of them when there are fewer).
std::string dropLastCharacters(std::string_view s, std::size_t count);

}  // namespace pitbox
