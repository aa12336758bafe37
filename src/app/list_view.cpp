#include "app/list_view.h"

#include "app/ids.h"
#include "base/text.h"

namespace pitbox {

void appendRowText(std::string& row, const TrackEntry& e) {
    appendVisible(row, e.name);
    row += '\n';
    appendDecimal(row, e.worldSize);
    row += '\n';
    appendDecimal(row, e.length);
    row += '\n';
    appendVisible(row, e.author);
    row += '\n';
    appendVisible(row, e.record);
    row += '\n';
    appendVisible(row, e.path);
}

std::string rowText(const TrackEntry& e) {
    std::string row;
    appendRowText(row, e);
    return row;
}

std::string foundRowText(const TrackEntry& e) {
    std::string row;
    appendVisible(row, e.name);
    row += "\n\n\n\n\n";
    appendVisible(row, e.path);
    return row;
}

std::string tracksFoundText(std::size_t count) { return std::to_string(count) + " Tracks found"; }

void fillList(AppState& s) {
    ui::RowTexts rows;
    std::size_t bytes = 0;
    for (const TrackEntry& e : s.catalogue.entries())
        bytes += e.name.size() + e.author.size() + e.record.size() + e.path.size() + 32;
    rows.reserve(s.catalogue.count(), bytes);
    s.catalogue.rewind();
    while (const TrackEntry* e = s.catalogue.step()) rows.add([e](std::string& text) { appendRowText(text, *e); });
    s.tk.setRows(ids::kMainWindow, ids::kTable, std::move(rows));
    s.selectedCount = 0;
    s.rowChosen = false;
    s.tk.setText(ids::kMainWindow, ids::kSelectionCounter, "");
    s.tk.setText(ids::kMainWindow, ids::kStatusLine1, tracksFoundText(s.catalogue.count()));
    s.tk.setText(ids::kMainWindow, ids::kStatusLine2, " ");
}

void listEvent(AppState& s) {
    const auto selected = s.tk.selectedRows(ids::kMainWindow, ids::kTable);
    const std::size_t entries = s.catalogue.count();
    const std::size_t rows = s.tk.rowCount(ids::kMainWindow, ids::kTable);
    s.rowCount = rows;
    s.selectedCount = 0;
    if (selected.empty() || selected.front() >= entries || entries == 0 || rows == 0) return;
    s.catalogue.select(selected.front());
    s.rowChosen = true;
    for (std::size_t row : selected)
        if (row < rows) ++s.selectedCount;
    const TrackEntry& e = *s.catalogue.current();
    s.tk.setText(ids::kMainWindow, ids::kStatusLine1, e.name);
    s.tk.setText(ids::kMainWindow, ids::kStatusLine2, e.path);
    s.tk.setText(ids::kMainWindow, ids::kSelectionCounter,
                 std::to_string(s.selectedCount) + "/" + std::to_string(rows));
}

void sortAction(AppState& s, SortKey key) {
    s.catalogue.sort(key);
    switch (key) {
        case SortKey::Name: s.listName = "tracks"; break;
        case SortKey::Author: s.listName = "tracks_autor"; break;
        case SortKey::WorldSize: s.listName = "tracks_ws"; break;
        case SortKey::Length: s.listName = "tracks_km"; break;
    }
    fillList(s);
}

}  // namespace pitbox
