// The table's sort: a stable radix sort of sixteen bytes of each key at a time.
// A million entries sort in a few passes over their keys, where a merge sort
// compares each pair of texts from their first byte some twenty times.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/parallel.h"
#include "base/text.h"
#include "base/windows1252.h"
#include "library/catalogue.h"

namespace pitbox {
namespace {

// An entry's place in the order before the sort, with its key there: a
// number, or sixteen bytes of its text from some offset on, folded, as two
// big-endian integers. A text that ends within them is padded with byte 0,
// so that a prefix sorts first. Descending, the keys' bits are turned.
struct Item {
    std::uint64_t high = 0, low = 0;
    std::uint32_t at = 0;
};

// Below this many, comparing whole texts is quicker than passes over keys.
constexpr std::size_t kFewItems = 64;

unsigned char folded(char c) { return foldAscii(static_cast<unsigned char>(c)); }

// A key's text as an order is looked at to see whether it is sorted already,
// in one or two parts: a path is its folder's text and then its file's name.
struct SortText {
    std::string_view head, tail;
    std::size_t size() const { return head.size() + tail.size(); }
    char operator[](std::size_t i) const { return i < head.size() ? head[i] : tail[i - head.size()]; }
};

// Texts of one part compare as anywhere else.
using pitbox::compareFolded;

int compareFolded(const SortText& a, const SortText& b) {
    if (a.tail.empty() && b.tail.empty()) return pitbox::compareFolded(a.head, b.head);
    // Paths in one folder differ in their files' names alone.
    if (a.head.data() == b.head.data() && a.head.size() == b.head.size()) return pitbox::compareFolded(a.tail, b.tail);
    const std::size_t shared = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < shared; ++i)
        if (const int d = int{folded(a[i])} - int{folded(b[i])}; d != 0) return d;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Eight bytes with their ASCII capitals folded, all at once: a byte's high
// bit is set by the sums below where its low seven bits are at least "A" and
// where they are past "Z", and no sum carries into the next byte.
std::uint64_t foldedCapitals(std::uint64_t v) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    const std::uint64_t low = v & (0x7F * kOnes);
    const std::uint64_t atLeastA = low + (0x80 - 'A') * kOnes;
    const std::uint64_t pastZ = low + (0x80 - 'Z' - 1) * kOnes;
    const std::uint64_t capital = atLeastA & ~pastZ & ~v & (0x80 * kOnes);
    return v | (capital >> 2);
}

std::uint64_t packFolded(std::string_view text, std::size_t from) {
    if (from + 8 <= text.size()) {
        std::uint64_t v = 0;
        std::memcpy(&v, text.data() + from, 8);
        if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
        return foldedCapitals(v);
    }
    std::uint64_t v = 0;
    for (std::size_t i = from; i < from + 8; ++i) v = v << 8 | (i < text.size() ? folded(text[i]) : 0);
    return v;
}

// How many folded bytes from `from` on, up to `most`, two texts share:
// eight at a time while both have them, the first that differ found by
// the zeros that lead their difference.
std::size_t foldedShared(std::string_view a, std::string_view b, std::size_t from, std::size_t most) {
    std::size_t k = 0;
    for (; k + 8 <= most; k += 8) {
        const std::uint64_t differ = packFolded(a, from + k) ^ packFolded(b, from + k);
        if (differ != 0) return k + static_cast<std::size_t>(std::countl_zero(differ)) / 8;
    }
    while (k < most && folded(a[from + k]) == folded(b[from + k])) ++k;
    return k;
}

// A path's key in the sort: where its folder's files lie among the other
// paths, in as few bytes as the folders' count needs, then its file's name
// past what every file's name begins with. Each folder's text is sorted
// once, not read again for each of its files, and the first key holds most
// of a name.
struct PlacedFile {
    std::uint64_t place = 0;  // its first `width` bytes, the others 0
    const char* file = nullptr;
    std::uint32_t fileSize = 0;
    std::uint32_t width = 8;
    std::string_view name() const { return {file, fileSize}; }
    std::size_t size() const { return width + fileSize; }
};

int compareFolded(const PlacedFile& a, const PlacedFile& b) {
    if (a.place != b.place) return a.place < b.place ? -1 : 1;
    return pitbox::compareFolded(a.name(), b.name());
}

// The place's bytes are a number, not folded.
std::uint64_t packFolded(const PlacedFile& text, std::size_t from) {
    if (from >= text.width) return packFolded(text.name(), from - text.width);
    const std::uint64_t head = text.place << (8 * from);
    const std::size_t shift = 8 * (text.width - from);
    return shift == 64 ? head : head | packFolded(text.name(), 0) >> shift;
}

std::size_t foldedShared(const PlacedFile& a, const PlacedFile& b, std::size_t from, std::size_t most) {
    std::size_t k = 0;
    if (from < a.width) {
        const std::uint64_t differ = (a.place ^ b.place) << (8 * from);
        if (differ != 0) return std::min(most, static_cast<std::size_t>(std::countl_zero(differ)) / 8);
        k = std::min(most, a.width - from);
    }
    return k == most ? k : k + foldedShared(a.name(), b.name(), from + k - a.width, most - k);
}

// Sorts stably by (high, low), a digit at a time from the last; a digit that
// is the same in every item takes no pass. Many items take digits of 16 bits,
// half the passes of bytes, where their counts are worth clearing.
void radixSort(std::span<Item> items, std::vector<Item>& scratch, std::vector<std::size_t>& counts) {
    std::uint64_t highVaries = 0, lowVaries = 0;
    for (const Item& it : items) {
        highVaries |= it.high ^ items[0].high;
        lowVaries |= it.low ^ items[0].low;
    }
    const int bits = items.size() >= (std::size_t{1} << 16) ? 16 : 8;
    const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
    counts.resize(std::size_t{1} << bits);
    scratch.resize(std::max(scratch.size(), items.size()));
    std::span<Item> from = items, to(scratch.data(), items.size());
    for (int digit = 0; digit < 128 / bits; ++digit) {
        const bool inHigh = digit * bits >= 64;
        const int shift = (digit * bits) % 64;
        if ((((inHigh ? highVaries : lowVaries) >> shift) & mask) == 0) continue;
        const auto of = [&](const Item& it) { return ((inHigh ? it.high : it.low) >> shift) & mask; };
        std::fill(counts.begin(), counts.end(), 0);
        for (const Item& it : from) ++counts[of(it)];
        std::size_t sum = 0;
        for (std::size_t& c : counts) sum += std::exchange(c, sum);
        for (const Item& it : from) to[counts[of(it)]++] = it;
        std::swap(from, to);
    }
    if (from.data() != items.data()) std::copy(from.begin(), from.end(), items.begin());
}

// Texts sorted sixteen bytes at a time: the items whose sixteen bytes are the
// same are sorted again by the sixteen after them, past what they all share.
// A text is a string_view, or a path's PlacedFile.
template <class Texts>
class TextSort {
public:
    TextSort(std::span<const Texts> texts, bool ascending) : texts_(texts), ascending_(ascending) {}

