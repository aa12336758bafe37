#include "library/catalogue_view.h"

#include <algorithm>
#include <utility>

namespace pitbox {
namespace {

constexpr std::uint32_t kHidden = UINT32_MAX;

}  // namespace

void CatalogueView::reset(Catalogue& catalogue) {
    catalogue_ = &catalogue;
    duplicatesShown_ = false;
    groupOf_.clear();
    duplicateKind_.clear();
    order_ = catalogue.order();
    selected_.assign(catalogue.count(), 0);
    selectedCount_ = 0;
    current_ = nullptr;
    filterText_.clear();
    filter_ = TrackFilter();
    refresh();
}

void CatalogueView::refresh() {
    searchReady_ = false;
    applyFilter();
}

void CatalogueView::prepareSearch() {
    if (searchReady_) return;
    searchReady_ = true;
    searchText_.clear();
    searchAt_.clear();
    searchEnd_.clear();
    if (catalogue_) {
        searchAt_.reserve(catalogue_->count());
        searchEnd_.reserve(catalogue_->count());
        for (std::size_t id = 0; id < catalogue_->count(); ++id) {
            searchAt_.push_back(static_cast<std::uint32_t>(searchText_.size()));
            const TrackEntry& e = catalogue_->byId(static_cast<std::uint32_t>(id));
            appendSearchText(searchText_, e, catalogue_->pathBelowRoot(e));
            searchEnd_.push_back(static_cast<std::uint32_t>(searchText_.size()));
        }
    }
    searchLive_ = searchText_.size();
}

bool CatalogueView::entriesChanged(std::span<const TrackEntry* const> entries) {
    if (!searchReady_) return false;  // folded when first needed
    for (const TrackEntry* e : entries) {
        if (e->id >= searchAt_.size()) continue;
        searchLive_ -= searchEnd_[e->id] - searchAt_[e->id];
        searchAt_[e->id] = static_cast<std::uint32_t>(searchText_.size());
        appendSearchText(searchText_, *e, catalogue_->pathBelowRoot(*e));
        searchEnd_[e->id] = static_cast<std::uint32_t>(searchText_.size());
        searchLive_ += searchEnd_[e->id] - searchAt_[e->id];
    }
    if (searchText_.size() > 3 * searchLive_) packSearch();
    if (filter_.empty()) return false;
    applyFilter();
    return true;
}

void CatalogueView::packSearch() {
    std::string packed;
    packed.reserve(searchLive_);
    for (std::size_t id = 0; id < searchAt_.size(); ++id) {
        const std::size_t at = packed.size();
        packed.append(searchText_, searchAt_[id], searchEnd_[id] - searchAt_[id]);
        searchAt_[id] = static_cast<std::uint32_t>(at);
        searchEnd_[id] = static_cast<std::uint32_t>(packed.size());
    }
    searchText_ = std::move(packed);
}
void CatalogueView::sort(SortKey key, SortOrder direction) {
    sortEntries(order_, key, direction);
    applyFilter();
}

void CatalogueView::setFilter(std::string_view text) {
    filterText_ = text;
    filter_ = TrackFilter(text);
    applyFilter();
}

void CatalogueView::applyFilter() {
    rows_.clear();
    rows_.reserve(order_.size());
    rowOfId_.assign(order_.size(), kHidden);
    if (!filter_.empty()) prepareSearch();
    const std::string_view all = searchText_;
    auto shown = [&](const TrackEntry& e) {
        if (duplicatesShown_ && duplicateKind(e) == Duplicate::None) return false;
        if (filter_.empty()) return true;
        return filter_.matches(all.substr(searchAt_[e.id], searchEnd_[e.id] - searchAt_[e.id]));
    };
    for (TrackEntry* e : order_) {
        if (shown(*e)) {
            rows_.push_back(e);
        } else if (selected_[e->id]) {
            selected_[e->id] = 0;
            --selectedCount_;
        }
    }
    // Each group of duplicates together, in the view's order within it.
    shownGroups_ = 0;
    if (duplicatesShown_) {
        std::stable_sort(rows_.begin(), rows_.end(), [this](const TrackEntry* a, const TrackEntry* b) {
            return groupOf_[a->id] < groupOf_[b->id];
        });
        for (std::size_t row = 0; row < rows_.size(); ++row)
            shownGroups_ += row == 0 || groupOf_[rows_[row]->id] != groupOf_[rows_[row - 1]->id];
    }
    for (std::size_t row = 0; row < rows_.size(); ++row) rowOfId_[rows_[row]->id] = static_cast<std::uint32_t>(row);
    if (current_ && rowOfId_[current_->id] == kHidden) current_ = nullptr;
}

std::size_t CatalogueView::rowOf(const TrackEntry& e) const {
    return e.id < rowOfId_.size() && rowOfId_[e.id] != kHidden ? rowOfId_[e.id] : npos;
}

void CatalogueView::selectRows(std::span<const std::size_t> rows) {
    std::fill(selected_.begin(), selected_.end(), 0);
    selectedCount_ = 0;
    // A click below the last row selects nothing: the current entry stays.
    if (rows.empty()) return;
    current_ = nullptr;
    for (std::size_t row : rows) {
        if (row >= rows_.size() || selected_[rows_[row]->id]) continue;
        selected_[rows_[row]->id] = 1;
        ++selectedCount_;
        if (!current_ || row < rowOf(*current_)) current_ = rows_[row];
    }
}

void CatalogueView::selectWhere(const std::function<bool(const TrackEntry&)>& pick) {
    std::fill(selected_.begin(), selected_.end(), 0);
    selectedCount_ = 0;
    std::uint32_t top = kHidden;
    for (std::uint32_t id = 0; id < rowOfId_.size(); ++id) {
        const std::uint32_t row = rowOfId_[id];
        if (row == kHidden || !pick(catalogue_->byId(id))) continue;
        selected_[id] = 1;
        ++selectedCount_;
        top = std::min(top, row);
    }
    if (top != kHidden) current_ = rows_[top];
}

// By the entries' ids, which lie in memory in order, rather than row by row.
std::vector<std::size_t> CatalogueView::selectedRows() const {
    std::vector<std::uint8_t> byRow(selectedCount_ == 0 ? 0 : rows_.size(), 0);
    for (std::size_t id = 0; id < selected_.size() && selectedCount_ != 0; ++id)
        if (selected_[id] && rowOfId_[id] != kHidden) byRow[rowOfId_[id]] = 1;
    std::vector<std::size_t> rows;
    rows.reserve(selectedCount_);
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
    duplicatesShown_ = !duplicates.empty();
    groupOf_.assign(order_.size(), 0);
    duplicateKind_.assign(order_.size(), Duplicate::None);
    for (const DuplicateOf& d : duplicates) {
        if (d.entry->id >= order_.size()) continue;
        groupOf_[d.entry->id] = d.group;
        duplicateKind_[d.entry->id] = d.kind;
    }
    applyFilter();
}

std::vector<CatalogueView::DuplicateOf> CatalogueView::duplicates() const {
    std::vector<DuplicateOf> out;
    if (!duplicatesShown_) return out;
    for (const TrackEntry& e : std::as_const(*catalogue_).entries())
        if (duplicateKind(e) != Duplicate::None) out.push_back({&e, groupOf_[e.id], duplicateKind(e)});
    return out;
}

}  // namespace pitbox
