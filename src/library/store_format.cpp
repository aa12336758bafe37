#include "library/store_format.h"

#include <cstring>
#include <deque>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "base/byte_reader.h"
#include "library/header_refresh.h"

namespace pitbox {
namespace {

// The store: the magic, the version, the folders with their entries (before
// version 5 the settings first), and an FNV-1a sum of everything before it,
// all little-endian.
constexpr char kMagic[8] = {'K', 'P', 'B', 'X', 'L', 'I', 'B', '\n'};
constexpr std::size_t kSumBytes = 8;
constexpr std::size_t kLeastEntryBytes = 5 * 4 + 2 * 4 + 2 + 8 + 8;  // five empty texts and the numbers (version 1)

std::uint64_t sumOf(std::span<const std::uint8_t> bytes) {
    std::uint64_t sum = 14695981039346656037ull;
    for (std::uint8_t b : bytes) sum = (sum ^ b) * 1099511628211ull;
    return sum;
}

class Writer {
public:
    void u8(std::uint8_t v) { out.push_back(static_cast<char>(v)); }
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) u8(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void u64(std::uint64_t v) {
        u32(static_cast<std::uint32_t>(v));
        u32(static_cast<std::uint32_t>(v >> 32));
    }
    void text(std::string_view t) {
        u32(static_cast<std::uint32_t>(t.size()));
        out.append(t);
    }
    // Seven bits a byte, the lowest first, the top bit saying more follow.
    void varint(std::uint64_t v) {
        for (; v >= 0x80; v >>= 7) u8(static_cast<std::uint8_t>(v | 0x80));
        u8(static_cast<std::uint8_t>(v));
    }
    // A signed number near 0 in few bytes: 0, -1, 1, -2, ...
    void zigzag(std::int64_t v) { varint((static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63)); }
    void shortText(std::string_view t) {
        varint(t.size());
        out.append(t);
    }
    std::string out;
};

// Walks the store front to back through the bounds-checked reader; after the
// first read past the end every read gives nothing and `ok` stays false.
class Cursor {
public:
    explicit Cursor(std::span<const std::uint8_t> bytes) : reader_(bytes) {}
    bool ok() const { return ok_; }
    std::size_t left() const { return ok_ ? reader_.size() - static_cast<std::size_t>(at_) : 0; }
    std::uint8_t u8() { return take(reader_.u8(at_), 1); }
    // A flag is 0 or 1; any other byte is damage.
    bool flag() {
        const std::uint8_t v = u8();
        if (v > 1) ok_ = false;
        return v == 1;
    }
    std::uint32_t u32() { return take(reader_.u32(at_), 4); }
    std::uint64_t u64() {
        const std::uint64_t low = u32();
        return low | static_cast<std::uint64_t>(u32()) << 32;
    }
    std::string_view text() { return bytes(u32()); }
    // A varint of at most ten bytes; one that runs on, or past 64 bits, is damage.
    std::uint64_t varint() {
        std::uint64_t v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            const std::uint8_t b = u8();
            if (shift == 63 && b > 1) break;
            v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
            if (b < 0x80) return v;
        }
        ok_ = false;
        return 0;
    }
    std::int64_t zigzag() {
        const std::uint64_t v = varint();
        return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1);
    }
    std::int32_t zigzag32() {
        const std::int64_t v = zigzag();
        if (v < INT32_MIN || v > INT32_MAX) ok_ = false;
        return static_cast<std::int32_t>(v);
    }
    std::string_view shortText() { return bytes(varint()); }
    void fail() { ok_ = false; }

private:
    std::string_view bytes(std::uint64_t length) {
        const auto bytes =
            ok_ && length <= left() ? reader_.bytes(at_, static_cast<std::int64_t>(length)) : std::nullopt;
        if (!bytes) {
            ok_ = false;
            return {};
        }
        at_ += static_cast<std::int64_t>(length);
        return {reinterpret_cast<const char*>(bytes->data()), bytes->size()};
    }
    template <class T>
    T take(std::optional<T> v, int bytes) {
        if (!ok_ || !v) {
            ok_ = false;
            return 0;
        }
        at_ += bytes;
        return *v;
    }
    ByteReader reader_;
    std::int64_t at_ = 0;
    bool ok_ = true;
};

