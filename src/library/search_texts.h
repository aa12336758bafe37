#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "library/catalogue.h"
#include "library/track_filter.h"

namespace pitbox {

// Each entry's search text (name, author, record, path below the root,
// folded for the filter), made once per Load and Scan in one block, with the
// folders of the paths in a block of their own, each once for the entries
// that follow one another in it. An entry changed since has its new text at
// the block's end, and the blocks are packed again once most of them is old
// texts.
class SearchTexts {
public:
    // Forgets them all: they are folded again when next needed.
    void clear() { ready_ = false; }
    bool ready() const { return ready_; }
    // Folds every entry's texts now, unless they are.
    void prepare(const Catalogue& catalogue);
    // Folds these entries' texts again, or for the first time for entries
    // added since; false while none are made yet.
    bool changed(const Catalogue& catalogue, std::span<const TrackEntry* const> entries);
    // Once prepared, of any entry of the catalogue.
    SearchText of(const TrackEntry& e) const { return ofId(e.id); }
    SearchText ofId(std::uint32_t id) const {
        const std::uint32_t folder = folderOf_[id];
        return {{own_.data() + at_[id], end_[id] - at_[id]},
                {folders_.data() + folderAt_[folder], folderAt_[folder + 1] - folderAt_[folder]},
                folder,
                nameSize_[id]};
    }

private:
    // The folder of a path's folded folders: the last one made when it is
    // the same, else a new one.
    std::uint32_t folderFor(std::string_view folded);
    void pack();
    std::string own_;
    std::vector<std::uint32_t> at_, end_;  // by entry id
    std::vector<std::uint32_t> folderOf_;  // by entry id
    std::vector<std::uint16_t> nameSize_;  // by entry id
    std::string folders_;
    std::vector<std::uint32_t> folderAt_;  // where each folder starts, and where the last ends
    std::size_t live_ = 0;                 // the bytes of the entries' own texts in use
    std::string folded_;                   // a folder folded, before it is known to be new
    bool ready_ = false;
};

}  // namespace pitbox
