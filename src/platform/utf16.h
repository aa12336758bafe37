#pragma once
#include <string>
#include <string_view>

namespace pitbox::platform {

// Program texts are UTF-8; the Windows API takes UTF-16. They meet here (Windows
// builds only).
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace pitbox::platform
