#include "library/track_filter.h"

namespace pitbox {
namespace {

// U+00C0 to U+017F as the filter sees them; nullptr for the two signs among
// them (multiplication and division), which stay as they are.
constexpr const char* kLatinFolded[192] = {
    "a", "a", "a",  "a",     "a", "a", "ae", "c",  "e", "e", "e",  "e",  "i", "i", "i",  "i",     "d", "n", "o",  "o",
    "o", "o", "o",  nullptr, "o", "u", "u",  "u",  "u", "y", "th", "ss", "a", "a", "a",  "a",     "a", "a", "ae", "c",
    "e", "e", "e",  "e",     "i", "i", "i",  "i",  "d", "n", "o",  "o",  "o", "o", "o",  nullptr, "o", "u", "u",  "u",
    "u", "y", "th", "y",     "a", "a", "a",  "a",  "a", "a", "c",  "c",  "c", "c", "c",  "c",     "c", "c", "d",  "d",
    "d", "d", "e",  "e",     "e", "e", "e",  "e",  "e", "e", "e",  "e",  "g", "g", "g",  "g",     "g", "g", "g",  "g",
    "h", "h", "h",  "h",     "i", "i", "i",  "i",  "i", "i", "i",  "i",  "i", "i", "ij", "ij",    "j", "j", "k",  "k",
    "k", "l", "l",  "l",     "l", "l", "l",  "l",  "l", "l", "l",  "n",  "n", "n", "n",  "n",     "n", "n", "n",  "n",
    "o", "o", "o",  "o",     "o", "o", "oe", "oe", "r", "r", "r",  "r",  "r", "r", "s",  "s",     "s", "s", "s",  "s",
    "s", "s", "t",  "t",     "t", "t", "t",  "t",  "u", "u", "u",  "u",  "u", "u", "u",  "u",     "u", "u", "u",  "u",
    "w", "w", "y",  "y",     "y", "z", "z",  "z",  "z", "z", "z",  "s",
};

}  // namespace

void appendSearchFolded(std::string& out, std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c + 32);
            continue;
        }
        // Two-byte characters from U+00C0 (C3 80) to U+017F (C5 BF).
        if (c >= 0xC3 && c <= 0xC5 && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[i + 1]);
            if ((next & 0xC0) == 0x80) {
                const unsigned code = (c & 0x1Fu) << 6 | (next & 0x3Fu);
                if (const char* folded = kLatinFolded[code - 0xC0]) {
                    out += folded;
                    ++i;
                    continue;
                }
            }
        }
        out += static_cast<char>(c);
    }
}

void appendSearchText(std::string& out, const TrackEntry& e) {
    for (const std::string_view text : {e.name, e.author, e.record, e.path}) {
        appendSearchFolded(out, text);
        out += '\n';
    }
}

TrackFilter::TrackFilter(std::string_view text) {
    std::string folded;
    appendSearchFolded(folded, text);
    // Words end at blanks; control characters (a pasted line feed) count as
    // blanks too, so that no word reaches across two fields.
    std::size_t start = 0;
    for (std::size_t i = 0; i <= folded.size(); ++i) {
        if (i < folded.size() && static_cast<unsigned char>(folded[i]) > ' ') continue;
        if (i > start) words_.push_back(folded.substr(start, i - start));
        start = i + 1;
    }
}

bool TrackFilter::matches(std::string_view searchText) const {
    for (const std::string& word : words_)
        if (searchText.find(word) == std::string_view::npos) return false;
    return true;
}

bool TrackFilter::matches(const TrackEntry& e) const {
    if (empty()) return true;
    std::string text;
    appendSearchText(text, e);
    return matches(text);
}

}  // namespace pitbox
