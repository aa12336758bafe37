#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <iosfwd>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/files.h"

namespace pitbox {

// A text of a track entry: a view of characters that outlive it, those of its
// catalogue's text pool or of a literal. It cannot be made from a temporary
// string, whose characters would be gone at once: a catalogue's entries get
// their texts through the catalogue, which copies them into its pool.
//
// Twelve bytes rather than a string_view's sixteen, packed to four: an entry
// holds five, and a million entries are 20 MB smaller. No text of an entry
// comes near 4 GiB (a track's fields lie in its first megabyte, a path is
// within the system's limit).
#pragma pack(push, 4)
class Text {
public:
    constexpr Text() = default;
    constexpr Text(const char* s) : Text(std::string_view(s)) {}  // NOLINT(google-explicit-constructor)
    Text(const std::string& s) : Text(std::string_view(s)) {}     // NOLINT(google-explicit-constructor)
    Text(std::string&&) = delete;
    constexpr explicit Text(std::string_view s) : data_(s.data()), size_(static_cast<std::uint32_t>(s.size())) {}

    constexpr operator std::string_view() const { return view(); }  // NOLINT(google-explicit-constructor)
    constexpr std::string_view view() const { return {data_, size_}; }
    constexpr std::size_t size() const { return size_; }
    constexpr bool empty() const { return size_ == 0; }
    constexpr const char* data() const { return data_; }
    constexpr auto begin() const { return view().begin(); }
    constexpr auto end() const { return view().end(); }
    friend constexpr bool operator==(Text a, Text b) { return a.view() == b.view(); }

private:
    const char* data_ = nullptr;
    std::uint32_t size_ = 0;
};
#pragma pack(pop)
static_assert(sizeof(Text) == 12 && alignof(Text) == 4);
std::ostream& operator<<(std::ostream& out, Text text);

// The text of a folder of tracks, kept once in a pool for all of them, and
// its place among the pool's folders (from 1; 0 is no folder): what tells
// tracks in the same folder apart from others without their texts.
struct FolderText {
    Text text;
    std::uint32_t index = 0;
};
// The empty folder of an entry that has no path.
inline constexpr FolderText kNoFolder{};

// The characters of a catalogue's texts, in large blocks that never move.
class TextPool {
public:
    // A copy of `a` followed by `b`, kept until the pool goes.
    Text store(std::string_view a, std::string_view b = {});
    // The folder text `folder`, stored once: an entry holds where its
    // folder's text lies, and the tracks of a folder share it.
    const FolderText* storeFolder(std::string_view folder);
    // The bytes of every text stored so far, in use or not, but the folders'
    // (a few for many tracks: what a catalogue asks of its pool is its
    // tracks' own texts).
    std::size_t bytes() const { return bytes_ - folderBytes_; }

private:
    void placeFolder(std::uint32_t index);

    std::deque<FolderText> folders_;  // never moved, each at its index less one
    // The folders by their texts' hashes, open addressing: each slot 0 or
    // a place in folders_ plus one. A few bytes a folder, where a node-based
    // map would cost several times that.
    std::vector<std::uint32_t> folderSlots_;
    const FolderText* lastFolder_ = nullptr;
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* free_ = nullptr;
    std::size_t left_ = 0;
    std::size_t bytes_ = 0;
    std::size_t folderBytes_ = 0;
};

// What a Scan made of a track's file.
enum class TrackState : std::uint8_t {
    Unscanned,   // listed by Load, not read yet
    Scanned,     // a supported track, its fields read
    OldFormat,   // a track of an older format: only its label
    Damaged,     // too short, or its fields lie outside its bytes
    Unreadable,  // missing, no access, not a regular file, too large
};

// One track: a small record whose texts lie in its catalogue's pool.
struct TrackEntry {
    Text name;  // file name without ".trk", with " * 1.10" when the track needs 1.10
    Text author;
    std::int32_t worldSize = 0;
    std::int32_t length = 0;  // the full signed 32-bit track length
    Text record;              // driver 0, one blank, driver 1
    // The path is the folder's, up to and with its last separator, followed by
    // the file's name. A folder's text is kept once by the catalogue for all
    // its tracks: most of a path is its folders, and a million paths would
    // otherwise hold them a million times.
    Text file;
    const FolderText* folder = &kNoFolder;
    Text problem{};        // why a damaged or unreadable file has no fields
    std::uint32_t id = 0;  // the entry's place in its catalogue, in the order it was added
    // The file's size and time when its fields were read (as it was found, for
    // an unscanned entry): a file whose stamp is the same has not changed since.
    platform::FileStamp stamp{};
    bool marked110 = false;  // name ends in the mark Scan appended
    TrackState state = TrackState::Unscanned;
    // The problem is the reason alone, read after the file's path: the path
    // is not kept twice (problemText puts them together).
    bool problemAfterPath = false;

