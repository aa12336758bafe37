#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "app/app_state.h"
#include "library/library_store.h"

namespace pitbox {

// The author cell of a file Scan found damaged or could not read.
inline constexpr const char* kDamagedText = "(damaged)";
inline constexpr const char* kUnreadableText = "(unreadable)";
// Before a name while only duplicates are shown, short enough for the narrow
// column: the same bytes as another file, or the same track as another saved
// with other texts.
inline constexpr const char* kIdenticalMark = "\u2261 ";
inline constexpr const char* kSameTrackMark = "\u2248 ";

std::string tracksFoundText(std::size_t count);
// Status line 1 after the table was filled: the tracks found, or with a filter
// how many of them are shown.
std::string shownText(const CatalogueView& view);

// Shows the view in the table: its rows, its selection and current entry
// (scrolled into view). Status line 1 counts the tracks, status line 2 holds the
// current track's path (one blank when there is none).
void fillList(AppState& s);
// The rows and selection alone, for a table whose rows changed while the
// status lines say something else.
void showTableRows(AppState& s);
// The same but for the rows, which the table has already: the counter and the
// status lines (the counter alone while they hold the user's result).
void showListStatus(AppState& s);
// The table takes a catalogue and shows it. As a new library it starts sorted
// by name, unfiltered, nothing selected; as the same folder looked at again it
// keeps the order, filter, duplicates and selection (by path) as far as they go.
enum class Presented { AsNew, AsBefore };
void presentCatalogue(AppState& s, Catalogue&& catalogue, Presented presented);
// The catalogue changed in place: the table shows the change, keeping its
// order, filter, duplicates and selection as far as they go.
void presentChange(AppState& s, const CatalogueChange& change);
// Takes the entries `gone` picks out of the catalogue, presented as before; a
// duplicate left without its twins is no longer shown as one.
void dropEntries(AppState& s, const std::function<bool(const TrackEntry&)>& gone);
// The selected tracks' paths in the table's order (what Copy and Move to
// Trash act on).
std::vector<std::string> selectedPaths(const AppState& s);
// A table event, after the user changed the selection: the current entry's
// name and path go to the status lines and the counter shows selected/rows.
void listEvent(AppState& s);
// The current entry's name and path (or why its file could not be read) in the
// status lines, and the counter.
void showCurrentEntry(AppState& s);
// Makes the next (step > 0) or previous shown row the only selected one and
// current, as the arrow keys in the table do; the first row when none is current.
void moveCurrent(AppState& s, int step);
// The four sort buttons: sort ascending, set the list name, refill.
void sortAction(AppState& s, SortKey key);
// Sorts the table by a column's key, its header showing it.
void sortList(AppState& s, SortKey key, SortOrder order);
// Makes the shown track of this path the current and only selected one.
void makeCurrent(AppState& s, std::string_view path);
// A click on a column header: ascending, or descending when the table is sorted
// ascending by that column already.
void headerSort(AppState& s, int column);
// The filter box changed.
void filterChanged(AppState& s);
// A failure as a status line says it: "Error: " and the error's one wording.
std::string errorText(const Error& error);
// How many things could not be read and why the first could not, as status
// line 2 says it: "2 folders could not be read: /t/x/: Permission denied".
std::string unreadText(const std::vector<Error>& failures, const char* one, const char* many);
// Why the first of several actions failed, and how many more did:
// "Error: /t/a.trk: Permission denied (and 2 more)"; empty when none did.
std::string firstFailureText(const std::vector<Error>& failures);
// That line in the main window's status line 1, as the user's result.
void reportError(AppState& s, const Error& error);
// The result of what the user did in status line 1, kept there until the user
// does something else.
void showResult(AppState& s, const std::string& line);

}  // namespace pitbox