Error damaged(const std::string& file, const char* why) { return Error{ErrorCode::Damaged, file, why}; }
Error damagedStore(const std::string& file) { return damaged(file, "a damaged library store"); }

bool decodeSettings(Cursor& in, std::uint32_t version, RememberedSettings& s) {
    s.loadFolder = in.text();
    s.targetFolder = in.text();
    const std::uint32_t columns = in.u32();
    if (columns > 64) return false;
    for (std::uint32_t c = 0; c < columns; ++c) s.columnWidths.push_back(static_cast<std::int32_t>(in.u32()));
    for (int* v : {&s.x, &s.y, &s.width, &s.height}) *v = static_cast<std::int32_t>(in.u32());
    s.maximised = in.flag();
    if (version >= 3) {
        s.sortColumn = static_cast<std::int32_t>(in.u32());
        if (s.sortColumn < -1 || s.sortColumn >= 64) return false;
        s.sortDescending = in.flag();
        s.currentTrack = in.text();
        s.viewerMoved = in.flag();
        for (int* v : {&s.viewerX, &s.viewerY}) *v = static_cast<std::int32_t>(in.u32());
    }
    if (version >= 4) {
        s.keepFolders = in.flag();
        s.skipAlreadyThere = in.flag();
    }
    return in.ok();
}

// The entries of one folder as versions 1 to 5 laid them out, each text after
// its length and every number in full; a store of version 1 lacks the stamps'
// change time, file number and settledness, and its files count as changed.
bool decodeOldEntries(Cursor& in, std::uint32_t version, Catalogue& c) {
    const std::size_t leastEntryBytes = kLeastEntryBytes + (version >= 2 ? 8 + 8 + 1 : 0);
    const std::uint32_t count = in.u32();
    // Every entry takes some bytes: a count the rest cannot hold is damage, not a reason to allocate.
    if (!in.ok() || count > in.left() / leastEntryBytes) return false;
    for (std::uint32_t i = 0; i < count && in.ok(); ++i) {
        TrackEntry& e = c.append();
        c.setPath(e, in.text());
        for (Text* t : {&e.name, &e.author, &e.record, &e.problem}) c.setText(*t, in.text());
        e.worldSize = static_cast<std::int32_t>(in.u32());
        e.length = static_cast<std::int32_t>(in.u32());
        const std::uint8_t state = in.u8();
        if (state > static_cast<std::uint8_t>(TrackState::Unreadable)) return false;
        e.state = static_cast<TrackState>(state);
        e.marked110 = in.flag();
        e.stamp.size = in.u64();
        e.stamp.modified = static_cast<std::int64_t>(in.u64());
        if (version >= 2) {
            e.stamp.changed = static_cast<std::int64_t>(in.u64());
            e.stamp.index = in.u64();
            e.stamp.settled = in.flag();
        }
    }
    return in.ok();
}

// Since version 6 a folder's tracks are: the table of the folders their paths
// lie in and the table of their other texts (in each, 0 is the empty text, not
// written), then the entries. An entry is a byte of flags, its folder when it
// is not the one before's, its file name, its texts by their place in the
// table (its name only when it is not the file name's; its problem's without
// the path that begins it), its numbers as varints, and its times and file
// number as steps from the entry before's.
constexpr std::uint8_t kStateBits = 0x07;
constexpr std::uint8_t kMarked110 = 0x08;
constexpr std::uint8_t kSettled = 0x10;
constexpr std::uint8_t kNameStored = 0x20;
constexpr std::uint8_t kAnotherFolder = 0x40;
constexpr std::uint8_t kChangedApart = 0x80;
// The flags, the file name's length, three texts, five numbers.
constexpr std::size_t kLeastPackedEntryBytes = 10;

// A path's folder, up to and with its last separator of either kind (the
// split only saves bytes, so it need not be the system's), and its file name.
std::pair<std::string_view, std::string_view> splitPath(std::string_view path) {
    const std::size_t cut = path.find_last_of("/\\");
    const std::size_t at = cut == std::string_view::npos ? 0 : cut + 1;
    return {path.substr(0, at), path.substr(at)};
}

