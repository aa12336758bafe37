#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pitbox {

struct TrackEntry {
    std::string name;  // file name without ".trk", with " * 1.10" when the track needs 1.10
    std::string author;
    std::int32_t worldSize = 0;
    std::int32_t length = 0;  // the full signed 32-bit track length
    std::string record;       // driver 0, one blank, driver 1
    std::string path;         // folder path ending in "/" followed by the file name
    bool marked110 = false;   // name ends in the mark Scan appended
};

enum class SortKey { Name, Author, WorldSize, Length };

// The ordered list of tracks the table shows (row i is entry i) with a cursor,
// the current entry, which is one entry or none.
class Catalogue {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    void clear();
    TrackEntry& append();
    void rewind() { current_ = npos; }
    // Moves to the next entry (the first after a rewind) and returns it; at the end
    // returns nullptr and leaves the last entry current.
    TrackEntry* step();
    // An index outside the entries leaves no current entry.
    void select(std::size_t index) { current_ = index < entries_.size() ? index : npos; }
    TrackEntry* current() { return current_ == npos ? nullptr : &entries_[current_]; }
    std::size_t currentIndex() const { return current_; }
    std::size_t count() const { return entries_.size(); }
    const std::vector<TrackEntry>& entries() const { return entries_; }
    std::vector<TrackEntry>& entries() { return entries_; }
    TrackEntry& operator[](std::size_t i) { return entries_[i]; }

    // Ascending and stable: entries with equal keys keep their order, so sorts
    // compose. Texts compare with ASCII capitals folded, numbers as signed values.
    void sort(SortKey key);

private:
    std::vector<TrackEntry> entries_;
    std::size_t current_ = npos;
};

bool entryLess(const TrackEntry& a, const TrackEntry& b, SortKey key);

}  // namespace pitbox
