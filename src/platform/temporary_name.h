#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace pitbox::platform {

// The name of a replacement's temporary file, the same on every system so that
// a later copy recognises what a killed one left: ".pitbox-" and eight lower-case
// hexadecimal digits, 16 bytes whatever the target's name.
std::string temporaryName(std::uint32_t tag);
bool isTemporaryName(std::string_view name);

}  // namespace pitbox::platform
