#include "library/catalogue_view.h"

#include <algorithm>
#include <utility>

namespace pitbox {
namespace {

constexpr std::uint32_t kHidden = UINT32_MAX;

}  // namespace

void CatalogueView::reset(Catalogue& catalogue) {
    catalogue_ = &catalogue;
    marks_ = DuplicateMarks();
    order_ = catalogue.order();
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

void CatalogueView::narrowRows() {
    if (filter_.empty()) return;
    prepareSearch();
    std::size_t kept = 0;
    for (TrackEntry* e : rows_) {
        if (filter_.matches(search_.of(*e))) {
            rowOfId_[e->id] = static_cast<std::uint32_t>(kept);
            rows_[kept++] = e;
        } else {
            rowOfId_[e->id] = kHidden;
            selection_.hideId(e->id);
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

void CatalogueView::applyFilter() {
    rows_.clear();
    rows_.reserve(order_.size());
    rowOfId_.assign(order_.size(), kHidden);
    if (!filter_.empty()) prepareSearch();
    auto shown = [&](const TrackEntry& e) {
        if (marks_.shown() && marks_.kindOf(e) == Duplicate::None) return false;
        return filter_.empty() || filter_.matches(search_.of(e));
    };
    for (TrackEntry* e : order_) {
        if (shown(*e))
            rows_.push_back(e);
        else
            selection_.hideId(e->id);
    }
    // Each group of duplicates together, in the view's order within it.
    if (marks_.shown())
        std::stable_sort(rows_.begin(), rows_.end(), [this](const TrackEntry* a, const TrackEntry* b) {
            return marks_.groupOf(*a) < marks_.groupOf(*b);
        });
    countGroups();
    for (std::size_t row = 0; row < rows_.size(); ++row) rowOfId_[rows_[row]->id] = static_cast<std::uint32_t>(row);
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
