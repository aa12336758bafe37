#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "library/catalogue.h"

namespace pitbox {

// Appends a text as the filter compares it: ASCII capitals folded, the letters
// of Latin-1 and Latin Extended-A (U+00C0 to U+017F) as their base letters ("Ä"
// as "a", "ß" as "ss", "Ł" as "l"); every other character stays as it is.
void appendSearchFolded(std::string& out, std::string_view utf8);
// What of an entry the filter looks at: name, author, record and path, folded,
// each ended by a line feed so that no word matches across two of them.
void appendSearchText(std::string& out, const TrackEntry& e);

// The filter box's rule: a track matches when every word of the text (words
// split at blanks) occurs in its name, author, record holders or path, ignoring
// case and the accents of Latin letters. An empty text matches everything.
class TrackFilter {
public:
    explicit TrackFilter(std::string_view text = {});
    bool empty() const { return words_.empty(); }
    // `searchText` as appendSearchText made it.
    bool matches(std::string_view searchText) const;
    bool matches(const TrackEntry& e) const;

private:
    std::vector<std::string> words_;
};

}  // namespace pitbox
