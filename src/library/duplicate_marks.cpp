#include "library/duplicate_marks.h"

#include <unordered_map>
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

void DuplicateMarks::drop(std::span<const std::uint32_t> gone, std::size_t entries) {
    if (!shown_) return;
    groupOf_.resize(entries, 0);
    kind_.resize(entries, Duplicate::None);
    for (const std::uint32_t id : gone)
        if (id < entries) {
            kind_[id] = Duplicate::None;
            groupOf_[id] = 0;
        }
    std::unordered_map<std::uint32_t, std::uint32_t> members;  // of each group, those left
    for (std::size_t id = 0; id < entries; ++id)
        if (kind_[id] != Duplicate::None) ++members[groupOf_[id]];
    shown_ = false;
    for (std::size_t id = 0; id < entries; ++id) {
        if (kind_[id] == Duplicate::None) continue;
        if (members[groupOf_[id]] >= 2) {
            shown_ = true;
        } else {
            kind_[id] = Duplicate::None;
            groupOf_[id] = 0;
        }
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
