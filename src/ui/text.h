#pragma once
#include <string>
#include <string_view>

namespace pitbox::ui {

// Folds the ASCII capitals A to Z only; every other byte stays as it is.
std::string asciiLower(std::string_view s);
// Byte-wise comparison of unsigned bytes after ASCII folding; a prefix sorts first.
int compareFolded(std::string_view a, std::string_view b);
bool equalFolded(std::string_view a, std::string_view b);

// The text after the last "/" or "\" (all of it when there is none).
std::string_view filePart(std::string_view path);
// The text up to and including the last "/" or "\" (empty when there is none).
std::string_view pathPart(std::string_view path);
// The text after the last "." of a file name, empty when it has none.
std::string_view extensionPart(std::string_view name);

// Number of characters of a UTF-8 text (a byte that starts no character, in a
// damaged text, counts as one).
std::size_t utf8Length(std::string_view s);
// Cuts to at most `width` characters, never inside a character, then pads with
// blanks to exactly `width` characters.
std::string fitText(std::string_view s, std::size_t width);
// Drops the last `count` characters (all of them when there are fewer).
std::string dropLastCharacters(std::string_view s, std::size_t count);

}  // namespace pitbox::ui
