#pragma once
#include <cstdint>
#include <span>

#include "trackfile/header_reader.h"

namespace pitbox::test {

// What the header reader made of a file, as one value for tables of cases.
enum class HeaderStatus { Supported, OldFormat, Damaged };

inline HeaderStatus headerStatus(std::span<const std::uint8_t> bytes, HeaderFields& h) {
    if (!readTrackHeader(bytes, h)) return HeaderStatus::Damaged;
    return h.oldFormat ? HeaderStatus::OldFormat : HeaderStatus::Supported;
}

}  // namespace pitbox::test