    // Every item, their `at`s each index of the texts once or not at all:
    // what they share and their first keys are read in the texts' order,
    // which is the order the texts lie in memory, and only then handed out.
    // Items already in that order (a catalogue sorting its own order, a view
    // not sorted yet) are read where they are.
    void sortAll(std::span<Item> items) {
        if (items.size() < kFewItems || texts_.size() > 2 * items.size() || inTextOrder(items)) {
            sort(items, 0);
            return;
        }
        std::vector<Item> all(texts_.size());
        for (std::size_t i = 0; i < all.size(); ++i) all[i].at = static_cast<std::uint32_t>(i);
        const std::size_t from = sharedAfter(all, 0);
        fillKeys(all, from);
        for (Item& it : items) {
            it.high = all[it.at].high;
            it.low = all[it.at].low;
        }
        all = {};
        sortKeyed(items, from);
    }

    void sort(std::span<Item> run, std::size_t from) {
        if (run.size() < kFewItems) {
            std::stable_sort(run.begin(), run.end(), [this](const Item& a, const Item& b) { return first(a, b); });
            return;
        }
        from += sharedAfter(run, from);
        fillKeys(run, from);
        sortKeyed(run, from);
    }

private:
    void fillKeys(std::span<Item> run, std::size_t from) const {
        const std::uint64_t turn = ascending_ ? 0 : ~std::uint64_t{0};
        forEachPart(run.size(), [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) {
                Item& it = run[i];
                const Texts& t = texts_[it.at];
                it.high = packFolded(t, from) ^ turn;
                it.low = packFolded(t, from + 8) ^ turn;
            }
        });
    }

