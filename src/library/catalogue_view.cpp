#include "library/catalogue_view.h"

#include <algorithm>
#include <utility>

#include "base/parallel.h"

namespace pitbox {
namespace {

constexpr std::uint32_t kHidden = UINT32_MAX;
// Filters whose rows are kept: a word typed and deleted again letter by
// letter, at a byte an entry each.
constexpr std::size_t kRecentFilters = 8;

}  // namespace

void CatalogueView::reset(Catalogue& catalogue) {
    catalogue_ = &catalogue;
    marks_ = DuplicateMarks();
    noteOrderIds(catalogue.order());
    sortedBy_.reset();
    selection_.reset(catalogue.ids());
    filterText_.clear();
    filter_ = TrackFilter();
    refresh();
}

void CatalogueView::refresh() {
    search_.clear();
    recentlyShown_.clear();
    applyFilter();
}

void CatalogueView::prepareSearch() {
    if (catalogue_) search_.prepare(*catalogue_);
}

bool CatalogueView::entriesChanged(std::span<const TrackEntry* const> entries) {
    if (!catalogue_ || !search_.changed(*catalogue_, entries)) return false;
    recentlyShown_.clear();
    if (filter_.empty()) return false;
    applyFilter();
    return true;
}

void CatalogueView::sort(SortKey key, SortOrder direction) {
    if (!catalogue_) return;  // nothing to sort before the first reset
    sortIds(orderIds_, *catalogue_, key, direction);
    sortedBy_ = {key, direction};
    applyFilter();
}

void CatalogueView::catalogueChanged(std::span<const std::uint32_t> gone, std::span<const std::uint32_t> added) {
    if (!catalogue_) return;
    const std::size_t count = ids();
    std::vector<std::uint8_t> out(count, 0);
    for (const std::uint32_t id : gone) out[id] = 1;
    selection_.grow(count);
    for (const std::uint32_t id : gone) selection_.hideId(id);
    if (selection_.current && out[selection_.current->id]) selection_.current = nullptr;
    const bool wereDuplicates = marks_.shown();
    marks_.drop(gone, count);
    std::vector<const TrackEntry*> entries;
    entries.reserve(added.size());
    for (const std::uint32_t id : added) entries.push_back(&catalogue_->byId(id));
    (void)search_.changed(*catalogue_, entries);
    recentlyShown_.clear();
    placeAdded(added, out);
    // The last group of duplicates gone: every track shows again.
    if (wereDuplicates && !marks_.shown()) {
        applyFilter();
        return;
    }
    // What showed still shows, but what is gone and what is no longer a
    // duplicate; of the added ones, what the filter lets through.
    const bool onlyDuplicates = marks_.shown();
    std::vector<std::uint8_t> shownById(count, 0);
    for (std::size_t id = 0; id < rowOfId_.size(); ++id)
        shownById[id] = rowOfId_[id] != kHidden && !out[id] &&
                        (!onlyDuplicates || marks_.kindOfId(static_cast<std::uint32_t>(id)) != Duplicate::None);
    if (!filter_.empty()) prepareSearch();
    TrackFilter::FolderMemo memo(filter_);
    for (const std::uint32_t id : added)
        shownById[id] = !onlyDuplicates && (filter_.empty() || filter_.matches(search_.ofId(id), memo));
    showRows(shownById);
    // The current entry gone, the topmost selected row is current.
    if (!selection_.current && selection_.count() > 0)
        if (const auto rows = selectedRows(); !rows.empty()) selection_.current = rows_[rows.front()];
}

void CatalogueView::placeAdded(std::span<const std::uint32_t> added, const std::vector<std::uint8_t>& out) {
    if (!sortedBy_) {
        noteOrderIds(catalogue_->order());
        return;
    }
    std::erase_if(orderIds_, [&](std::uint32_t id) { return out[id] != 0; });
    if (added.empty()) return;
    // Equal keys keep the catalogue's order, as the sort keeps them.
    std::vector<std::uint32_t> place(ids(), 0);
    const std::vector<TrackEntry*>& order = catalogue_->order();
    for (std::size_t k = 0; k < order.size(); ++k) place[order[k]->id] = static_cast<std::uint32_t>(k);
    const SortKey key = sortedBy_->first;
    const bool ascending = sortedBy_->second == SortOrder::Ascending;
    const auto before = [&](std::uint32_t a, std::uint32_t b) {
        const int c = compareByKey(catalogue_->byId(a), catalogue_->byId(b), key);
        if (c != 0) return ascending ? c < 0 : c > 0;
        return place[a] < place[b];
    };
    std::vector<std::uint32_t> sorted(added.begin(), added.end());
    std::sort(sorted.begin(), sorted.end(), before);
    // Each found by a binary search in the order, which is sorted so but
    // for what a Scan changed since.
    std::vector<std::uint32_t> merged;
    merged.reserve(orderIds_.size() + sorted.size());
    auto from = orderIds_.cbegin();
    for (const std::uint32_t id : sorted) {
        const auto at = std::upper_bound(from, orderIds_.cend(), id, before);
        merged.insert(merged.end(), from, at);
        merged.push_back(id);
        from = at;
    }
    merged.insert(merged.end(), from, orderIds_.cend());
    orderIds_ = std::move(merged);
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
    // Looked at on every core, by id: over a million tracks the looking is
    // most of a keystroke's time, and every entry read would be a miss of
    // the processor's caches.
    std::vector<std::uint8_t> shown(rowIds_.size());
    forEachPart(shown.size(), [&](std::size_t begin, std::size_t end) {
        TrackFilter::FolderMemo memo(filter_);
        for (std::size_t i = begin; i < end; ++i) shown[i] = filter_.matches(search_.ofId(rowIds_[i]), memo) ? 1 : 0;
    });
    std::size_t kept = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const std::uint32_t id = rowIds_[i];
        if (shown[i]) {
            rowOfId_[id] = static_cast<std::uint32_t>(kept);
            rowIds_[kept] = id;
            rows_[kept++] = rows_[i];
        } else {
            rowOfId_[id] = kHidden;
            if (selection_.count() > 0) selection_.hideId(id);
        }
    }
    rows_.resize(kept);
    rowIds_.resize(kept);
    countGroups();
    if (selection_.current && rowOfId_[selection_.current->id] == kHidden) selection_.current = nullptr;
    std::vector<std::uint8_t> byId(ids());
    for (const std::uint32_t id : rowIds_) byId[id] = 1;
    keepShown(std::move(byId));
}