// Whether an entry's name is the one Load gives its file: the file name
// without its last four characters, and the mark when the track needs 1.10.
bool nameFollowsFile(const TrackEntry& e, std::string_view file) {
    std::string_view name = e.name.view();
    if (e.marked110) {
        if (!name.ends_with(kMark110)) return false;
        name.remove_suffix(std::strlen(kMark110));
    }
    return file.size() >= 4 && name == file.substr(0, file.size() - 4);
}

// The steps between times wrap as unsigned numbers do, both ways, so that any
// two times have a step and damaged steps cannot overflow.
std::int64_t plus(std::int64_t a, std::int64_t step) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(step));
}
std::int64_t minus(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}

// Texts numbered in the order they are first met.
class TextTable {
public:
    std::uint32_t place(std::string_view text) {
        if (text.empty()) return 0;
        const auto [it, added] = places_.try_emplace(text, static_cast<std::uint32_t>(order_.size() + 1));
        if (added) order_.push_back(text);
        return it->second;
    }
    void write(Writer& w) const {
        w.varint(order_.size());
        for (std::string_view t : order_) w.shortText(t);
    }

private:
    std::unordered_map<std::string_view, std::uint32_t> places_;
    std::vector<std::string_view> order_;
};

bool decodeEntries(Cursor& in, Catalogue& c) {
    const std::uint64_t folderCount = in.varint();
    if (!in.ok() || folderCount > in.left()) return false;
    // Folder 0 is the empty folder of a path with no separator.
    std::vector<std::string_view> folders(static_cast<std::size_t>(folderCount) + 1);
    for (std::size_t i = 1; i < folders.size(); ++i) folders[i] = in.shortText();
    // Each folder's text is kept once, when a track first needs it. A folder
    // whose text does not end where this system's separators say (a name
    // holding "\" on Linux) has its tracks' paths split again.
    std::vector<const FolderText*> folderTexts(folders.size(), nullptr);
    const auto setPath = [&](TrackEntry& e, std::size_t folder, std::string_view file) {
        const std::string_view text = folders[folder];
        if (!arePathParts(text, file)) return c.setPath(e, text, file);
        if (!folderTexts[folder]) folderTexts[folder] = c.folderText(text);
        c.setPath(e, folderTexts[folder], file);
    };
    const std::uint64_t textCount = in.varint();
    if (!in.ok() || textCount > in.left()) return false;
    std::vector<Text> texts(static_cast<std::size_t>(textCount) + 1);
    for (std::size_t i = 1; i < texts.size(); ++i) c.setText(texts[i], in.shortText());
    const std::uint64_t count = in.varint();
    if (!in.ok() || count > in.left() / kLeastPackedEntryBytes) return false;
    const auto text = [&] {
        const std::uint64_t at = in.varint();
        if (at < texts.size()) return texts[static_cast<std::size_t>(at)];
        in.fail();
        return Text();
    };
    std::uint64_t folder = folders.size();  // none yet
    std::int64_t modified = 0;
    std::uint64_t index = 0;
    for (std::uint64_t i = 0; i < count && in.ok(); ++i) {
        TrackEntry& e = c.append();
        const std::uint8_t flags = in.u8();
        if ((flags & kStateBits) > static_cast<std::uint8_t>(TrackState::Unreadable)) return false;
        e.state = static_cast<TrackState>(flags & kStateBits);
        e.marked110 = (flags & kMarked110) != 0;
        e.stamp.settled = (flags & kSettled) != 0;
        if (flags & kAnotherFolder) folder = in.varint();
        if (!in.ok() || folder >= folders.size()) return false;
        const std::string_view file = in.shortText();
        setPath(e, static_cast<std::size_t>(folder), file);
        if (flags & kNameStored) {
            e.name = text();
        } else {
            if (file.size() < 4 || !e.file.view().ends_with(file)) return false;
            e.name = Text(e.file.view().substr(e.file.size() - file.size(), file.size() - 4));
            if (e.marked110) c.setText(e.name, e.name.view(), kMark110);
        }
        e.author = text();
        e.record = text();
        // A problem's place, doubled, with 1 when the path and ": " come before it.
        const std::uint64_t problem = in.varint();
        const bool afterPath = (problem & 1) != 0;
        if (problem / 2 >= texts.size() || (afterPath && problem < 2)) return false;
        // After the path, the reason is the one the store's texts hold, with no copy.
        e.problem = texts[static_cast<std::size_t>(problem / 2)];
        e.problemAfterPath = afterPath;
        e.worldSize = in.zigzag32();
        e.length = in.zigzag32();
        e.stamp.size = in.varint();
        e.stamp.modified = modified = plus(modified, in.zigzag());
        e.stamp.changed = flags & kChangedApart ? plus(modified, in.zigzag()) : modified;
        e.stamp.index = index += static_cast<std::uint64_t>(in.zigzag());
    }
    return in.ok();
}

