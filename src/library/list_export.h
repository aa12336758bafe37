#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "library/catalogue.h"

namespace pitbox {

// The exported list, to the byte: a count line, the heading, a blank line, then
// one fixed-width line per entry, every line ending in CR LF. Texts are fitted to
// their columns by characters; a number wider than its column is written whole.
std::string exportListText(Catalogue::ConstEntries entries);
// The same text handed to `sink` in pieces of about 64 KiB, for large lists.
void exportList(Catalogue::ConstEntries entries, const std::function<void(std::string_view)>& sink);
std::string exportLine(const TrackEntry& e);

}  // namespace pitbox