    void sortKeyed(std::span<Item> run, std::size_t from) {
        radixSort(run, scratch_, counts_);
        for (std::size_t i = 0; i < run.size();) {
            std::size_t j = i + 1;
            while (j < run.size() && run[j].high == run[i].high && run[j].low == run[i].low) ++j;
            if (j - i > 1) sortTies(run.subspan(i, j - i), from + 16);
            i = j;
        }
    }

    bool inTextOrder(std::span<const Item> items) const {
        if (items.size() != texts_.size()) return false;
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].at != i) return false;
        return true;
    }

    // Whole texts compared, turned when descending: equal texts keep their order.
    bool first(const Item& a, const Item& b) const {
        const int c = compareFolded(texts_[a.at], texts_[b.at]);
        return ascending_ ? c < 0 : c > 0;
    }

    // How many folded bytes from `from` on every text of the run shares.
    std::size_t sharedAfter(std::span<const Item> run, std::size_t from) const {
        const Texts& one = texts_[run[0].at];
        std::size_t shared = one.size() > from ? one.size() - from : 0;
        for (const Item& it : run) {
            const Texts& t = texts_[it.at];
            const std::size_t most = std::min(shared, t.size() > from ? t.size() - from : 0);
            if ((shared = foldedShared(t, one, from, most)) == 0) break;
        }
        return shared;
    }

    // Items whose keys are the same up to `next`: texts that go on are sorted
    // by what follows; texts that all end there differ by their length alone
    // (a byte 0 in a text looks like the padding).
    void sortTies(std::span<Item> run, std::size_t next) {
        bool goOn = false, sizesDiffer = false;
        const std::size_t size = texts_[run[0].at].size();
        for (const Item& it : run) {
            goOn = goOn || texts_[it.at].size() > next;
            sizesDiffer = sizesDiffer || texts_[it.at].size() != size;
        }
        if (goOn)
            sort(run, next);
        else if (sizesDiffer)
            std::stable_sort(run.begin(), run.end(), [this](const Item& a, const Item& b) { return first(a, b); });
    }

    std::span<const Texts> texts_;
    bool ascending_;
    std::vector<Item> scratch_;
    std::vector<std::size_t> counts_;
};

SortText textKey(const TrackEntry& e, SortKey key) {
    switch (key) {
        case SortKey::Author: return {e.author, {}};
        case SortKey::Record: return {e.record, {}};
        case SortKey::Path: return {e.folderPath(), e.file};
        default: return {e.name, {}};
    }
}

// An entry's key text as the sort compares it: names and paths are file names
// and sort by their bytes; authors and records come from track files and sort
// by their Windows-1252 codes, not by the UTF-8 they are held in (`code`
// keeps the codes where they differ).
SortText keyText(const TrackEntry& e, SortKey key, std::string& code) {
    SortText t = textKey(e, key);
    if ((key == SortKey::Author || key == SortKey::Record) && !isAsciiText(t.head))
        t.head = code = encodeWindows1252(t.head);
    return t;
}