// A folder's tracks in an encoding of their own, not in a store's bytes.
RememberedFolder encodedFolder(std::string folder, const Catalogue& catalogue) {
    auto tracks = std::make_shared<const std::string>(encodeTracks(catalogue));
    return {std::move(folder), *tracks, tracks};
}

void writeHead(Writer& w, std::uint32_t version) {
    w.out.append(kMagic, sizeof kMagic);
    w.u32(version);
}

void writeSum(Writer& w) { w.u64(sumOf({reinterpret_cast<const std::uint8_t*>(w.out.data()), w.out.size()})); }

}  // namespace

Result<Catalogue> RememberedLibrary::tracksOf(std::string_view folder, const std::string& file) const {
    Catalogue c;
    c.setRoot(std::string(folder));
    for (const RememberedFolder& f : folders) {
        if (f.folder != folder) continue;
        Cursor in(std::span(reinterpret_cast<const std::uint8_t*>(f.tracks.data()), f.tracks.size()));
        if (!decodeEntries(in, c) || in.left() != 0) return damagedStore(file);
        break;
    }
    return c;
}

void RememberedLibrary::remember(const std::string& folder, const Catalogue& catalogue) {
    std::erase_if(folders, [&](const RememberedFolder& f) { return f.folder == folder; });
    folders.insert(folders.begin(), encodedFolder(folder, catalogue));
    if (folders.size() > kMostRememberedFolders) folders.resize(kMostRememberedFolders);
}

std::optional<std::uint32_t> storeVersion(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < sizeof kMagic + 4 || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return std::nullopt;
    return ByteReader(bytes).u32(sizeof kMagic);
}

std::string encodeTracks(const Catalogue& catalogue) {
    TextTable folders, texts;
    std::deque<std::string> composed;
    Writer entries;
    std::uint32_t folder = UINT32_MAX;
    std::int64_t modified = 0;
    std::uint64_t index = 0;
    for (const TrackEntry& e : catalogue.entries()) {
        // The store splits a path at its last separator of either kind,
        // which on Linux a file's name may hold.
        std::string_view folderPath = e.folderPath(), file = e.file.view();
        if (file.find_first_of("/\\") != std::string_view::npos)
            std::tie(folderPath, file) = splitPath(composed.emplace_back(e.path()));
        const std::uint32_t inFolder = folders.place(folderPath);
        const bool nameStored = !nameFollowsFile(e, file);
        const bool changedApart = e.stamp.changed != e.stamp.modified;
        entries.u8(static_cast<std::uint8_t>(static_cast<std::uint8_t>(e.state) | (e.marked110 ? kMarked110 : 0) |
                                             (e.stamp.settled ? kSettled : 0) | (nameStored ? kNameStored : 0) |
                                             (inFolder != folder ? kAnotherFolder : 0) |
                                             (changedApart ? kChangedApart : 0)));
        if (inFolder != folder) entries.varint(folder = inFolder);
        entries.shortText(file);
        if (nameStored) entries.varint(texts.place(e.name.view()));
        for (const Text& t : {e.author, e.record}) entries.varint(texts.place(t.view()));
        // A problem names its file first: that part is the path's, and not
        // kept twice. The table of texts keeps views: a text put together
        // here is kept until the store is written.
        std::string_view whole = e.problem.view(), reason;
        bool afterPath = false;
        if (e.problemAfterPath) {
            std::string named = problemText(e);
            afterPath = !e.problem.empty() && e.pathBegins(named);
            if (afterPath)
                reason = e.problem.view();
            else
                whole = composed.emplace_back(std::move(named));
        } else if (whole.size() > e.pathSize() + 2 && e.pathBegins(whole) && whole.substr(e.pathSize(), 2) == ": ") {
            afterPath = true;
            reason = whole.substr(e.pathSize() + 2);
        }
        entries.varint(afterPath ? std::uint64_t{texts.place(reason)} * 2 + 1 : std::uint64_t{texts.place(whole)} * 2);
        entries.zigzag(e.worldSize);
        entries.zigzag(e.length);
        entries.varint(e.stamp.size);
        entries.zigzag(minus(e.stamp.modified, modified));
        modified = e.stamp.modified;
        if (changedApart) entries.zigzag(minus(e.stamp.changed, e.stamp.modified));
        entries.zigzag(static_cast<std::int64_t>(e.stamp.index - index));
        index = e.stamp.index;
    }
    Writer w;
    folders.write(w);
    texts.write(w);
    w.varint(catalogue.count());
    w.out.append(entries.out);
    return std::move(w.out);
}

