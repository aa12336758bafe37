#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/result.h"

namespace pitbox::platform {

// Reads a whole regular file into `into` (which keeps its storage between calls)
// and returns its length. Only regular files are read, also through links; a pipe,
// socket or device is refused without being opened, so no call can block. A file
// of more than `maxBytes` is refused as a whole, never cut. On failure `into` may
// hold any bytes.
Result<std::size_t> readRegularFile(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& into);

// Makes one folder (its parent must exist); fails with Exists when the name is taken.
Result<void> makeFolder(const std::string& path);

// The working folder, ending in the separator.
std::string workingFolder();

}  // namespace pitbox::platform