    std::string_view folderPath() const { return folder->text.view(); }
    std::size_t pathSize() const { return folder->text.size() + file.size(); }
    std::string path() const;
    // Whether a text begins with this entry's path, or is it.
    bool pathBegins(std::string_view text) const {
        return text.starts_with(folderPath()) && text.substr(folder->text.size()).starts_with(file.view());
    }
    bool hasPath(std::string_view p) const { return p.size() == pathSize() && pathBegins(p); }
};

// A million entries are most of what a library costs in memory: a field added
// here costs a megabyte for every byte.
static_assert(sizeof(void*) != 8 || sizeof(TrackEntry) <= 120);

// Whether two entries have the same path.
inline bool samePath(const TrackEntry& a, const TrackEntry& b) {
    return a.file == b.file && (a.folder == b.folder || a.folderPath() == b.folderPath());
}

// A path in its two parts, not put together: as the key of a hash table, or
// a list of files to look at. A path is split at its last separator, so that
// two paths are the same when their parts are.
struct PathKey {
    std::string_view folder, file;
    bool operator==(const PathKey&) const = default;
};
inline PathKey pathKey(const TrackEntry& e) { return {e.folderPath(), e.file}; }
PathKey pathKey(std::string_view path);
// Whether a folder and a name are a path's two parts as this system splits
// it: the folder ends in a separator and the name holds none.
bool arePathParts(std::string_view folder, std::string_view file);
struct PathKeyHash {
    std::size_t operator()(const PathKey& k) const {
        const std::hash<std::string_view> hash;
        return hash(k.folder) * 31 + hash(k.file);
    }
};

// Why a damaged or unreadable file has no fields, as the user reads it,
// naming the file (empty for a file with fields).
std::string problemText(const TrackEntry& e);

// The keys of the table's columns, in column order.
enum class SortKey { Name, WorldSize, Length, Author, Record, Path };
enum class SortOrder { Ascending, Descending };

// Sorts stably: entries with equal keys keep their order, so sorts compose, in
// either direction. Texts compare byte by byte with ASCII capitals folded (names
// and paths as the file system gives them, authors and records by their
// Windows-1252 codes), numbers as signed values.
void sortEntries(std::vector<TrackEntry*>& order, SortKey key, SortOrder direction = SortOrder::Ascending);
// How two entries' keys compare in that order, ascending: below 0 when `a`
// comes first, 0 when the keys are equal.
int compareByKey(const TrackEntry& a, const TrackEntry& b, SortKey key);

// A path below a library folder (the whole path when it lies elsewhere): what
// the user's words find in a path, and what a catalogue page shows of it.
constexpr std::string_view pathBelow(std::string_view root, std::string_view path) {
    return path.starts_with(root) ? path.substr(root.size()) : path;
}

// Every track of the last Load, in an order of its own (by name after a Load).
// Entries stay where they were made; the order is a list of pointers, so a sort
// moves pointers, never entries or their texts. Which tracks the table shows,
// in which order, and which are selected or current is the view's business.
class Catalogue {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    // The entries in table order; Entry is TrackEntry, or const TrackEntry for a
    // catalogue seen through a const reference.
    template <class Entry>
    class Range {
    public:
        class Iterator {
        public:
            using iterator_category = std::forward_iterator_tag;
            using value_type = TrackEntry;
            using difference_type = std::ptrdiff_t;
            using pointer = Entry*;
            using reference = Entry&;
            explicit Iterator(TrackEntry* const* at = nullptr) : at_(at) {}
            Entry& operator*() const { return **at_; }
            Entry* operator->() const { return *at_; }
            Iterator& operator++() {
                ++at_;
                return *this;
            }
            Iterator operator++(int) {
                Iterator old = *this;
                ++at_;
                return old;
            }
            bool operator==(const Iterator&) const = default;

        private:
            TrackEntry* const* at_;
        };
        Range(TrackEntry* const* first, std::size_t count) : first_(first), count_(count) {}
        // The entries can always be handed on for reading only.
        operator Range<const TrackEntry>() const  // NOLINT(google-explicit-constructor)
            requires(!std::is_const_v<Entry>) {
            return {first_, count_};
        }
        Iterator begin() const { return Iterator(first_); }
        Iterator end() const { return Iterator(first_ + count_); }
        std::size_t size() const { return count_; }
        Entry& operator[](std::size_t i) const { return *first_[i]; }

    private:
        TrackEntry* const* first_;
        std::size_t count_;
    };
    using Entries = Range<TrackEntry>;
    using ConstEntries = Range<const TrackEntry>;

