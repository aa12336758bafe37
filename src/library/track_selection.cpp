#include "library/track_selection.h"

#include <algorithm>

namespace pitbox {

void TrackSelection::reset(std::size_t entries) {
    selected_.assign(entries, 0);
    count_ = 0;
    current = nullptr;
}

void TrackSelection::clear() {
    std::fill(selected_.begin(), selected_.end(), 0);
    count_ = 0;
}

void TrackSelection::add(const TrackEntry& e) {
    if (e.id >= selected_.size() || selected_[e.id]) return;
    selected_[e.id] = 1;
    ++count_;
}

}  // namespace pitbox
