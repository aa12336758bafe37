#include "library/catalogue.h"

#include <algorithm>
#include <string_view>

#include "base/text.h"
#include "trackfile/windows1252.h"

namespace pitbox {

void Catalogue::clear() {
    order_.clear();
    storage_.clear();
    current_ = npos;
}

TrackEntry& Catalogue::append() {
    order_.push_back(&storage_.emplace_back());
    current_ = order_.size() - 1;
    return *order_.back();
}

TrackEntry* Catalogue::step() {
    const std::size_t next = current_ == npos ? 0 : current_ + 1;
    if (next >= order_.size()) return nullptr;
    current_ = next;
    return order_[current_];
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

}  // namespace

void Catalogue::sort(SortKey key) {
    if (order_.size() < 2) return;
    std::vector<Keyed> keyed;
    keyed.reserve(order_.size());
    // Names are file names and sort by their bytes; authors come from track files
    // and sort by their Windows-1252 codes, not by the UTF-8 they are held in.
    std::vector<std::string> codes;
    codes.reserve(key == SortKey::Author ? order_.size() : 0);
    const bool byText = key == SortKey::Name || key == SortKey::Author;
    for (TrackEntry* e : order_) {
        if (byText) {
            std::string_view t = key == SortKey::Name ? e->name : e->author;
            if (key == SortKey::Author && !isAscii(t)) t = codes.emplace_back(encodeWindows1252(t));
            keyed.push_back({packFolded(t, 0), packFolded(t, 8), e, t});
        } else {
            // Signed values shifted into unsigned order.
            const std::int32_t v = key == SortKey::WorldSize ? e->worldSize : e->length;
            keyed.push_back({static_cast<std::uint64_t>(static_cast<std::int64_t>(v) + INT64_C(0x80000000)), 0, e, {}});
        }
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.high != b.high) return a.high < b.high;
        if (a.low != b.low) return a.low < b.low;
        return compareFolded(a.text, b.text) < 0;
    });
    for (std::size_t i = 0; i < keyed.size(); ++i) order_[i] = keyed[i].entry;
}

}  // namespace pitbox
