#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "library/catalogue.h"

namespace pitbox {

// The Duplicates view's marks: of each entry (by id) its group and whether
// it is an identical file or the same track.
class DuplicateMarks {
public:
    enum class Duplicate : std::uint8_t { None, SameTrack, Identical };
    struct DuplicateOf {
        const TrackEntry* entry;
        std::uint32_t group;
        Duplicate kind;
    };

    // Marks these entries of a catalogue of `entries`; none shows every track.
    void mark(const std::vector<DuplicateOf>& duplicates, std::size_t entries);
    bool shown() const { return shown_; }
    std::uint32_t groupOf(const TrackEntry& e) const { return e.id < groupOf_.size() ? groupOf_[e.id] : 0; }
    Duplicate kindOf(const TrackEntry& e) const { return kindOfId(e.id); }
    Duplicate kindOfId(std::uint32_t id) const { return id < kind_.size() ? kind_[id] : Duplicate::None; }
    // Entries gone from the catalogue are duplicates no more, nor is a track
    // left alone in its group; the marks take room for `entries` ids.
    void drop(std::span<const std::uint32_t> gone, std::size_t entries);
    // What mark was given, in the catalogue's order.
    std::vector<DuplicateOf> marked(const Catalogue& catalogue) const;

private:
    bool shown_ = false;
    std::vector<std::uint32_t> groupOf_;  // by entry id
    std::vector<Duplicate> kind_;         // by entry id
};

}  // namespace pitbox
