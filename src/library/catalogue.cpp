#include "library/catalogue.h"

#include <algorithm>
#include <functional>
#include <string_view>

#include "base/text.h"
#include "base/windows1252.h"

namespace pitbox {

std::ostream& operator<<(std::ostream& out, Text text) { return out << text.view(); }

Text TextPool::store(std::string_view a, std::string_view b) {
    constexpr std::size_t kBlock = std::size_t{1} << 18;
    const std::size_t size = a.size() + b.size();
    if (size == 0) return {};
    if (size > left_) {
        const std::size_t block = std::max(size, kBlock);
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(block));
        free_ = blocks_.back().get();
        left_ = block;
    }
    char* at = free_;
    std::copy(a.begin(), a.end(), at);
    std::copy(b.begin(), b.end(), at + a.size());
    free_ += size;
    left_ -= size;
    return Text(std::string_view(at, size));
}

void Catalogue::clear() {
    order_.clear();
    chunks_.clear();
    pool_ = std::make_unique<TextPool>();
}

TrackEntry& Catalogue::append() {
    if (!pool_) pool_ = std::make_unique<TextPool>();  // a catalogue moved from
    if (chunks_.empty() || chunks_.back()->size() == kChunk) {
        chunks_.push_back(std::make_unique<std::vector<TrackEntry>>());
        chunks_.back()->reserve(kChunk);
    }
    TrackEntry& e = chunks_.back()->emplace_back();
    e.id = static_cast<std::uint32_t>(order_.size());
    order_.push_back(&e);
    return e;
}

std::string problemText(const TrackEntry& e) {
    if (!e.problemAfterPath) return std::string(e.problem.view());
    return visibleControls(e.path) + ": " + std::string(e.problem.view());
}

TrackEntry& Catalogue::append(const TrackEntry& e) {
    TrackEntry& added = append();
    const std::uint32_t id = added.id;
    added = e;
    added.id = id;
    for (Text* text : {&added.author, &added.record, &added.path, &added.problem}) setText(*text, *text);
    // A name that is part of its path stays so, with no copy of its own.
    const std::string_view path = e.path.view(), name = e.name.view();
    const std::less_equal<const char*> atOrBefore;
    if (!name.empty() && atOrBefore(path.data(), name.data()) &&
        atOrBefore(name.data() + name.size(), path.data() + path.size()))
        added.name = Text(added.path.view().substr(static_cast<std::size_t>(name.data() - path.data()), name.size()));
    else
        setText(added.name, name);
    return added;
}

namespace {

// The sort key of an entry held beside its pointer, so that most comparisons
// need not reach the entry: a number, or the first 16 bytes of a text, folded,
// as two big-endian integers (a shorter text is padded with byte 0, which no
// text holds, so a prefix still sorts first). Equal prefixes fall back to the
// whole texts.
struct Keyed {
    std::uint64_t high, low;
    TrackEntry* entry;
    std::string_view text;  // the whole text compared, for texts only
};

std::uint64_t packFolded(std::string_view text, std::size_t from) {
    std::uint64_t v = 0;
    for (std::size_t i = from; i < from + 8; ++i) {
        unsigned char c = i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
        if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c + 32);
        v = v << 8 | c;
    }
    return v;
}

bool isAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

std::string_view textKey(const TrackEntry& e, SortKey key) {
    switch (key) {
        case SortKey::Author: return e.author;
        case SortKey::Record: return e.record;
        case SortKey::Path: return e.path;
        default: return e.name;
    }
}

bool less(const Keyed& a, const Keyed& b) {
    if (a.high != b.high) return a.high < b.high;
    if (a.low != b.low) return a.low < b.low;
    return compareFolded(a.text, b.text) < 0;
}

}  // namespace

void sortEntries(std::vector<TrackEntry*>& order, SortKey key, SortOrder direction) {
    if (order.size() < 2) return;
    // Names and paths are file names and sort by their bytes; authors and
    // records come from track files and sort by their Windows-1252 codes, not by
    // the UTF-8 they are held in (kept in `code` where they differ).
    const bool fromTrackFile = key == SortKey::Author || key == SortKey::Record;
    const bool byNumber = key == SortKey::WorldSize || key == SortKey::Length;
    const auto keyOf = [&](TrackEntry* e, std::string& code) -> Keyed {
        if (byNumber) {
            // Signed values shifted into unsigned order.
            const std::int32_t v = key == SortKey::WorldSize ? e->worldSize : e->length;
            return {static_cast<std::uint64_t>(static_cast<std::int64_t>(v) + INT64_C(0x80000000)), 0, e, {}};
        }
        std::string_view t = textKey(*e, key);
        if (fromTrackFile && !isAscii(t)) t = code = encodeWindows1252(t);
        return {packFolded(t, 0), packFolded(t, 8), e, t};
    };
    // Descending keeps equal keys in their order too: the comparison is turned,
    // not the result.
    const bool ascending = direction == SortOrder::Ascending;
    const auto first = [ascending](const Keyed& a, const Keyed& b) { return ascending ? less(a, b) : less(b, a); };
    // An order already sorted so, as a start finds its remembered sort, is
    // one look, not a sort: a stable sort would change nothing.
    std::string codeOf[2];
    Keyed before = keyOf(order[0], codeOf[0]);
    std::size_t i = 1;
    for (; i < order.size(); ++i) {
        const Keyed k = keyOf(order[i], codeOf[i % 2]);
        if (first(k, before)) break;
        before = k;
    }
    if (i == order.size()) return;
    std::vector<Keyed> keyed;
    keyed.reserve(order.size());
    std::vector<std::string> codes;
    codes.reserve(fromTrackFile ? order.size() : 0);
    for (TrackEntry* e : order) {
        std::string code;
        keyed.push_back(keyOf(e, code));
        if (!code.empty()) keyed.back().text = codes.emplace_back(std::move(code));
    }
    std::stable_sort(keyed.begin(), keyed.end(), first);
    for (std::size_t k = 0; k < keyed.size(); ++k) order[k] = keyed[k].entry;
}

}  // namespace pitbox