    Catalogue() = default;
    // The order points into the storage and the entries into the pool: a
    // catalogue moves, it is never copied (shareTextsOf shares its texts).
    Catalogue(Catalogue&&) = default;
    Catalogue& operator=(Catalogue&&) = default;
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    void clear();
    TrackEntry& append();
    // Adds a copy of `e` (its texts copied into the pool) under the next id.
    TrackEntry& append(const TrackEntry& e);
    // Sets one of an entry's texts to a copy of `a` followed by `b`.
    void setText(Text& field, std::string_view a, std::string_view b = {}) {
        textBytes_ -= std::min(textBytes_, field.size());
        field = keep(a, b);
    }
    // Sets an entry's path to `a` followed by `b` (the folder and the file's
    // name, as most callers have them), its folder's text shared with every
    // entry in that folder.
    void setPath(TrackEntry& e, std::string_view a, std::string_view b = {});
    // The text of the folder `folder` (ending in the separator), for the
    // paths of any number of entries: `setPath(e, folderText(f), file)` sets
    // a path as setPath(e, f, file) would, without looking the folder up.
    const FolderText* folderText(std::string_view folder) { return pool_->storeFolder(folder); }
    void setPath(TrackEntry& e, const FolderText* folder, std::string_view file) {
        textBytes_ -= std::min(textBytes_, e.file.size());
        e.folder = folder;
        e.file = keep(file);
    }

    // A catalogue made again of another's entries, most of them as they were
    // (the library after a change in its tree), shares the other's texts
    // rather than copying them: this catalogue, still empty, takes `other`'s
    // pool as its own too, and appendSharing adds its entries as they are.
    void shareTextsOf(const Catalogue& other);
    // Adds a copy of `e`, whose texts lie in this catalogue's pool: an entry
    // of the catalogue whose texts it shares.
    TrackEntry& appendSharing(const TrackEntry& e);
    // Once most of a shared pool is texts that no entry of this catalogue
    // uses (those of tracks gone, and the old texts of tracks read again),
    // the texts in use are copied into a pool of this catalogue's own. The
    // entries keep their ids and order, but move: returns whether they did.
    bool dropUnusedTexts();
    // The bytes of the pool's texts, in use or not.
    std::size_t textPoolBytes() const { return pool_ ? pool_->bytes() : 0; }
    std::size_t count() const { return order_.size(); }
    // The ids given so far: of the entries in the order and of those a
    // change took out of it (below).
    std::size_t ids() const { return chunks_.empty() ? 0 : (chunks_.size() - 1) * kChunk + chunks_.back()->size(); }
    // A change made in place (the library's tree changed in a few folders):
    // `order` is the new order, of entries of this catalogue, each once. An
    // entry left out is gone from the catalogue but stays stored under its
    // id, so that a view or work still holding it holds something sound,
    // until the catalogue is made again; its texts count as unused.
    void reorder(std::vector<TrackEntry*> order);
    // Whether most of what it stores is no longer used: the entries a change
    // took out, the texts a read replaced.
    bool mostlyUnused() const;
    Entries entries() { return {order_.data(), order_.size()}; }
    ConstEntries entries() const { return {order_.data(), order_.size()}; }
    TrackEntry& operator[](std::size_t i) { return *order_[i]; }
    const TrackEntry& operator[](std::size_t i) const { return *order_[i]; }

    // The entry of this id (below ids()).
    TrackEntry& byId(std::uint32_t id) { return (*chunks_[id / kChunk])[id % kChunk]; }
    const TrackEntry& byId(std::uint32_t id) const { return (*chunks_[id / kChunk])[id % kChunk]; }
    // The order as pointers, for a view to start from.
    const std::vector<TrackEntry*>& order() const { return order_; }

    void sort(SortKey key, SortOrder direction = SortOrder::Ascending) { sortEntries(order_, key, direction); }

    // The folder the tracks were found below, as it was loaded (ending in the
    // separator; empty when unknown). What the user's words find in a path is
    // what lies below it: the folder's own path is the same for every track.
    const std::string& root() const { return root_; }
    void setRoot(std::string root) { root_ = std::move(root); }
    // A track's folder below the root (the whole folder when it lies
    // elsewhere): its path below the root is that and its file's name.
    std::string_view folderBelowRoot(const TrackEntry& e) const { return pathBelow(root_, e.folderPath()); }

private:
    bool textsMostlyUnused() const;
    // A copy of `e` under the next id, its texts where they are.
    TrackEntry& appendAsIs(const TrackEntry& e);
    Text keep(std::string_view a, std::string_view b = {}) {
        textBytes_ += a.size() + b.size();
        return pool_->store(a, b);
    }

    // Entries in chunks made once each, so that an entry never moves; the pool
    // is held by pointer, so that its texts stay where they are when the
    // catalogue moves.
    static constexpr std::size_t kChunk = 4096;
    std::vector<std::unique_ptr<std::vector<TrackEntry>>> chunks_;
    // Shared with the catalogue this one was made from, if any.
    std::shared_ptr<TextPool> pool_ = std::make_shared<TextPool>();
    std::size_t textBytes_ = 0;  // of the texts the entries hold in the pool, but the folders'
    std::vector<TrackEntry*> order_;
    std::string root_;
};

// sortEntries for an order of the catalogue's ids: the keys are read in the
// order the entries lie in memory, not in the order's, which after a sort
// would make each entry a miss of the processor's caches.
void sortIds(std::vector<std::uint32_t>& ids, const Catalogue& catalogue, SortKey key,
             SortOrder direction = SortOrder::Ascending);

}  // namespace pitbox
