#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "library/catalogue.h"

namespace pitbox {

// What of an entry the filter looks at: name, author, record and its path
// below the folder that was loaded (`pathBelow`), folded, each ended by a line
// feed so that no word matches across two of them.
void appendSearchText(std::string& out, const TrackEntry& e, std::string_view pathBelow);

// The filter box's rule: a track matches when every word of the text (words
// split at blanks) occurs in its name, author, record holders or path below
// the loaded folder, ignoring
// case and accents as searchFolded does. A word after "name:", "author:",
// "record:" or "path:" must occur in that field; words in double quotes match
// as one phrase, in their order ("green hill" finds "Green Hill", not "Hill
// Green"), a field's prefix before the quotes restricting the phrase. An empty
// text matches everything. Each word is looked for once, however often it was
// typed (or pasted), the longest first, as it rules out the most.
class TrackFilter {
public:
    explicit TrackFilter(std::string_view text = {});
    bool empty() const { return terms_.empty(); }
    // `searchText` as appendSearchText made it.
    bool matches(std::string_view searchText) const;
    bool matches(const TrackEntry& e, std::string_view pathBelow) const;
    // Whether every track this filter lets through, `wider` lets through too
    // (typing on at the end of a word, or one more word): each of its terms
    // lies within one of ours, for the same field or for any. False where
    // that would take long to tell (two pasted texts of many words).
    bool narrows(const TrackFilter& wider) const;

    // The fields in the order appendSearchText writes them.
    enum class Field { Any = -1, Name, Author, Record, Path };
    struct Term {
        std::string text;  // folded; a phrase's blanks as single spaces
        Field field = Field::Any;
        bool operator<(const Term& other) const {
            return field != other.field ? field < other.field : text < other.text;
        }
    };

private:
    std::vector<Term> terms_;
    bool anyField_ = false;  // some term is for one field only
};

}  // namespace pitbox