void CatalogueView::keepShown(std::vector<std::uint8_t> shownById) {
    if (filter_.empty()) return;
    if (recentlyShown_.size() == kRecentFilters) recentlyShown_.erase(recentlyShown_.begin());
    recentlyShown_.push_back({filterText_, marks_.shown(), std::move(shownById)});
}

const std::vector<std::uint8_t>* CatalogueView::keptShown() const {
    for (const FilterShown& s : recentlyShown_)
        if (s.text == filterText_ && s.onlyDuplicates == marks_.shown()) return &s.byId;
    return nullptr;
}

void CatalogueView::countGroups() {
    shownGroups_ = 0;
    if (!marks_.shown()) return;
    for (std::size_t row = 0; row < rows_.size(); ++row)
        shownGroups_ += row == 0 || marks_.groupOf(*rows_[row]) != marks_.groupOf(*rows_[row - 1]);
}

void CatalogueView::noteOrderIds(const std::vector<TrackEntry*>& order) {
    orderIds_.resize(order.size());
    forEachPart(order.size(), [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) orderIds_[i] = order[i]->id;
    });
}

void CatalogueView::applyFilter() {
    const bool onlyDuplicates = marks_.shown();
    if (const std::vector<std::uint8_t>* kept = keptShown()) {
        showRows(*kept);
        return;
    }
    if (!filter_.empty()) prepareSearch();
    // Whether each entry shows, by id, on every core.
    std::vector<std::uint8_t> shownById(ids());
    forEachPart(shownById.size(), [&](std::size_t begin, std::size_t end) {
        TrackFilter::FolderMemo memo(filter_);
        for (std::size_t id = begin; id < end; ++id) {
            const auto i = static_cast<std::uint32_t>(id);
            shownById[id] = (!onlyDuplicates || marks_.kindOfId(i) != Duplicate::None) &&
                            (filter_.empty() || filter_.matches(search_.ofId(i), memo));
        }
    });
    showRows(shownById);
    keepShown(std::move(shownById));
}

void CatalogueView::showRows(const std::vector<std::uint8_t>& shownById) {
    rows_.clear();
    rows_.reserve(orderIds_.size());
    rowIds_.clear();
    rowIds_.reserve(orderIds_.size());
    rowOfId_.assign(ids(), kHidden);
    for (std::size_t i = 0; i < orderIds_.size(); ++i) {
        const std::uint32_t id = orderIds_[i];
        if (shownById[id]) {
            rowOfId_[id] = static_cast<std::uint32_t>(rows_.size());
            rows_.push_back(&catalogue_->byId(id));
            rowIds_.push_back(id);
        } else if (selection_.count() > 0) {
            selection_.hideId(id);
        }
    }
    // Each group of duplicates together, in the view's order within it.
    if (marks_.shown()) {
        std::stable_sort(rows_.begin(), rows_.end(), [this](const TrackEntry* a, const TrackEntry* b) {
            return marks_.groupOf(*a) < marks_.groupOf(*b);
        });
        for (std::size_t row = 0; row < rows_.size(); ++row) {
            rowIds_[row] = rows_[row]->id;
            rowOfId_[rowIds_[row]] = static_cast<std::uint32_t>(row);
        }
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
    marks_.mark(duplicates, ids());
    recentlyShown_.clear();
    applyFilter();
}

std::vector<CatalogueView::DuplicateOf> CatalogueView::duplicates() const {
    return catalogue_ ? marks_.marked(std::as_const(*catalogue_)) : std::vector<DuplicateOf>{};
}

}  // namespace pitbox
