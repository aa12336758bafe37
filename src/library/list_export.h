#pragma once
#include <string>
#include <vector>

#include "app/catalogue.h"

namespace pitbox {

// The exported list, to the byte: a count line, the heading, a blank line, then
// one fixed-width line per entry, every line ending in CR LF. Texts are fitted to
// their columns by characters; a number wider than its column is written whole.
std::string exportListText(const std::vector<TrackEntry>& entries);
std::string exportLine(const TrackEntry& e);

}  // namespace pitbox