bool beginsFolded(std::string_view text, std::string_view start) {
    return start.size() <= text.size() && equalFolded(text.substr(0, start.size()), start);
}

// Each distinct folder of `of`, numbered in the order first met. The folders
// of one catalogue lie in one pool, each with a place of its own there;
// folders from more than one pool are told apart by their addresses.
std::vector<std::uint32_t> numberFolders(std::span<const FolderText* const> of,
                                         std::vector<const FolderText*>& folders) {
    constexpr std::uint32_t kNotMet = UINT32_MAX;
    std::vector<std::uint32_t> numbers(of.size());
    std::vector<std::uint32_t> byIndex;
    for (std::size_t i = 0; i < of.size(); ++i) {
        const FolderText* f = of[i];
        if (f->index >= byIndex.size()) byIndex.resize(std::size_t{f->index} * 2 + 1, kNotMet);
        std::uint32_t& n = byIndex[f->index];
        if (n == kNotMet) {
            n = static_cast<std::uint32_t>(folders.size());
            folders.push_back(f);
        } else if (folders[n] != f) {
            folders.clear();
            std::unordered_map<const FolderText*, std::uint32_t> met;
            for (std::size_t j = 0; j < of.size(); ++j) {
                const auto [at, added] = met.try_emplace(of[j], static_cast<std::uint32_t>(folders.size()));
                if (added) folders.push_back(of[j]);
                numbers[j] = at->second;
            }
            return numbers;
        }
        numbers[i] = n;
    }
    return numbers;
}

// The folders of `folders` in their order, those the same but for the case
// of ASCII letters as one, as their paths sort as one: each folder's rank,
// and the text of each rank.
std::vector<std::uint32_t> rankFolders(std::span<const FolderText* const> folders,
                                       std::vector<std::string_view>& ranked) {
    std::vector<std::string_view> texts(folders.size());
    std::vector<Item> sorted(folders.size());
    for (std::size_t j = 0; j < folders.size(); ++j) {
        texts[j] = folders[j]->text.view();
        sorted[j].at = static_cast<std::uint32_t>(j);
    }
    TextSort<std::string_view>(texts, true).sortAll(sorted);
    std::vector<std::uint32_t> rankOf(folders.size());
    for (const Item& it : sorted) {
        if (ranked.empty() || !equalFolded(ranked.back(), texts[it.at])) ranked.push_back(texts[it.at]);
        rankOf[it.at] = static_cast<std::uint32_t>(ranked.size() - 1);
    }
    return rankOf;
}

// How many folded bytes every name begins with.
std::size_t sharedBeginning(std::span<const PlacedFile> placed) {
    const std::string_view first = placed[0].name();
    std::size_t common = first.size();
    std::mutex sharing;
    forEachPart(placed.size(), [&](std::size_t begin, std::size_t end) {
        std::size_t shared = first.size();
        for (std::size_t i = begin; i < end && shared > 0; ++i) {
            const std::string_view name = placed[i].name();
            shared = foldedShared(name, first, 0, std::min(shared, name.size()));
        }
        const std::lock_guard lock(sharing);
        common = std::min(common, shared);
    });
    return common;
}

