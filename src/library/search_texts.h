#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "library/catalogue.h"

namespace pitbox {

// Each entry's search text (name, author, record, path below the root,
// folded for the filter), made once per Load and Scan in one block; an
// entry changed since has its new text at the block's end, and the block is
// packed again once most of it is old texts.
class SearchTexts {
public:
    // Forgets them all: they are folded again when next needed.
    void clear() { ready_ = false; }
    bool ready() const { return ready_; }
    // Folds every entry's texts now, unless they are.
    void prepare(const Catalogue& catalogue);
    // Folds these entries' texts again; false while none are made yet.
    bool changed(const Catalogue& catalogue, std::span<const TrackEntry* const> entries);
    // Once prepared, of any entry of the catalogue.
    std::string_view of(const TrackEntry& e) const { return ofId(e.id); }
    std::string_view ofId(std::uint32_t id) const { return {text_.data() + at_[id], end_[id] - at_[id]}; }

private:
    void pack();
    std::string text_;
    std::vector<std::uint32_t> at_, end_;  // by entry id
    std::size_t live_ = 0;                 // the bytes of the texts in use
    bool ready_ = false;
};

}  // namespace pitbox