std::string encodeLibrary(const RememberedLibrary& library) {
    Writer w;
    writeHead(w, kLibraryVersion);
    w.u32(static_cast<std::uint32_t>(library.folders.size()));
    for (const RememberedFolder& f : library.folders) {
        w.text(f.folder);
        w.text(f.tracks);
    }
    writeSum(w);
    return std::move(w.out);
}

Result<RememberedLibrary> decodeLibrary(const std::shared_ptr<const std::vector<std::uint8_t>>& store,
                                        const std::string& file) {
    const std::span<const std::uint8_t> bytes(*store);
    if (bytes.size() < sizeof kMagic + 4 + kSumBytes || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return damaged(file, "not a library store");
    Cursor header(bytes.subspan(sizeof kMagic));
    const std::uint32_t version = header.u32();
    if (version < 1 || version > kLibraryVersion) return damaged(file, "a library store of another version");
    const auto body = bytes.first(bytes.size() - kSumBytes);
    if (Cursor(bytes.subspan(body.size())).u64() != sumOf(body)) return damagedStore(file);

    Cursor in(body.subspan(sizeof kMagic + 4));
    RememberedLibrary library;
    if (version <= 4) {
        // Settings first, as the store kept them before they had a file of their own.
        RememberedSettings& settings = library.oldSettings.emplace();
        if (!decodeSettings(in, version, settings)) return damagedStore(file);
    }
    if (version == 1) {
        // One folder, its tracks as they were: they take the new layout.
        Catalogue c;
        if (!decodeOldEntries(in, version, c) || in.left() != 0) return damagedStore(file);
        if (!library.oldSettings->loadFolder.empty()) library.remember(library.oldSettings->loadFolder, c);
        return library;
    }
    const std::uint32_t count = in.u32();
    if (!in.ok() || count > in.left() / 8) return damagedStore(file);
    std::unordered_set<std::string_view> folders;  // each once
    for (std::uint32_t i = 0; i < count && in.ok(); ++i) {
        const std::string_view folder = in.text();
        const std::string_view tracks = in.text();
        if (!in.ok() || !folders.insert(folder).second) return damagedStore(file);
        if (version == kLibraryVersion) {
            library.folders.push_back({std::string(folder), tracks, store});
            continue;
        }
        // An older layout is read once, and kept as the new one.
        Cursor old(std::span(reinterpret_cast<const std::uint8_t*>(tracks.data()), tracks.size()));
        Catalogue c;
        if (!decodeOldEntries(old, version, c) || old.left() != 0) return damagedStore(file);
        library.folders.push_back(encodedFolder(std::string(folder), c));
    }
    if (!in.ok() || in.left() != 0) return damagedStore(file);
    return library;
}

Result<RememberedLibrary> decodeLibrary(std::span<const std::uint8_t> bytes, const std::string& file) {
    return decodeLibrary(std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end()), file);
}

std::string sealLibrary(std::string_view body, std::uint32_t version) {
    Writer w;
    writeHead(w, version);
    w.out.append(body);
    writeSum(w);
    return std::move(w.out);
}

std::string_view libraryBody(std::string_view store) {
    constexpr std::size_t kHead = sizeof kMagic + 4;
    return store.size() < kHead + kSumBytes ? std::string_view()
                                            : store.substr(kHead, store.size() - kHead - kSumBytes);
}

}  // namespace pitbox
