#include "app/catalogue.h"

#include <algorithm>

#include "ui/text.h"

namespace pitbox {

void Catalogue::clear() {
    entries_.clear();
    current_ = npos;
}

TrackEntry& Catalogue::append() {
    entries_.emplace_back();
    current_ = entries_.size() - 1;
    return entries_.back();
}

TrackEntry* Catalogue::step() {
    const std::size_t next = current_ == npos ? 0 : current_ + 1;
    if (next >= entries_.size()) return nullptr;
    current_ = next;
    return &entries_[current_];
}

bool entryLess(const TrackEntry& a, const TrackEntry& b, SortKey key) {
    switch (key) {
        case SortKey::Name: return ui::compareFolded(a.name, b.name) < 0;
        case SortKey::Author: return ui::compareFolded(a.author, b.author) < 0;
        case SortKey::WorldSize: return a.worldSize < b.worldSize;
        case SortKey::Length: return a.length < b.length;
    }
    return false;
}

void Catalogue::sort(SortKey key) {
    if (entries_.size() < 2) return;
    // Entries move (their texts are not copied); the order of equal keys is kept.
    std::stable_sort(entries_.begin(), entries_.end(),
                     [key](const TrackEntry& a, const TrackEntry& b) { return entryLess(a, b, key); });
}

}  // namespace pitbox
