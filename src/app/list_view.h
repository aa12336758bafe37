#pragma once
#include <string>

#include "app/app_state.h"

namespace pitbox {

// The six cell texts of an entry joined by line feeds.
std::string rowText(const TrackEntry& e);
void appendRowText(std::string& row, const TrackEntry& e);
// The row of a track Load has just found: name and path, the four cells between
// them empty.
std::string foundRowText(const TrackEntry& e);
std::string tracksFoundText(std::size_t count);

// Rebuilds the table from the catalogue; status line 1 counts the tracks, status
// line 2 holds one blank until a row is clicked again.
void fillList(AppState& s);
// A table event: the topmost selected row becomes the current entry, its name and
// path go to the status lines and the counter shows selected/rows.
void listEvent(AppState& s);
// The four sort buttons: sort, set the list name, refill.
void sortAction(AppState& s, SortKey key);

}  // namespace pitbox
