#include "library/duplicate_marks.h"

#include <utility>

namespace pitbox {

void DuplicateMarks::mark(const std::vector<DuplicateOf>& duplicates, std::size_t entries) {
    shown_ = !duplicates.empty();
    groupOf_.assign(entries, 0);
    kind_.assign(entries, Duplicate::None);
    for (const DuplicateOf& d : duplicates) {
        if (d.entry->id >= entries) continue;
        groupOf_[d.entry->id] = d.group;
        kind_[d.entry->id] = d.kind;
    }
}

std::vector<DuplicateMarks::DuplicateOf> DuplicateMarks::marked(const Catalogue& catalogue) const {
    std::vector<DuplicateOf> out;
    if (!shown_) return out;
    for (const TrackEntry& e : catalogue.entries())
        if (kindOf(e) != Duplicate::None) out.push_back({&e, groupOf_[e.id], kindOf(e)});
    return out;
}

}  // namespace pitbox
