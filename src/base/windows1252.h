#pragma once
#include <string>
#include <string_view>

namespace pitbox {

// Texts in track files are Windows-1252 bytes, and so are the names of files
// from old archives. Every byte value decodes: the five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters
// of the same number, as web browsers decode them.
std::string decodeWindows1252(std::string_view bytes);
void appendWindows1252(std::string& out, unsigned char byte);
// The bytes a decoded text came from, so that texts of track files sort by their
// Windows-1252 codes. A character the code page lacks keeps its UTF-8 bytes.
std::string encodeWindows1252(std::string_view utf8);

}  // namespace pitbox
