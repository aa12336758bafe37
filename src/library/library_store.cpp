#include "library/library_store.h"

#include <cstring>
#include <string_view>
#include <unordered_map>

#include "base/byte_reader.h"
#include "platform/file_replacement.h"
#include "platform/paths.h"

namespace pitbox {
namespace {

// The store: the magic, the version, the settings, the entries, and an FNV-1a
// sum of everything before it, all little-endian.
constexpr char kMagic[8] = {'K', 'P', 'B', 'X', 'L', 'I', 'B', '\n'};
constexpr std::size_t kSumBytes = 8;
constexpr std::size_t kLeastEntryBytes = 5 * 4 + 2 * 4 + 2 + 8 + 8;  // five empty texts and the numbers

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

}  // namespace

std::string libraryStorePath() {
    const std::string folder = platform::userStateFolder();
    if (folder.empty()) return {};
#ifdef _WIN32
    return folder + "Kestrun Pitbox\\library.dat";
#else
    return folder + "kestrun-pitbox/library.dat";
#endif
}

std::string encodeLibrary(const RememberedSettings& settings, const Catalogue& catalogue) {
    Writer w;
    w.out.append(kMagic, sizeof kMagic);
    w.u32(kLibraryVersion);
    w.text(settings.loadFolder);
    w.text(settings.targetFolder);
    w.u32(static_cast<std::uint32_t>(settings.columnWidths.size()));
    for (int width : settings.columnWidths) w.u32(static_cast<std::uint32_t>(width));
    for (int v : {settings.x, settings.y, settings.width, settings.height}) w.u32(static_cast<std::uint32_t>(v));
    w.u8(settings.maximised ? 1 : 0);
    w.u32(static_cast<std::uint32_t>(catalogue.count()));
    for (const TrackEntry& e : catalogue.entries()) {
        for (const Text& t : {e.path, e.name, e.author, e.record, e.problem}) w.text(t.view());
        w.u32(static_cast<std::uint32_t>(e.worldSize));
        w.u32(static_cast<std::uint32_t>(e.length));
        w.u8(static_cast<std::uint8_t>(e.state));
        w.u8(e.marked110 ? 1 : 0);
        w.u64(e.stamp.size);
        w.u64(static_cast<std::uint64_t>(e.stamp.modified));
    }
    const std::uint64_t sum = sumOf({reinterpret_cast<const std::uint8_t*>(w.out.data()), w.out.size()});
    w.u64(sum);
    return std::move(w.out);
}

Result<RememberedLibrary> decodeLibrary(std::span<const std::uint8_t> bytes, const std::string& file) {
    if (bytes.size() < sizeof kMagic + 4 + kSumBytes || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return damaged(file, "not a library store");
    Cursor header(bytes.subspan(sizeof kMagic));
    if (header.u32() != kLibraryVersion) return damaged(file, "a library store of another version");
    const auto body = bytes.first(bytes.size() - kSumBytes);
    if (Cursor(bytes.subspan(body.size())).u64() != sumOf(body)) return damaged(file, "a damaged library store");

    Cursor in(body.subspan(sizeof kMagic + 4));
    RememberedLibrary library;
    RememberedSettings& s = library.settings;
    s.loadFolder = in.text();
    s.targetFolder = in.text();
    const std::uint32_t columns = in.u32();
    if (columns > 64) return damaged(file, "a damaged library store");
    for (std::uint32_t c = 0; c < columns; ++c) s.columnWidths.push_back(static_cast<std::int32_t>(in.u32()));
    for (int* v : {&s.x, &s.y, &s.width, &s.height}) *v = static_cast<std::int32_t>(in.u32());
    s.maximised = in.flag();
    const std::uint32_t count = in.u32();
    // Every entry takes some bytes: a count the rest cannot hold is damage, not a reason to allocate.
    if (!in.ok() || count > in.left() / kLeastEntryBytes) return damaged(file, "a damaged library store");
    Catalogue& c = library.catalogue;
    for (std::uint32_t i = 0; i < count && in.ok(); ++i) {
        TrackEntry& e = c.append();
        for (Text* t : {&e.path, &e.name, &e.author, &e.record, &e.problem}) c.setText(*t, in.text());
        e.worldSize = static_cast<std::int32_t>(in.u32());
        e.length = static_cast<std::int32_t>(in.u32());
        const std::uint8_t state = in.u8();
        if (state > static_cast<std::uint8_t>(TrackState::Unreadable)) return damaged(file, "a damaged library store");
        e.state = static_cast<TrackState>(state);
        e.marked110 = in.flag();
        e.stamp.size = in.u64();
        e.stamp.modified = static_cast<std::int64_t>(in.u64());
    }
    if (!in.ok() || in.left() != 0) return damaged(file, "a damaged library store");
    return library;
}

std::string sealLibrary(std::string_view body) {
    Writer w;
    w.out.append(kMagic, sizeof kMagic);
    w.u32(kLibraryVersion);
    w.out.append(body);
    w.u64(sumOf({reinterpret_cast<const std::uint8_t*>(w.out.data()), w.out.size()}));
    return std::move(w.out);
}

std::string_view libraryBody(std::string_view store) {
    constexpr std::size_t kHead = sizeof kMagic + 4;
    return store.size() < kHead + kSumBytes ? std::string_view()
                                            : store.substr(kHead, store.size() - kHead - kSumBytes);
}

Result<std::optional<RememberedLibrary>> readLibrary(const std::string& path) {
    // A few hundred bytes a track: a million tracks fit under the limit.
    constexpr std::size_t kMostBytes = std::size_t{1} << 30;
    std::vector<std::uint8_t> bytes;
    auto read = platform::readRegularFile(path, kMostBytes, bytes);
    if (!read) {
        // Nothing there is a first start, not a failure.
        if (read.error().code == ErrorCode::CannotOpen && !platform::fileStatus(path))
            return std::optional<RememberedLibrary>();
        return read.error().code == ErrorCode::TooLarge ? damaged(path, "a damaged library store") : read.error();
    }
    auto library = decodeLibrary(std::span<const std::uint8_t>(bytes.data(), *read), path);
    if (!library) return library.error();
    return std::optional<RememberedLibrary>(std::move(*library));
}

Result<void> writeLibrary(const std::string& path, const RememberedSettings& settings, const Catalogue& catalogue) {
    // The folders on the way, made where missing (a fresh account has no state folder).
    const std::string folder(platform::pathPart(path));
    for (std::size_t at = folder.find_first_not_of("/\\"); at < folder.size(); ++at) {
        if (!platform::isSeparator(folder[at])) continue;
        const std::string ancestor = folder.substr(0, at);
        if (platform::fileStatus(ancestor)) continue;
        auto made = platform::makeFolder(ancestor);
        if (!made && made.error().code != ErrorCode::Exists) return made.error();
    }
    return platform::replaceFile(path, encodeLibrary(settings, catalogue));
}

std::vector<TrackEntry*> takeRememberedFields(Catalogue& fresh, const Catalogue& remembered) {
    // Both lists come from a walk in the same order: while they agree entry by
    // entry no lookup is needed, and the table of paths is made only at the
    // first difference.
    std::unordered_map<std::string_view, const TrackEntry*> byPath;
    const auto rememberedAs = [&](std::size_t i, std::string_view path) -> const TrackEntry* {
        if (byPath.empty() && i < remembered.count() && remembered[i].path.view() == path) return &remembered[i];
        if (byPath.empty()) {
            byPath.reserve(remembered.count());
            for (const TrackEntry& e : remembered.entries()) byPath.emplace(e.path.view(), &e);
        }
        const auto it = byPath.find(path);
        return it == byPath.end() ? nullptr : it->second;
    };
    std::vector<TrackEntry*> toRead;
    for (std::size_t i = 0; i < fresh.count(); ++i) {
        TrackEntry& e = fresh[i];
        const TrackEntry* twin = rememberedAs(i, e.path.view());
        if (twin && twin->state == TrackState::Unscanned) continue;
        if (!twin || twin->stamp != e.stamp) {
            toRead.push_back(&e);
            continue;
        }
        const TrackEntry& r = *twin;
        if (r.marked110) fresh.setText(e.name, r.name.view());
        fresh.setText(e.author, r.author.view());
        fresh.setText(e.record, r.record.view());
        fresh.setText(e.problem, r.problem.view());
        e.worldSize = r.worldSize;
        e.length = r.length;
        e.state = r.state;
        e.marked110 = r.marked110;
    }
    return toRead;
}

}  // namespace pitbox
