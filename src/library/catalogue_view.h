#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "library/catalogue.h"
#include "library/duplicate_marks.h"
#include "library/search_texts.h"
#include "library/track_filter.h"
#include "library/track_selection.h"

namespace pitbox {

// What the table shows of a catalogue: which entries (the filter), in which
// order (the sorts, which compose), which of them are selected and which one is
// current. Selection and current entry are held as entries, not row numbers, so
// they survive a sort, a filter and a Scan; an entry the filter hides is no
// longer selected or current, so nothing hidden is ever copied or shown.
class CatalogueView {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    // Starts over on a catalogue (after a Load): its order, no filter, nothing
    // selected, nothing current. The catalogue must outlive the view's use.
    void reset(Catalogue& catalogue);
    // The entries' texts changed (after a Scan): the filter is applied again,
    // order, selection and current entry are kept.
    void refresh();
    // Folds every entry's texts for the filter now rather than at its first use,
    // so that the first keystroke is as quick as the others.
    void prepareSearch();
    // Some entries' texts changed (a Scan going on): their folded texts are
    // made again, and the filter, if any, applied again. Returns whether it
    // was, so the rows may have changed.
    bool entriesChanged(std::span<const TrackEntry* const> entries);
    // The catalogue changed in place (its tree changed in a few folders): the
    // `gone` entries left its order and the `added` ones joined it. The order,
    // filter, selection, current entry and Duplicates view stay: an added
    // entry takes its place in the view's order under its sort, and a gone
    // one leaves the view, its selection and its group of duplicates. The
    // cost is that of the entries changed, but for a few passes over ids.
    void catalogueChanged(std::span<const std::uint32_t> gone, std::span<const std::uint32_t> added);

    void sort(SortKey key, SortOrder direction = SortOrder::Ascending);
    void setFilter(std::string_view text);
    const std::string& filterText() const { return filterText_; }

    // The shown rows.
    std::size_t rows() const { return rows_.size(); }
    std::size_t total() const { return catalogue_ ? catalogue_->count() : 0; }
    const TrackEntry& row(std::size_t i) const { return *rows_[i]; }
    Catalogue::ConstEntries shown() const { return {rows_.data(), rows_.size()}; }
    // The row an entry is shown in, npos when it is hidden.
    std::size_t rowOf(const TrackEntry& e) const;

    // Selection and current entry. The table reports selected rows; the topmost
    // of them becomes current, and none when no row is selected.
    void selectRows(std::span<const std::size_t> rows);
    std::vector<std::size_t> selectedRows() const;
    bool isRowSelected(std::size_t row) const { return row < rows_.size() && selection_.has(*rows_[row]); }
    // Selects, or lets go of, the rows `first` to `last` (both included, as far
    // as there are rows), the table's way of changing the selection a click
    // at a time. The topmost selected row is current; letting go of every row
    // keeps the current entry, as a click below the last row does.
    void setRowsSelected(std::size_t first, std::size_t last, bool selected);
    void clearSelection() { selection_.clear(); }
    // Selects the shown entries `pick` chooses, looked at in the order they
    // lie in memory rather than row by row, which on a large table is several
    // times quicker; the topmost becomes current.
    void selectWhere(const std::function<bool(const TrackEntry&)>& pick);
    // The selected rows' entries, in table order.
    std::vector<TrackEntry*> selectedEntries() const;
    std::size_t selectedCount() const { return selection_.count(); }
    const TrackEntry* current() const { return selection_.current; }
    // Makes a selected entry current, where the topmost would be: the track
    // a user named first among several.
    void makeCurrent(const TrackEntry& e) {
        if (selection_.has(e)) selection_.current = &e;
    }
    // No entry is current, where none is selected: the viewer shows a track
    // from elsewhere, and any row clicked next is a new current one.
    void dropCurrentUnselected() {
        if (selection_.count() == 0) selection_.current = nullptr;
    }
    std::size_t currentRow() const { return selection_.current ? rowOf(*selection_.current) : npos; }
    // Shows only tracks that have a duplicate, each group together (in the
    // order of the groups given, within a group in the view's order), under the
    // filter. An empty list shows every track again.
    using Duplicate = DuplicateMarks::Duplicate;
    using DuplicateOf = DuplicateMarks::DuplicateOf;
    void showDuplicates(const std::vector<DuplicateOf>& duplicates);
    bool showingDuplicates() const { return marks_.shown(); }
    // What showDuplicates was given, in the catalogue's order.
    std::vector<DuplicateOf> duplicates() const;
    std::uint32_t groupOf(const TrackEntry& e) const { return marks_.groupOf(e); }
    Duplicate duplicateKind(const TrackEntry& e) const { return marks_.kindOf(e); }
    // The groups of which the filter shows a track.
    std::size_t duplicateGroups() const { return shownGroups_; }

private:
    std::size_t ids() const { return catalogue_ ? catalogue_->ids() : 0; }
    void applyFilter();
    // The view's order without the entries `out` holds, with `added` in it.
    void placeAdded(std::span<const std::uint32_t> added, const std::vector<std::uint8_t>& out);
    void noteOrderIds(const std::vector<TrackEntry*>& order);
    // The rows shown filtered again by a filter that narrows the last one.
    void narrowRows();
    void countGroups();
    // The rows of the view's order whose ids `shownById` holds.
    void showRows(const std::vector<std::uint8_t>& shownById);
    // What the filter shows now, kept for when its text is typed back.
    void keepShown(std::vector<std::uint8_t> shownById);
    const std::vector<std::uint8_t>* keptShown() const;

    // The view's own job, the order and the filter; its other three each in
    // a part of its own.
    Catalogue* catalogue_ = nullptr;
    // Every entry's id, in the view's order: the filter looks at every entry
    // by id, in the order their search texts lie, and reads no entry.
    std::vector<std::uint32_t> orderIds_;
    // The last sort, none since the reset: the view's order is then the catalogue's.
    std::optional<std::pair<SortKey, SortOrder>> sortedBy_;
    std::vector<TrackEntry*> rows_;      // the entries the filter lets through, in that order
    std::vector<std::uint32_t> rowIds_;  // their ids
    std::vector<std::uint32_t> rowOfId_;
    std::string filterText_;
    TrackFilter filter_;
    std::size_t shownGroups_ = 0;
    TrackSelection selection_;
    SearchTexts search_;
    DuplicateMarks marks_;
    // Which entries the last few filters showed, by id, the newest last: a
    // text typed back (what was typed on deleted) shows its rows again without
    // looking at the library. Forgotten when the texts or the marks change.
    struct FilterShown {
        std::string text;
        bool onlyDuplicates = false;
        std::vector<std::uint8_t> byId;
    };
    std::vector<FilterShown> recentlyShown_;
};

}  // namespace pitbox
