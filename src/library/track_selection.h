#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "library/catalogue.h"

namespace pitbox {

// Which entries are selected (by entry id) and which one is current. An
// entry the view hides is let go, so nothing hidden is ever copied or shown.
class TrackSelection {
public:
    void reset(std::size_t entries);
    // Room for the ids of entries added since, none of them selected.
    void grow(std::size_t entries) {
        if (entries > selected_.size()) selected_.resize(entries, 0);
    }
    void clear();
    void add(const TrackEntry& e);
    void remove(const TrackEntry& e) {
        if (has(e)) hideId(e.id);
    }
    bool has(const TrackEntry& e) const { return e.id < selected_.size() && selected_[e.id] != 0; }
    bool hasId(std::size_t id) const { return selected_[id] != 0; }
    // The view hides it now; `id` is one of the catalogue's.
    void hideId(std::size_t id) {
        if (selected_[id]) {
            selected_[id] = 0;
            --count_;
        }
    }
    std::size_t count() const { return count_; }
    std::size_t ids() const { return selected_.size(); }
    const TrackEntry* current = nullptr;

private:
    std::vector<std::uint8_t> selected_;  // by entry id
    std::size_t count_ = 0;
};

}  // namespace pitbox
