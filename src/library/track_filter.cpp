#include "library/track_filter.h"

#include <algorithm>
#include <set>

#include "base/search_fold.h"
#include "base/text.h"
#include "platform/paths.h"

namespace pitbox {

namespace {

// A name that is no UTF-8 is found as the table shows it.
void appendFolded(std::string& out, std::string_view text) {
    if (isUtf8(text)) {
        appendSearchFolded(out, text);
    } else {
        std::string whole;
        appendUtf8Whole(whole, text);
        appendSearchFolded(out, whole);
    }
}

// Words end at blanks; control characters (a pasted line feed) count as blanks
// too, so that no word reaches across two fields.
bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Whether a text runs from the end of a track's folders on into its file name:
// it ends its first part where the folders end, at a separator.
bool reachesIntoFile(std::string_view text, std::string_view folder, std::string_view file) {
    for (std::size_t at = 0; at + 1 < text.size(); ++at)
        if (platform::isSeparator(text[at]) && folder.ends_with(text.substr(0, at + 1)) &&
            file.starts_with(text.substr(at + 1)))
            return true;
    return false;
}

// "author:" and the like at the start of a word: the field, and how long the
// prefix is (0 for none).
std::pair<TrackFilter::Field, std::size_t> fieldPrefix(std::string_view word) {
    using Field = TrackFilter::Field;
    for (const auto& [prefix, field] : {std::pair{std::string_view("name:"), Field::Name},
                                        {std::string_view("author:"), Field::Author},
                                        {std::string_view("record:"), Field::Record},
                                        {std::string_view("path:"), Field::Path}})
        if (word.starts_with(prefix)) return {field, prefix.size()};
    return {Field::Any, 0};
}

}  // namespace

std::uint32_t appendOwnSearchText(std::string& out, const TrackEntry& e, std::string_view fileName) {
    const std::size_t fileAt = out.size();
    for (const std::string_view text : {fileName, e.author.view(), e.record.view()}) {
        appendFolded(out, text);
        out += '\n';
    }
    const std::size_t nameAt = out.size();
    appendFolded(out, e.name);
    const std::string_view file(out.data() + fileAt, out.find('\n', fileAt) - fileAt);
    const std::string_view name(out.data() + nameAt, out.size() - nameAt);
    if (name.size() < SearchText::kNameApart && file.starts_with(name)) {
        const auto size = static_cast<std::uint32_t>(name.size());
        out.resize(nameAt);
        return size;
    }
    out += '\n';
    return SearchText::kNameApart;
}

void appendFolderSearchText(std::string& out, std::string_view folder) { appendFolded(out, folder); }

TrackFilter::TrackFilter(std::string_view text) {
    const std::string folded = searchFolded(text);
    std::set<Term> terms;
    std::size_t at = 0;
    while (at < folded.size()) {
        if (isBlank(folded[at])) {
            ++at;
            continue;
        }
        const auto [field, prefix] = fieldPrefix(std::string_view(folded).substr(at));
        at += prefix;
        Term term{{}, field};
        if (at < folded.size() && folded[at] == '"') {
            // A phrase, up to the closing quote or the end: its blanks as one space each.
            for (++at; at < folded.size() && folded[at] != '"'; ++at) {
                if (!isBlank(folded[at]))
                    term.text += folded[at];
                else if (!term.text.empty() && term.text.back() != ' ')
                    term.text += ' ';
            }
            ++at;
            if (!term.text.empty() && term.text.back() == ' ') term.text.pop_back();
        } else {
            for (; at < folded.size() && !isBlank(folded[at]); ++at) term.text += folded[at];
        }
        // A field's prefix alone (still being typed) asks for nothing yet.
        term.hasSeparator = std::any_of(term.text.begin(), term.text.end(), platform::isSeparator);
        if (!term.text.empty()) terms.insert(std::move(term));
    }
    terms_.assign(terms.begin(), terms.end());
    std::stable_sort(terms_.begin(), terms_.end(),
                     [](const Term& a, const Term& b) { return a.text.size() > b.text.size(); });
    anyField_ = std::any_of(terms_.begin(), terms_.end(), [](const Term& t) { return t.field != Field::Any; });
    hasSeparator_ = std::any_of(terms_.begin(), terms_.end(), [](const Term& t) { return t.hasSeparator; });
}

bool TrackFilter::matches(const SearchText& text, FolderMemo& memo) const {
    // The fields, each ended by a line feed, looked for only when a term
    // asks, by Field: the name, author, record and file name.
    std::string_view fields[4];
    if (anyField_ || hasSeparator_) {
        std::string_view rest = text.own;
        for (const Field field : {Field::Path, Field::Author, Field::Record, Field::Name}) {
            const std::size_t end = rest.find('\n');
            fields[static_cast<std::size_t>(field)] = rest.substr(0, end);
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        }
        if (text.nameSize != SearchText::kNameApart)
            fields[static_cast<std::size_t>(Field::Name)] =
                fields[static_cast<std::size_t>(Field::Path)].substr(0, text.nameSize);
    }
    const std::string_view file = fields[static_cast<std::size_t>(Field::Path)];
    for (std::size_t t = 0; t < terms_.size(); ++t) {
        const Term& term = terms_[t];
        const std::string_view in = term.field == Field::Any ? text.own : fields[static_cast<std::size_t>(term.field)];
        if (in.find(term.text) != std::string_view::npos) continue;
        if (term.field != Field::Any && term.field != Field::Path) return false;
        if (memo.folder_[t] != text.folderId) {
            memo.folder_[t] = text.folderId;
            memo.has_[t] = text.folder.find(term.text) != std::string_view::npos;
        }
        if (memo.has_[t]) continue;
        if (!term.hasSeparator || !reachesIntoFile(term.text, text.folder, file)) return false;
    }
    return true;
}

bool TrackFilter::narrows(const TrackFilter& wider) const {
    constexpr std::size_t kMostPairs = 100000;
    if (wider.terms_.size() * terms_.size() > kMostPairs) return false;
    return std::all_of(wider.terms_.begin(), wider.terms_.end(), [this](const Term& theirs) {
        return std::any_of(terms_.begin(), terms_.end(), [&theirs](const Term& ours) {
            return (theirs.field == Field::Any || theirs.field == ours.field) &&
                   ours.text.find(theirs.text) != std::string::npos;
        });
    });
}

bool TrackFilter::matches(const TrackEntry& e, std::string_view pathBelow) const {
    if (empty()) return true;
    std::string own;
    std::string folder;
    const std::uint32_t nameSize = appendOwnSearchText(own, e, platform::filePart(pathBelow));
    appendFolderSearchText(folder, platform::pathPart(pathBelow));
    FolderMemo memo(*this);
    return matches({own, folder, 0, nameSize}, memo);
}

}  // namespace pitbox
