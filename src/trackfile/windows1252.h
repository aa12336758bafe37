#pragma once
#include <string>
#include <string_view>

namespace pitbox {

// Texts in track files are Windows-1252 bytes. Every byte value decodes: the five
// bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the
// control characters of the same number, as web browsers decode them.
std::string decodeWindows1252(std::string_view bytes);

}  // namespace pitbox
