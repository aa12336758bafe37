#include "app/catalogue.h"

#include <algorithm>
#include <string_view>

#include "ui/text.h"

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

bool entryLess(const TrackEntry& a, const TrackEntry& b, SortKey key) {
    switch (key) {
        case SortKey::Name: return ui::compareFolded(a.name, b.name) < 0;
        case SortKey::Author: return ui::compareFolded(a.author, b.author) < 0;
        case SortKey::WorldSize: return a.worldSize < b.worldSize;
        case SortKey::Length: return a.length < b.length;
    }
    return false;
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

const std::string& textKey(const TrackEntry& e, SortKey key) { return key == SortKey::Name ? e.name : e.author; }

}  // namespace

void Catalogue::sort(SortKey key) {
    if (order_.size() < 2) return;
    std::vector<Keyed> keyed;
    keyed.reserve(order_.size());
    const bool byText = key == SortKey::Name || key == SortKey::Author;
    for (TrackEntry* e : order_) {
        if (byText) {
            const std::string& t = textKey(*e, key);
            keyed.push_back({packFolded(t, 0), packFolded(t, 8), e});
        } else {
            // Signed values shifted into unsigned order.
            const std::int32_t v = key == SortKey::WorldSize ? e->worldSize : e->length;
            keyed.push_back({static_cast<std::uint64_t>(static_cast<std::int64_t>(v) + INT64_C(0x80000000)), 0, e});
        }
    }
    std::stable_sort(keyed.begin(), keyed.end(), [key, byText](const Keyed& a, const Keyed& b) {
        if (a.high != b.high) return a.high < b.high;
        if (a.low != b.low) return a.low < b.low;
        return byText && entryLess(*a.entry, *b.entry, key);
    });
    for (std::size_t i = 0; i < keyed.size(); ++i) order_[i] = keyed[i].entry;
}

}  // namespace pitbox
