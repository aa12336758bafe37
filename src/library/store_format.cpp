#include "library/store_format.h"

#include <cstring>
#include <string_view>
#include <unordered_set>

#include "base/byte_reader.h"

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
    std::string_view text() {
        const std::uint32_t length = u32();
        const auto bytes = ok_ ? reader_.bytes(at_, length) : std::nullopt;
        if (!bytes) {
            ok_ = false;
            return {};
        }
        at_ += length;
        return {reinterpret_cast<const char*>(bytes->data()), bytes->size()};
    }

private:
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

// The entries of one folder; a store of version 1 lacks the stamps' change
// time, file number and settledness, and its files count as changed.
bool decodeEntries(Cursor& in, std::uint32_t version, Catalogue& c) {
    const std::size_t leastEntryBytes = kLeastEntryBytes + (version >= 2 ? 8 + 8 + 1 : 0);
    const std::uint32_t count = in.u32();
    // Every entry takes some bytes: a count the rest cannot hold is damage, not a reason to allocate.
    if (!in.ok() || count > in.left() / leastEntryBytes) return false;
    for (std::uint32_t i = 0; i < count && in.ok(); ++i) {
        TrackEntry& e = c.append();
        for (Text* t : {&e.path, &e.name, &e.author, &e.record, &e.problem}) c.setText(*t, in.text());
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
        if (!decodeEntries(in, kLibraryVersion, c) || in.left() != 0) return damagedStore(file);
        break;
    }
    return c;
}

void RememberedLibrary::remember(const std::string& folder, const Catalogue& catalogue) {
    std::erase_if(folders, [&](const RememberedFolder& f) { return f.folder == folder; });
    folders.insert(folders.begin(), {folder, encodeTracks(catalogue)});
    if (folders.size() > kMostRememberedFolders) folders.resize(kMostRememberedFolders);
}

std::optional<std::uint32_t> storeVersion(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < sizeof kMagic + 4 || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return std::nullopt;
    return ByteReader(bytes).u32(sizeof kMagic);
}

std::string encodeTracks(const Catalogue& catalogue) {
    Writer w;
    w.u32(static_cast<std::uint32_t>(catalogue.count()));
    for (const TrackEntry& e : catalogue.entries()) {
        for (const Text& t : {e.path, e.name, e.author, e.record, e.problem}) w.text(t.view());
        w.u32(static_cast<std::uint32_t>(e.worldSize));
        w.u32(static_cast<std::uint32_t>(e.length));
        w.u8(static_cast<std::uint8_t>(e.state));
        w.u8(e.marked110 ? 1 : 0);
        w.u64(e.stamp.size);
        w.u64(static_cast<std::uint64_t>(e.stamp.modified));
        w.u64(static_cast<std::uint64_t>(e.stamp.changed));
        w.u64(e.stamp.index);
        w.u8(e.stamp.settled ? 1 : 0);
    }
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

Result<RememberedLibrary> decodeLibrary(std::span<const std::uint8_t> bytes, const std::string& file) {
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
        if (!decodeEntries(in, version, c) || in.left() != 0) return damagedStore(file);
        if (!library.oldSettings->loadFolder.empty()) library.remember(library.oldSettings->loadFolder, c);
        return library;
    }
    const std::uint32_t count = in.u32();
    if (!in.ok() || count > in.left() / 8) return damagedStore(file);
    std::unordered_set<std::string_view> folders;  // each once
    for (std::uint32_t i = 0; i < count && in.ok(); ++i) {
        const std::string_view folder = in.text();
        library.folders.push_back({std::string(folder), std::string(in.text())});
        if (!folders.insert(folder).second) return damagedStore(file);
    }
    if (!in.ok() || in.left() != 0) return damagedStore(file);
    return library;
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
