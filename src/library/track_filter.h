#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "library/catalogue.h"

namespace pitbox {

// What of an entry the filter looks at: name, author, record and its path
// below the folder that was loaded (`pathBelow`), folded. The path's folders
// are kept apart from the rest, once for all the tracks of a folder. `own`
// holds the path's file name, author and record, each ended by a line feed so
// that no word matches across two of them, and then the name, likewise, unless
// the file name begins with it, as it mostly does ("Track 5" of
// "Track 5.trk"): then the name is the file name's first `nameSize` bytes.
// `folder` holds the folders up to and with the path's last separator (empty
// for a track right in the loaded folder), and `folderId` tells one folder's
// text from another's.
struct SearchText {
    static constexpr std::uint32_t kNameApart = UINT16_MAX;
    std::string_view own;
    std::string_view folder;
    std::uint32_t folderId = 0;
    std::uint32_t nameSize = kNameApart;
};
// The two parts of the path below the loaded folder are platform::pathPart
// and platform::filePart. Bytes that are no UTF-8 are decoded one at a time,
// and a separator is never part of a character: the parts fold as the whole
// path would.
// Appends `own` and returns its nameSize.
std::uint32_t appendOwnSearchText(std::string& out, const TrackEntry& e, std::string_view fileName);
void appendFolderSearchText(std::string& out, std::string_view folder);

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
    // What a filter found in the folder looked at last, term by term: the
    // entries of a folder mostly follow one another, so each folder's text is
    // looked through once a term rather than once a track. One for each
    // thread that filters.
    class FolderMemo {
    public:
        explicit FolderMemo(const TrackFilter& filter)
            : folder_(filter.terms_.size(), kNone), has_(filter.terms_.size()) {}

    private:
        friend class TrackFilter;
        static constexpr std::uint32_t kNone = UINT32_MAX;
        std::vector<std::uint32_t> folder_;
        std::vector<std::uint8_t> has_;
    };
    bool matches(const SearchText& text, FolderMemo& memo) const;
    bool matches(const TrackEntry& e, std::string_view pathBelow) const;
    // Whether every track this filter lets through, `wider` lets through too
    // (typing on at the end of a word, or one more word): each of its terms
    // lies within one of ours, for the same field or for any. False where
    // that would take long to tell (two pasted texts of many words).
    bool narrows(const TrackFilter& wider) const;

    enum class Field { Any = -1, Name, Author, Record, Path };
    struct Term {
        std::string text;  // folded; a phrase's blanks as single spaces
        Field field = Field::Any;
        bool hasSeparator = false;  // may reach from the folders into the file name
        bool operator<(const Term& other) const {
            return field != other.field ? field < other.field : text < other.text;
        }
    };

private:
    std::vector<Term> terms_;
    bool anyField_ = false;      // some term is for one field only
    bool hasSeparator_ = false;  // some term may reach into a file name
};

}  // namespace pitbox