// Each index's path as its place and file's name. A folder's text ends in a
// separator and a file's name holds none, so a file of folder F goes before
// or after all of the paths in a folder G below F, by its name against G's
// text after F's. F's files thus lie in runs between the folders below F, in
// their order: a place is the folder before which a run lies (or the end),
// then its own folder, the deeper first.
template <class EntryOf>
std::vector<PlacedFile> placedFiles(std::size_t indices, EntryOf entry) {
    // Each entry read once, on every core.
    std::vector<PlacedFile> placed(indices);
    std::vector<const FolderText*> folderTexts(indices);
    forEachPart(indices, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            const TrackEntry& e = entry(i);
            folderTexts[i] = e.folder;
            placed[i].file = e.file.view().data();
            placed[i].fileSize = static_cast<std::uint32_t>(e.file.size());
        }
    });
    std::vector<const FolderText*> folders;
    const std::vector<std::uint32_t> folderOf = numberFolders(folderTexts, folders);
    folderTexts = {};
    std::vector<std::string_view> ranked;
    const std::vector<std::uint32_t> rankOf = rankFolders(folders, ranked);
    // The folders below a folder come right after it: each one's end is the
    // first that is not below it.
    const auto ranks = static_cast<std::uint32_t>(ranked.size());
    std::vector<std::uint32_t> endOf(ranks, ranks), open;
    for (std::uint32_t r = 0; r < ranks; ++r) {
        for (; !open.empty() && !beginsFolded(ranked[r], ranked[open.back()]); open.pop_back()) endOf[open.back()] = r;
        open.push_back(r);
    }
    // What every file's name begins with orders none of them. A place is a
    // point and its folder's rank turned, each of `bits` bits.
    const std::size_t common = sharedBeginning(placed);
    const auto bits = static_cast<std::uint32_t>(std::bit_width(ranks));
    const std::uint32_t width = (2 * bits + 7) / 8;
    const std::uint64_t turned = (std::uint64_t{1} << bits) - 1;
    forEachPart(indices, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            PlacedFile& p = placed[i];
            const std::uint32_t rank = rankOf[folderOf[i]];
            const std::string_view file = p.name();
            // The first folder below whose text after this one's comes after the name.
            std::uint32_t before = rank + 1, after = endOf[rank];
            while (before < after) {
                const std::uint32_t mid = before + (after - before) / 2;
                if (compareFolded(file, ranked[mid].substr(ranked[rank].size())) < 0)
                    after = mid;
                else
                    before = mid + 1;
            }
            p.place = (std::uint64_t{before} << bits | (turned - rank)) << (64 - 8 * width);
            p.file += common;
            p.fileSize -= static_cast<std::uint32_t>(common);
            p.width = width;
        }
    });
    return placed;
}

// What is sorted by, for each index: a number, or a text (a view of the
// entry's, or of its Windows-1252 codes kept here).
struct SortInputs {
    std::vector<std::uint64_t> numbers;
    std::vector<std::string_view> texts;
    std::vector<PlacedFile> paths;
    std::vector<std::unique_ptr<std::deque<std::string>>> codes;
};

