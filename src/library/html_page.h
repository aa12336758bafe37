#pragma once
#include <span>
#include <string>
#include <string_view>

#include "library/catalogue.h"

namespace pitbox {

// A track as the catalogue page shows it.
struct PageTrack {
    const TrackEntry* entry = nullptr;
    std::string where;     // its path below the library folder
    std::string picture;   // its picture's address on the page; empty when it has none
    std::string problem;   // why it has none
    std::string bestTime;  // as the picture's text strip says it: "12.45 Driver / Car"
};

// The catalogue's index.html: a heading with the counts, then a table of the
// tracks in the order given, each with its picture (a link to it at full size),
// the table's columns, its best time and its path; a track without a picture
// says why. Complete without scripts; a small inline script adds a filter box
// and sorting by a click on a column's heading. Texts are escaped, and their
// control characters shown as symbols.
std::string cataloguePage(std::span<const PageTrack> tracks, std::string_view title);

}  // namespace pitbox
