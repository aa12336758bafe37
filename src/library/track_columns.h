#pragma once
#include <array>
#include <cstddef>

#include "library/catalogue.h"

namespace pitbox {

// The table's columns, in their order: the one place that says what each is
// titled, how wide it starts, what a click on its header sorts by, and how
// Save List writes it.
struct TrackColumn {
    const char* title;
    int width;  // in pixels, at first
    SortKey key;
    std::size_t exportWidth;  // in characters; 0: the whole text
    const char* exportGap;    // what Save List writes after it
};

inline constexpr std::array<TrackColumn, 6> kTrackColumns = {{
    {"Track", 150, SortKey::Name, 25, " "},
    {"WS", 60, SortKey::WorldSize, 7, " "},
    {"Length", 60, SortKey::Length, 7, " "},
    {"Author", 200, SortKey::Author, 30, ""},
    {"Record/FL", 200, SortKey::Record, 30, " "},
    {"Path", 300, SortKey::Path, 0, ""},
}};

// The column that shows a key.
constexpr std::size_t columnOf(SortKey key) {
    for (std::size_t c = 0; c < kTrackColumns.size(); ++c)
        if (kTrackColumns[c].key == key) return c;
    return 0;
}

}  // namespace pitbox
