#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace pitbox {

// Writes a file as a whole or not at all: the bytes go to a temporary file in the
// same folder, which is renamed over `path` only once every write and the close
// have succeeded. On failure the temporary file is removed, an existing file of
// that name is left as it was, and the reason is returned.
std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace pitbox
