#include "library/catalogue_view.h"

#include <algorithm>
#include <utility>

#include "base/parallel.h"

namespace pitbox {
namespace {

constexpr std::uint32_t kHidden = UINT32_MAX;

}  // namespace

void CatalogueView::reset(Catalogue& catalogue) {
    catalogue_ = &catalogue;
    marks_ = DuplicateMarks();
    order_ = catalogue.order();
    noteOrderIds();
    selection_.reset(catalogue.count());
    filterText_.clear();
    filter_ = TrackFilter();
    refresh();
}

void CatalogueView::refresh() {
    search_.clear();
    applyFilter();
}

void CatalogueView::prepareSearch() {
    if (catalogue_) search_.prepare(*catalogue_);
}

bool CatalogueView::entriesChanged(std::span<const TrackEntry* const> entries) {
    if (!catalogue_ || !search_.changed(*catalogue_, entries) || filter_.empty()) return false;
    applyFilter();
    return true;
}

void CatalogueView::sort(SortKey key, SortOrder direction) {
    sortEntries(order_, key, direction);
    noteOrderIds();
    applyFilter();
}

void CatalogueView::setFilter(std::string_view text) {
    TrackFilter next(text);
    // Typing on only narrows what is shown: the rows shown are looked at
    // again, not the whole library.
    const bool narrows = next.narrows(filter_);
    filterText_ = text;
    filter_ = std::move(next);
    if (narrows)
        narrowRows();
    else
        applyFilter();
}

namespace {

// Which of the rows shown the filter still shows, looked at on every core:
// over a million tracks the looking is most of a keystroke's time. Each
// entry's id comes with it, so that what follows reads no entry again: at
// that size every entry read is a miss of the processor's caches.
struct Shown {
    std::vector<std::uint8_t> shown;
    std::vector<std::uint32_t> ids;
};
template <class Shows>
Shown shownOf(const std::vector<TrackEntry*>& entries, const Shows& shows) {
    Shown r{std::vector<std::uint8_t>(entries.size()), std::vector<std::uint32_t>(entries.size())};
    forEachPart(entries.size(), [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            r.shown[i] = shows(*entries[i]) ? 1 : 0;
            r.ids[i] = entries[i]->id;
        }
    });
    return r;
}

}  // namespace

void CatalogueView::narrowRows() {
    if (filter_.empty()) return;
    prepareSearch();
    const Shown r = shownOf(rows_, [this](const TrackEntry& e) { return filter_.matches(search_.of(e)); });
    std::size_t kept = 0;
    for (std::size_t i = 0; i < r.ids.size(); ++i) {
        if (r.shown[i]) {
            rowOfId_[r.ids[i]] = static_cast<std::uint32_t>(kept);
            rows_[kept++] = rows_[i];
        } else {
            rowOfId_[r.ids[i]] = kHidden;
            if (selection_.count() > 0) selection_.hideId(r.ids[i]);
        }
    }
    rows_.resize(kept);
    countGroups();
    if (selection_.current && rowOfId_[selection_.current->id] == kHidden) selection_.current = nullptr;
}

void CatalogueView::countGroups() {
    shownGroups_ = 0;
    if (!marks_.shown()) return;
    for (std::size_t row = 0; row < rows_.size(); ++row)
        shownGroups_ += row == 0 || marks_.groupOf(*rows_[row]) != marks_.groupOf(*rows_[row - 1]);
}

void CatalogueView::noteOrderIds() {
    orderIds_.resize(order_.size());
    forEachPart(order_.size(), [this](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) orderIds_[i] = order_[i]->id;
    });
}

