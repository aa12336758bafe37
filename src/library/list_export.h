#pragma once
#include <cstdint>
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

// The list for other programs. Csv: RFC 4180 for spreadsheets, in UTF-8 after a
// byte-order mark (so that they read the accents), a header row of the table's
// column titles and "Status", then one row a track, every field whole, quoted
// where it holds a comma, a quote or a line end, a text that starts as a
// formula would (=, +, -, @, a tab or a carriage return) after an apostrophe,
// and a name's bytes that are no UTF-8 decoded as Windows-1252; the Status
// says what the table's row does: "read", "not read", "old format",
// "damaged: REASON" or "unreadable: REASON"; with `groupOf`, a last column
// "Group" with the track's duplicate group. Paths: one path a line, as it is
// (its bytes too); PathsNul: each ended by a NUL instead, for scripts.
enum class ListFormat { Text, Csv, Paths, PathsNul };
using GroupOf = std::function<std::uint32_t(const TrackEntry&)>;
void exportList(Catalogue::ConstEntries entries, ListFormat format, const std::function<void(std::string_view)>& sink,
                const GroupOf& groupOf = {});
std::string exportListAs(Catalogue::ConstEntries entries, ListFormat format, const GroupOf& groupOf = {});

}  // namespace pitbox
