#include "app/list_view.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "app/find_duplicates.h"
#include "app/ids.h"
#include "base/text.h"
#include "library/track_columns.h"
#include "platform/archives.h"

namespace pitbox {

// How a row shows what Scan made of its file: numbers only for tracks that
// were read, and in place of an author why there is none.
void TrackRows::appendCell(std::size_t row, std::size_t column, std::string& out) const {
    if (row >= view_.rows() || column >= kTrackColumns.size()) return;
    const TrackEntry& e = view_.row(row);
    const bool read = e.state == TrackState::Scanned || e.state == TrackState::OldFormat;
    switch (kTrackColumns[column].key) {
        case SortKey::Name:
            // While only duplicates are shown, each says of which kind it is.
            if (view_.duplicateKind(e) == CatalogueView::Duplicate::Identical)
                out += kIdenticalMark;
            else if (view_.duplicateKind(e) == CatalogueView::Duplicate::SameTrack)
                out += kSameTrackMark;
            appendVisible(out, e.name);
            break;
        case SortKey::WorldSize:
            if (read) appendDecimal(out, e.worldSize);
            break;
        case SortKey::Length:
            if (read) appendDecimal(out, e.length);
            break;
        case SortKey::Author:
            if (e.state == TrackState::Damaged)
                out += kDamagedText;
            else if (e.state == TrackState::Unreadable)
                out += kUnreadableText;
            else
                appendVisible(out, e.author);
            break;
        case SortKey::Record: appendVisible(out, e.record); break;
        case SortKey::Path:
            // The separator between ends any character before it.
            appendVisible(out, e.folderPath());
            appendVisible(out, e.file);
            break;
    }
}

void TrackRows::appendFindText(std::size_t row, std::string& out) const {
    if (row < view_.rows()) out += view_.row(row).name.view();
}

std::vector<std::string> TrackRows::dragFiles() const {
    std::vector<std::string> files;
    for (const TrackEntry* e : view_.selectedEntries())
        if (std::string path = e->path(); !platform::isArchiveMember(path)) files.push_back(std::move(path));
    return files;
}

std::string tracksFoundText(std::size_t count) { return std::to_string(count) + " Tracks found"; }

std::string shownText(const CatalogueView& view) {
    if (view.showingDuplicates())
        return std::to_string(view.rows()) + " duplicates in " + std::to_string(view.duplicateGroups()) +
               " groups, of " + std::to_string(view.total()) + " Tracks";
    if (view.filterText().find_first_not_of(' ') == std::string::npos) return tracksFoundText(view.total());
    return std::to_string(view.rows()) + " of " + std::to_string(view.total()) + " Tracks shown";
}

namespace {

std::string counterText(const CatalogueView& view) {
    return std::to_string(view.selectedCount()) + "/" + std::to_string(view.rows());
}

}  // namespace

void showTableRows(AppState& s) {
    s.tk.setTableRows(ids::kMainWindow, ids::kTable, &s.rows);
    s.tk.showTableSelection(ids::kMainWindow, ids::kTable, s.view.currentRow());
}

void fillList(AppState& s) {
    showTableRows(s);
    showListStatus(s);
}

void showListStatus(AppState& s) {
    const CatalogueView& v = s.view;
    if (s.resultShown) {
        s.tk.setText(ids::kMainWindow, ids::kSelectionCounter, counterText(v));
        return;
    }
    s.tk.setText(ids::kMainWindow, ids::kSelectionCounter, v.selectedCount() > 0 ? counterText(v) : "");
    s.tk.setText(ids::kMainWindow, ids::kStatusLine1, shownText(v));
    s.tk.setText(ids::kMainWindow, ids::kStatusLine2, v.current() ? visibleControls(v.current()->path()) : " ");
}

void presentCatalogue(AppState& s, Catalogue&& catalogue, Presented presented) {
    if (presented == Presented::AsNew) {
        s.catalogue = std::move(catalogue);
        s.view.reset(s.catalogue);
        s.view.prepareSearch();
        s.sortColumn = static_cast<int>(columnOf(SortKey::Name));
        s.sortOrder = SortOrder::Ascending;
        s.tk.setSortIndicator(ids::kMainWindow, ids::kTable, s.sortColumn, true);
        s.tk.setText(ids::kMainWindow, ids::kFilter, "");
        showDuplicatesCaption(s);
        fillList(s);
        return;
    }
    std::unordered_set<PathKey, PathKeyHash> selected;
    for (std::size_t row : s.view.selectedRows()) selected.emplace(pathKey(s.view.row(row)));
    std::unordered_map<PathKey, CatalogueView::DuplicateOf, PathKeyHash> duplicates;
    for (const auto& d : s.view.duplicates()) duplicates.emplace(pathKey(*d.entry), d);
    const std::string filter = s.view.filterText();
    // The old entries' texts are looked up until the new catalogue is in place.
    Catalogue old = std::exchange(s.catalogue, std::move(catalogue));
    s.view.reset(s.catalogue);
    if (s.sortColumn >= 0) s.view.sort(kTrackColumns[static_cast<std::size_t>(s.sortColumn)].key, s.sortOrder);
    s.view.setFilter(filter);
    s.view.prepareSearch();
    std::vector<CatalogueView::DuplicateOf> kept;
    std::unordered_map<std::size_t, std::size_t> members;  // group -> how many are left
    for (const TrackEntry& e : std::as_const(s.catalogue).entries())
        if (auto it = duplicates.find(pathKey(e)); it != duplicates.end()) {
            kept.push_back({&e, it->second.group, it->second.kind});
            ++members[it->second.group];
        }
    std::erase_if(kept, [&](const CatalogueView::DuplicateOf& d) { return members[d.group] < 2; });
    s.view.showDuplicates(kept);
    showDuplicatesCaption(s);
    std::vector<std::size_t> rows;
    if (!selected.empty())
        for (std::size_t r = 0; r < s.view.rows(); ++r)
            if (selected.count(pathKey(s.view.row(r)))) rows.push_back(r);
    s.view.selectRows(rows);
    fillList(s);
}

void presentChange(AppState& s, const CatalogueChange& change) {
    s.view.catalogueChanged(change.gone, change.added);
    // Once most of what the catalogue stores is gone or replaced, it is made
    // again of what it holds, unless its entries are about to be read.
    if (change.toRead.empty() && s.catalogue.mostlyUnused()) {
        Catalogue kept;
        kept.shareTextsOf(s.catalogue);
        kept.setRoot(s.catalogue.root());
        for (const TrackEntry& e : std::as_const(s.catalogue).entries()) kept.appendSharing(e);
        (void)kept.dropUnusedTexts();
        presentCatalogue(s, std::move(kept), Presented::AsBefore);
        return;
    }
    showDuplicatesCaption(s);
    fillList(s);
}

void dropEntries(AppState& s, const std::function<bool(const TrackEntry&)>& gone) {
    CatalogueChange change;
    std::vector<TrackEntry*> kept;
    kept.reserve(s.catalogue.count());
    for (TrackEntry& e : s.catalogue.entries()) {
        if (gone(e))
            change.gone.push_back(e.id);
        else
            kept.push_back(&e);
    }
    if (change.gone.empty()) return;
    s.catalogue.reorder(std::move(kept));
    presentChange(s, change);
}

std::vector<std::string> selectedPaths(const AppState& s) {
    std::vector<std::string> paths;
    for (const TrackEntry* e : s.view.selectedEntries()) paths.push_back(e->path());
    return paths;
}

void listEvent(AppState& s) {
    // A click below the last row: the lines keep what they said.
    if (s.view.selectedCount() == 0 || !s.view.current()) return;
    showCurrentEntry(s);
}

namespace {

void makeRowCurrent(AppState& s, std::size_t row) {
    const std::size_t only[] = {row};
    s.view.selectRows(only);
    s.tk.showTableSelection(ids::kMainWindow, ids::kTable, row);
    showCurrentEntry(s);
}

}  // namespace

void moveCurrent(AppState& s, int step) {
    const std::size_t rows = s.view.rows();
    if (rows == 0) return;
    const std::size_t row = s.view.currentRow();
    std::size_t next = 0;
    if (row != CatalogueView::npos) next = step > 0 ? std::min(row + 1, rows - 1) : (row > 0 ? row - 1 : 0);
    if (next != row) makeRowCurrent(s, next);
}

void makeCurrent(AppState& s, std::string_view path) {
    for (std::size_t row = 0; row < s.view.rows(); ++row)
        if (s.view.row(row).hasPath(path)) return makeRowCurrent(s, row);
}

void showCurrentEntry(AppState& s) {
    if (!s.view.current()) return;
    const TrackEntry& e = *s.view.current();
    s.tk.setText(ids::kMainWindow, ids::kStatusLine1, visibleControls(e.name));
    // A file Scan could not read says why, naming itself.
    s.tk.setText(ids::kMainWindow, ids::kStatusLine2, e.problem.empty() ? visibleControls(e.path()) : problemText(e));
    s.tk.setText(ids::kMainWindow, ids::kSelectionCounter, counterText(s.view));
}

void sortList(AppState& s, SortKey key, SortOrder order) {
    s.view.sort(key, order);
    switch (key) {
        case SortKey::Name: s.listName = "tracks"; break;
        case SortKey::Author: s.listName = "tracks_autor"; break;
        case SortKey::WorldSize: s.listName = "tracks_ws"; break;
        case SortKey::Length: s.listName = "tracks_km"; break;
        default: break;  // the record and path columns leave the list name
    }
    s.sortColumn = static_cast<int>(columnOf(key));
    s.sortOrder = order;
    s.tk.setSortIndicator(ids::kMainWindow, ids::kTable, s.sortColumn, order == SortOrder::Ascending);
    fillList(s);
}

void sortAction(AppState& s, SortKey key) { sortList(s, key, SortOrder::Ascending); }

void headerSort(AppState& s, int column) {
    if (column < 0 || static_cast<std::size_t>(column) >= kTrackColumns.size()) return;
    const bool again = column == s.sortColumn && s.sortOrder == SortOrder::Ascending;
    sortList(s, kTrackColumns[static_cast<std::size_t>(column)].key,
             again ? SortOrder::Descending : SortOrder::Ascending);
}

void filterChanged(AppState& s) {
    const std::string text = s.tk.text(ids::kMainWindow, ids::kFilter);
    if (text == s.view.filterText()) return;
    s.view.setFilter(text);
    fillList(s);
}

std::string errorText(const Error& error) { return "Error: " + error.message(); }

std::string unreadText(const std::vector<Error>& failures, const char* one, const char* many) {
    if (failures.empty()) return {};
    return std::to_string(failures.size()) + " " + (failures.size() == 1 ? one : many) +
           " could not be read: " + failures.front().message();
}

std::string firstFailureText(const std::vector<Error>& failures) {
    if (failures.empty()) return {};
    std::string text = errorText(failures.front());
    if (failures.size() > 1) text += " (and " + std::to_string(failures.size() - 1) + " more)";
    return text;
}

void reportError(AppState& s, const Error& error) { showResult(s, errorText(error)); }

void showResult(AppState& s, const std::string& line) {
    s.tk.setText(ids::kMainWindow, ids::kStatusLine1, line);
    s.resultShown = true;
}

}  // namespace pitbox