void CatalogueView::applyFilter() {
    rows_.clear();
    rows_.reserve(order_.size());
    rowOfId_.assign(order_.size(), kHidden);
    if (!filter_.empty()) prepareSearch();
    // Whether each entry shows, by id, on every core.
    std::vector<std::uint8_t> shownById(order_.size());
    const bool onlyDuplicates = marks_.shown();
    forEachPart(shownById.size(), [&](std::size_t begin, std::size_t end) {
        for (std::size_t id = begin; id < end; ++id) {
            const auto i = static_cast<std::uint32_t>(id);
            shownById[id] = (!onlyDuplicates || marks_.kindOfId(i) != Duplicate::None) &&
                            (filter_.empty() || filter_.matches(search_.ofId(i)));
        }
    });
    for (std::size_t i = 0; i < order_.size(); ++i) {
        const std::uint32_t id = orderIds_[i];
        if (shownById[id]) {
            rowOfId_[id] = static_cast<std::uint32_t>(rows_.size());
            rows_.push_back(order_[i]);
        } else if (selection_.count() > 0) {
            selection_.hideId(id);
        }
    }
    // Each group of duplicates together, in the view's order within it.
    if (onlyDuplicates) {
        std::stable_sort(rows_.begin(), rows_.end(), [this](const TrackEntry* a, const TrackEntry* b) {
            return marks_.groupOf(*a) < marks_.groupOf(*b);
        });
        for (std::size_t row = 0; row < rows_.size(); ++row) rowOfId_[rows_[row]->id] = static_cast<std::uint32_t>(row);
    }
    countGroups();
    if (selection_.current && rowOfId_[selection_.current->id] == kHidden) selection_.current = nullptr;
}

std::size_t CatalogueView::rowOf(const TrackEntry& e) const {
    return e.id < rowOfId_.size() && rowOfId_[e.id] != kHidden ? rowOfId_[e.id] : npos;
}

void CatalogueView::selectRows(std::span<const std::size_t> rows) {
    selection_.clear();
    // A click below the last row selects nothing: the current entry stays.
    if (rows.empty()) return;
    selection_.current = nullptr;
    for (std::size_t row : rows) {
        if (row >= rows_.size() || selection_.has(*rows_[row])) continue;
        selection_.add(*rows_[row]);
        if (!selection_.current || row < rowOf(*selection_.current)) selection_.current = rows_[row];
    }
}

void CatalogueView::setRowsSelected(std::size_t first, std::size_t last, bool selected) {
    if (first >= rows_.size() || first > last) return;
    last = std::min(last, rows_.size() - 1);
    for (std::size_t row = first; row <= last; ++row)
        selected ? selection_.add(*rows_[row]) : selection_.remove(*rows_[row]);
    if (selection_.count() == 0) return;
    std::size_t top = 0;
    while (top < rows_.size() && !selection_.has(*rows_[top])) ++top;
    if (top < rows_.size()) selection_.current = rows_[top];
}

void CatalogueView::selectWhere(const std::function<bool(const TrackEntry&)>& pick) {
    selection_.clear();
    std::uint32_t top = kHidden;
    for (std::uint32_t id = 0; id < rowOfId_.size(); ++id) {
        const std::uint32_t row = rowOfId_[id];
        if (row == kHidden || !pick(catalogue_->byId(id))) continue;
        selection_.add(catalogue_->byId(id));
        top = std::min(top, row);
    }
    if (top != kHidden) selection_.current = rows_[top];
}

// By the entries' ids, which lie in memory in order, rather than row by row.
std::vector<std::size_t> CatalogueView::selectedRows() const {
    const std::size_t count = selection_.count();
    std::vector<std::uint8_t> byRow(count == 0 ? 0 : rows_.size(), 0);
    for (std::size_t id = 0; id < selection_.ids() && count != 0; ++id)
        if (selection_.hasId(id) && rowOfId_[id] != kHidden) byRow[rowOfId_[id]] = 1;
    std::vector<std::size_t> rows;
    rows.reserve(count);
    for (std::size_t row = 0; row < byRow.size(); ++row)
        if (byRow[row]) rows.push_back(row);
    return rows;
}

std::vector<TrackEntry*> CatalogueView::selectedEntries() const {
    std::vector<TrackEntry*> entries;
    for (std::size_t row : selectedRows()) entries.push_back(rows_[row]);
    return entries;
}

void CatalogueView::showDuplicates(const std::vector<DuplicateOf>& duplicates) {
    marks_.mark(duplicates, order_.size());
    applyFilter();
}

std::vector<CatalogueView::DuplicateOf> CatalogueView::duplicates() const {
    return catalogue_ ? marks_.marked(std::as_const(*catalogue_)) : std::vector<DuplicateOf>{};
}

}  // namespace pitbox
