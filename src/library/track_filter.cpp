#include "library/track_filter.h"

#include <algorithm>
#include <set>

#include "base/search_fold.h"

namespace pitbox {

void appendSearchText(std::string& out, const TrackEntry& e, std::string_view pathBelow) {
    for (const std::string_view text : {e.name.view(), e.author.view(), e.record.view(), pathBelow}) {
        appendSearchFolded(out, text);
        out += '\n';
    }
}

TrackFilter::TrackFilter(std::string_view text) {
    const std::string folded = searchFolded(text);
    // Words end at blanks; control characters (a pasted line feed) count as
    // blanks too, so that no word reaches across two fields.
    std::set<std::string_view> words;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= folded.size(); ++i) {
        if (i < folded.size() && static_cast<unsigned char>(folded[i]) > ' ') continue;
        if (i > start) words.insert(std::string_view(folded).substr(start, i - start));
        start = i + 1;
    }
    words_.assign(words.begin(), words.end());
    std::stable_sort(words_.begin(), words_.end(),
                     [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
}

bool TrackFilter::matches(std::string_view searchText) const {
    for (const std::string& word : words_)
        if (searchText.find(word) == std::string_view::npos) return false;
    return true;
}

bool TrackFilter::matches(const TrackEntry& e, std::string_view pathBelow) const {
    if (empty()) return true;
    std::string text;
    appendSearchText(text, e, pathBelow);
    return matches(text);
}

}  // namespace pitbox
