#pragma once
#include <cstdint>
#include <span>
#include <string_view>

namespace pitbox::resources {

// The files of resources/ built into the program, by file name; empty when the
// name is unknown.
std::span<const std::uint8_t> find(std::string_view name);

}  // namespace pitbox::resources