// Sorts an order of `count` entries, `inOrder(k)` the k-th, stably; `entry(i)`
// gives the entry of index i and `indexOf(k)` the k-th's index. Returns the
// new order as indices.
template <class InOrder, class EntryOf, class IndexOf>
std::optional<std::vector<Item>> sortedOrder(std::size_t count, std::size_t indices, InOrder inOrder, EntryOf entry,
                                             IndexOf indexOf, SortKey key, SortOrder direction) {
    if (count < 2) return std::nullopt;
    const bool byNumber = key == SortKey::WorldSize || key == SortKey::Length;
    const bool ascending = direction == SortOrder::Ascending;
    // Signed values shifted into unsigned order.
    const auto numberOf = [&](const TrackEntry& e) {
        const std::int32_t v = key == SortKey::WorldSize ? e.worldSize : e.length;
        return static_cast<std::uint64_t>(static_cast<std::int64_t>(v) + INT64_C(0x80000000));
    };
    const auto textOf = [&](const TrackEntry& e, std::string& code) { return keyText(e, key, code); };
    // An order already sorted so, as a start finds its remembered sort, is
    // one look, not a sort: a stable sort would change nothing. Descending
    // keeps equal keys in their order too: the comparison is turned, not the
    // result.
    std::size_t k = 1;
    if (byNumber) {
        for (std::uint64_t before = numberOf(inOrder(0)); k < count; ++k) {
            const std::uint64_t n = numberOf(inOrder(k));
            if (ascending ? n < before : before < n) break;
            before = n;
        }
    } else {
        std::string codes[2];
        SortText before = textOf(inOrder(0), codes[0]);
        for (; k < count; ++k) {
            const SortText t = textOf(inOrder(k), codes[k % 2]);
            const int c = compareFolded(before, t);
            if (ascending ? c > 0 : c < 0) break;
            before = t;
        }
    }
    if (k == count) return std::nullopt;

    // Each index's key, taken on every core in the indices' order: the entries
    // read in the order's would each be a miss of the processor's caches.
    SortInputs in;
    std::mutex keeping;
    if (byNumber) {
        in.numbers.resize(indices);
        forEachPart(indices, [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) in.numbers[i] = numberOf(entry(i));
        });
    } else if (key == SortKey::Path) {
        in.paths = placedFiles(indices, entry);
    } else {
        in.texts.resize(indices);
        forEachPart(indices, [&](std::size_t begin, std::size_t end) {
            // A part's codes stay where they are made, as its texts view them.
            auto codes = std::make_unique<std::deque<std::string>>();
            for (std::size_t i = begin; i < end; ++i) {
                std::string code;
                in.texts[i] = textOf(entry(i), code).head;
                if (!code.empty()) in.texts[i] = codes->emplace_back(std::move(code));
            }
            const std::lock_guard lock(keeping);
            in.codes.push_back(std::move(codes));
        });
    }
    std::vector<Item> items(count);
    for (std::size_t place = 0; place < count; ++place) items[place].at = indexOf(place);
    if (byNumber) {
        for (Item& it : items) it.high = ascending ? in.numbers[it.at] : ~in.numbers[it.at];
        std::vector<Item> scratch;
        std::vector<std::size_t> counts;
        radixSort(items, scratch, counts);
    } else if (key == SortKey::Path) {
        TextSort<PlacedFile>(in.paths, ascending).sortAll(items);
    } else {
        TextSort<std::string_view>(in.texts, ascending).sortAll(items);
    }
    return items;
}

}  // namespace

int compareByKey(const TrackEntry& a, const TrackEntry& b, SortKey key) {
    if (key == SortKey::WorldSize || key == SortKey::Length) {
        const auto number = [key](const TrackEntry& e) { return key == SortKey::WorldSize ? e.worldSize : e.length; };
        return number(a) < number(b) ? -1 : number(b) < number(a) ? 1 : 0;
    }
    std::string codes[2];
    return compareFolded(keyText(a, key, codes[0]), keyText(b, key, codes[1]));
}

void sortEntries(std::vector<TrackEntry*>& order, SortKey key, SortOrder direction) {
    const auto inOrder = [&](std::size_t k) -> const TrackEntry& { return *order[k]; };
    const auto sorted = sortedOrder(
        order.size(), order.size(), inOrder, inOrder, [](std::size_t k) { return static_cast<std::uint32_t>(k); }, key,
        direction);
    if (!sorted) return;
    std::vector<TrackEntry*> next(order.size());
    for (std::size_t k = 0; k < next.size(); ++k) next[k] = order[(*sorted)[k].at];
    order = std::move(next);
}

void sortIds(std::vector<std::uint32_t>& ids, const Catalogue& catalogue, SortKey key, SortOrder direction) {
    const auto sorted = sortedOrder(
        ids.size(), catalogue.ids(), [&](std::size_t k) -> const TrackEntry& { return catalogue.byId(ids[k]); },
        [&](std::size_t id) -> const TrackEntry& { return catalogue.byId(static_cast<std::uint32_t>(id)); },
        [&](std::size_t k) { return ids[k]; }, key, direction);
    if (!sorted) return;
    for (std::size_t k = 0; k < ids.size(); ++k) ids[k] = (*sorted)[k].at;
}

}  // namespace pitbox
