#include "library/duplicates.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <span>

#include "base/content_hash.h"
#include "base/parallel.h"
#include "base/text.h"
#include "platform/archives.h"
#include "platform/files.h"
#include "trackfile/header_reader.h"
#include "trackfile/track_buffer.h"

namespace pitbox {
namespace {

// Files are told apart by their first bytes first, then by all of them: most
// files of one size differ early.
constexpr std::size_t kHeadBytes = 4096;
constexpr std::size_t kPieceBytes = std::size_t{64} * 1024;

// One for every file searched, so kept small: its path is the one at its own
// place among the paths given; what tells links to one file apart, and the
// hash of a track's map, are held beside the files only while needed.
struct File {
    std::uint64_t size = 0;
    Hash128 head, whole;  // of the first bytes, of all of them
    bool hashed = false;  // `whole` taken with `head`
    bool hasMap = false;  // its map was read (looking for the same track)
};

using Group = std::vector<File*>;
using SizeAnd = std::pair<std::uint64_t, Hash128>;

// What a pass on a few threads failed on, by the index of the file: failures
// are few, so a pass over a million files keeps no room for one beside each.
class FailedAt {
public:
    void add(std::size_t i, Error e) {
        const std::lock_guard lock(mutex_);
        failed_.emplace_back(i, std::move(e));
    }
    // The failures go to `out` in the order of their files; `kept(i)` hears
    // every other index, in order.
    template <class Kept>
    void split(std::size_t count, std::vector<Error>& out, const Kept& kept) {
        std::sort(failed_.begin(), failed_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        auto next = failed_.begin();
        for (std::size_t i = 0; i < count; ++i) {
            if (next != failed_.end() && next->first == i)
                out.push_back(std::move((next++)->second));
            else
                kept(i);
        }
        failed_.clear();
    }

private:
    std::mutex mutex_;
    std::vector<std::pair<std::size_t, Error>> failed_;
};

Result<std::vector<std::uint8_t>> memberBytes(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    auto got = platform::readTrackSource(path, kTrackBufferBytes, bytes);
    if (!got) return got.error();
    bytes.resize(*got);
    return bytes;
}

// The reading buffers of this thread, made once: a search of a million
// files reads them all through a few of these.
std::vector<std::uint8_t>& pieceBuffer(int which) {
    thread_local std::vector<std::uint8_t> pieces[2] = {std::vector<std::uint8_t>(kPieceBytes),
                                                        std::vector<std::uint8_t>(kPieceBytes)};
    return pieces[which];
}

// The hashes of a file's first kHeadBytes and, when that is all of it, of
// all its bytes.
struct HeadHash {
    Hash128 head;
    std::optional<Hash128> whole;
};
Result<HeadHash> hashHead(const std::string& path) {
    std::vector<std::uint8_t>& piece = pieceBuffer(0);
    std::span<const std::uint8_t> bytes;
    std::vector<std::uint8_t> member;
    bool toEnd = false;
    if (platform::isArchiveMember(path)) {
        auto whole = memberBytes(path);
        if (!whole) return whole.error();
        member = std::move(*whole);
        bytes = member;
        toEnd = true;
    } else {
        auto reader = platform::FileReader::open(path);
        if (!reader) return reader.error();
        std::size_t got = 0;
        // The head, and a byte past it shows whether that was all. Reading
        // more at once would read on into most files for nothing: most files
        // of one size differ early.
        while (got < kHeadBytes) {
            auto n = reader->read(std::span(piece).subspan(got, kHeadBytes - got));
            if (!n) return n.error();
            if (*n == 0) {
                toEnd = true;
                break;
            }
            got += *n;
        }
        bytes = std::span(piece).first(got);
        if (!toEnd) {
            std::uint8_t past = 0;
            auto n = reader->read(std::span(&past, 1));
            if (!n) return n.error();
            toEnd = *n == 0;
        }
    }
    HeadHash h;
    ContentHash head;
    head.add(bytes.first(std::min(bytes.size(), kHeadBytes)));
    h.head = head.digest();
    if (toEnd) {
        ContentHash whole;
        whole.add(bytes);
        h.whole = whole.digest();
    }
    return h;
}

// The hash of all of a file's bytes.
Result<Hash128> hashFile(const std::string& path) {
    if (platform::isArchiveMember(path)) {
        auto whole = memberBytes(path);
        if (!whole) return whole.error();
        ContentHash hash;
        hash.add(*whole);
        return hash.digest();
    }
    auto reader = platform::FileReader::open(path);
    if (!reader) return reader.error();
    std::vector<std::uint8_t>& piece = pieceBuffer(0);
    ContentHash hash;
    for (;;) {
        auto got = reader->read(piece);
        if (!got) return got.error();
        if (*got == 0) break;
        hash.add(std::span(piece).first(*got));
    }
    return hash.digest();
}

// Whether two files hold the same bytes, compared a piece at a time.
Result<bool> sameBytes(const std::string& a, const std::string& b) {
    if (platform::isArchiveMember(a) || platform::isArchiveMember(b)) {
        std::vector<std::uint8_t> p, q;
        auto m = platform::readTrackSource(a, kTrackBufferBytes, p);
        if (!m) return m.error();
        auto n = platform::readTrackSource(b, kTrackBufferBytes, q);
        if (!n) return n.error();
        return *m == *n && std::equal(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(*m), q.begin());
    }
    auto x = platform::FileReader::open(a);
    if (!x) return x.error();
    auto y = platform::FileReader::open(b);
    if (!y) return y.error();
    if (x->size() != y->size()) return false;
    std::vector<std::uint8_t>& p = pieceBuffer(0);
    std::vector<std::uint8_t>& q = pieceBuffer(1);
    for (;;) {
        auto m = x->read(p);
        if (!m) return m.error();
        auto n = y->read(q);
        if (!n) return n.error();
        if (*m != *n || !std::equal(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(*m), q.begin())) return false;
        if (*m == 0) return true;
    }
}

// A track's map, the file read whole (a track fits the track buffer).
Result<std::optional<std::string>> mapOf(const std::string& path, std::vector<std::uint8_t>& buffer) {
    auto got = platform::readTrackSource(path, kTrackBufferBytes, buffer);
    if (!got) {
        if (got.error().code == ErrorCode::TooLarge) return std::optional<std::string>();
        return got.error();
    }
    return trackMapBytes(std::span(buffer.data(), *got));
}

class Search {
public:
    Search(PathList paths, const std::function<void(std::size_t)>& looked, const std::atomic<bool>* stop)
        : paths_(std::move(paths)), looked_(looked), stop_(stop) {}

    DuplicateGroups run(DuplicateKind kind) {
        out_.kind = kind;
        std::vector<PathGroup> groups, identical;
        search(kind, groups, identical);
        // The files' records go before their paths are copied out: a search
        // whose every file is one group would hold both.
        std::vector<File>().swap(files_);
        std::vector<Hash128>().swap(maps_);
        if (stopped()) return {};
        out_.identical = pathsOut(identical);
        out_.groups = pathsOut(groups);
        std::sort(out_.groups.begin(), out_.groups.end());
        std::sort(out_.identical.begin(), out_.identical.end());
        std::stable_sort(out_.failures.begin(), out_.failures.end(),
                         [](const Error& a, const Error& b) { return a.file < b.file; });
        return std::move(out_);
    }

private:
    using PathGroup = std::vector<std::size_t>;  // places among the paths, in the paths' byte order

    void search(DuplicateKind kind, std::vector<PathGroup>& groups, std::vector<PathGroup>& identical) {
        // What is counted: every file looked at for identical files, every
        // file read for the same track.
        const std::vector<File*> files = lookAtAll(kind == DuplicateKind::IdenticalFiles);
        if (kind == DuplicateKind::IdenticalFiles) {
            for (Group& g : identicalAmong(files)) groups.push_back(pathsOf(g));
            return;
        }
        // Tracks by their map; old-format and damaged files only as identical files.
        readMaps(files);
        std::vector<File*> tracks, others;
        for (File* f : files) (f->hasMap ? tracks : others).push_back(f);
        for (Group& g : sameTracks(tracks)) {
            for (Group& same : identicalAmong(g)) identical.push_back(pathsOf(same));
            groups.push_back(pathsOf(g));
        }
        for (Group& g : identicalAmong(others)) {
            identical.push_back(pathsOf(g));
            groups.push_back(pathsOf(g));
        }
    }

    // Each group's paths, and its places let go as it is.
    std::vector<std::vector<std::string>> pathsOut(std::vector<PathGroup>& groups) const {
        std::vector<std::vector<std::string>> out;
        out.reserve(groups.size());
        for (PathGroup& g : groups) {
            auto& paths = out.emplace_back();
            paths.reserve(g.size());
            for (std::size_t i : g) paths.push_back(paths_.path(i));
            PathGroup().swap(g);
        }
        return out;
    }

    // Every file looked at: those that cannot be, and anything but a regular
    // file, are failures, whatever the kind of search. One file reached by
    // several paths (links) counts once, under its first path in byte order.
    std::vector<File*> lookAtAll(bool counted) {
        files_.resize(paths_.size());
        std::vector<platform::FileKey> keys(paths_.size());
        FailedAt failed;
        forEachIndex(
            paths_.size(),
            [&](std::size_t i) {
                File& f = files_[i];
                if (stopped()) return;
                // A member is a file of its own, as large as it inflates to.
                const std::string path = paths_.path(i);
                if (platform::isArchiveMember(path)) {
                    auto whole = memberBytes(path);
                    if (!whole) {
                        failed.add(i, whole.error());
                    } else {
                        keys[i] = {UINT64_MAX, i};
                        f.size = whole->size();
                    }
                    return;
                }
                auto status = platform::fileStatus(path);
                if (!status) {
                    failed.add(i, status.error());
                } else if (!status->regular) {
                    failed.add(i, Error{ErrorCode::NotRegularFile, path, "not a regular file"});
                } else {
                    keys[i] = status->key;
                    f.size = status->size;
                }
            },
            [&](std::size_t done) {
                if (counted && looked_) looked_(done);
            });
        // One file under each key, its first path in byte order; in the order of the keys.
        std::vector<File*> looked;
        looked.reserve(files_.size());
        failed.split(files_.size(), out_.failures, [&](std::size_t i) { looked.push_back(&files_[i]); });
        const auto keyOf = [&](const File* f) -> const platform::FileKey& { return keys[indexOf(f)]; };
        std::sort(looked.begin(), looked.end(), [&](const File* a, const File* b) {
            return keyOf(a) != keyOf(b) ? keyOf(a) < keyOf(b) : paths_.before(indexOf(a), indexOf(b));
        });
        std::size_t kept = 0;
        for (File* f : looked)
            if (kept == 0 || !(keyOf(looked[kept - 1]) == keyOf(f))) looked[kept++] = f;
        looked.resize(kept);
        return looked;
    }

    // Runs `step` on each file on a few threads; a file it fails on is named
    // and drops out.
    std::vector<File*> eachFile(std::vector<File*> files, const std::function<Result<void>(File&)>& step) {
        FailedAt failed;
        forEachIndex(files.size(), [&](std::size_t i) {
            if (stopped()) return;
            if (auto done = step(*files[i]); !done) failed.add(i, done.error());
        });
        std::size_t kept = 0;
        failed.split(files.size(), out_.failures, [&](std::size_t i) { files[kept++] = files[i]; });
        files.resize(kept);
        return files;
    }

    std::size_t indexOf(const File* f) const { return static_cast<std::size_t>(f - files_.data()); }
    std::string pathOf(const File& f) const { return paths_.path(indexOf(&f)); }

    // Hands `each` every run of two or more files with equal keys, in the
    // order of the keys, each run in the order of `files`. The files are
    // sorted themselves, not copied beside their keys: a search holds a few
    // such lists of every file.
    template <class KeyOf, class Each>
    static void eachRunOfEqualKeys(std::vector<File*> files, const KeyOf& keyOf, const Each& each) {
        std::stable_sort(files.begin(), files.end(),
                         [&](const File* a, const File* b) { return keyOf(*a) < keyOf(*b); });
        for (std::size_t at = 0; at < files.size();) {
            std::size_t end = at + 1;
            while (end < files.size() && keyOf(*files[end]) == keyOf(*files[at])) ++end;
            if (end - at > 1) each(std::span(files).subspan(at, end - at));
            at = end;
        }
    }

    template <class KeyOf>
    static std::vector<Group> groupsBy(std::vector<File*> files, const KeyOf& keyOf) {
        std::vector<Group> groups;
        eachRunOfEqualKeys(std::move(files), keyOf,
                           [&](std::span<File*> run) { groups.emplace_back(run.begin(), run.end()); });
        return groups;
    }

    // The files of those groups, in one list: only they are read on.
    template <class KeyOf>
    static std::vector<File*> sharingKey(std::vector<File*> files, const KeyOf& keyOf) {
        std::vector<File*> sharing;
        eachRunOfEqualKeys(std::move(files), keyOf,
                           [&](std::span<File*> run) { sharing.insert(sharing.end(), run.begin(), run.end()); });
        return sharing;
    }

    // Files of one size, then of one first piece, then of one hash, and last
    // the same byte for byte: only what may still be a duplicate is read on.
    std::vector<Group> identicalAmong(const std::vector<File*>& files) {
        // Each list is handed on and gone once the next is made.
        // A file within its head is read once here: its whole hash comes
        // with its head's.
        auto headed =
            eachFile(sharingKey(files, [](const File& f) { return f.size; }), [this](File& f) -> Result<void> {
                auto h = hashHead(pathOf(f));
                if (!h) return h.error();
                f.head = h->head;
                f.whole = h->whole.value_or(Hash128{});
                f.hashed = h->whole.has_value();
                return {};
            });
        auto hashed = eachFile(sharingKey(std::move(headed),
                                          [](const File& f) {
                                              return SizeAnd{f.size, f.head};
                                          }),
                               [this](File& f) -> Result<void> {
                                   if (f.hashed) return {};
                                   auto h = hashFile(pathOf(f));
                                   if (!h) return h.error();
                                   f.whole = *h;
                                   return {};
                               });
        return confirmed(groupsBy(std::move(hashed),
                                  [](const File& f) {
                                      return SizeAnd{f.size, f.whole};
                                  }),
                         [this](const File& a, const File& b) { return sameBytes(pathOf(a), pathOf(b)); });
    }

    void readMaps(const std::vector<File*>& files) {
        maps_.resize(files_.size());
        forEachIndex(
            files.size(),
            [&](std::size_t i) {
                thread_local std::vector<std::uint8_t> buffer;
                File& f = *files[i];
                if (stopped()) return;
                auto map = mapOf(pathOf(f), buffer);
                if (map && *map) {
                    maps_[indexOf(&f)] =
                        hashOf({reinterpret_cast<const std::uint8_t*>((*map)->data()), (*map)->size()});
                    f.hasMap = true;
                }
                // A file that cannot be read here fails again, and is named, as an identical file.
            },
            looked_);
    }

    std::vector<Group> sameTracks(const std::vector<File*>& tracks) {
        return confirmed(groupsBy(tracks, [this](const File& f) { return maps_[indexOf(&f)]; }),
                         [this](const File& a, const File& b) -> Result<bool> {
                             std::vector<std::uint8_t> buffer;
                             auto x = mapOf(pathOf(a), buffer);
                             if (!x) return x.error();
                             auto y = mapOf(pathOf(b), buffer);
                             if (!y) return y.error();
                             return *x && *y && **x == **y;
                         });
    }

    // Each group of equal hashes split into the groups that are equal indeed:
    // each file is compared with the first of every group found so far. The
    // groups of equal hashes are taken on a few threads at once.
    std::vector<Group> confirmed(const std::vector<Group>& candidates,
                                 const std::function<Result<bool>(const File&, const File&)>& same) {
        std::vector<std::vector<Group>> foundIn(candidates.size());
        std::vector<std::vector<Error>> failedIn(candidates.size());
        forEachIndex(candidates.size(), [&](std::size_t c) {
            if (stopped()) return;
            std::vector<Group>& found = foundIn[c];
            for (File* f : candidates[c]) {
                bool placed = false;
                for (Group& g : found) {
                    auto equal = same(*g.front(), *f);
                    if (!equal) failedIn[c].push_back(equal.error());
                    if (!equal || *equal) {
                        if (equal) g.push_back(f);
                        placed = true;
                        break;
                    }
                }
                if (!placed) found.push_back({f});
            }
        });
        std::vector<Group> groups;
        for (std::size_t c = 0; c < candidates.size(); ++c) {
            for (Error& e : failedIn[c]) out_.failures.push_back(std::move(e));
            for (Group& g : foundIn[c])
                if (g.size() > 1) groups.push_back(std::move(g));
        }
        return groups;
    }

    PathGroup pathsOf(const Group& g) const {
        PathGroup paths;
        paths.reserve(g.size());
        for (const File* f : g) paths.push_back(indexOf(f));
        std::sort(paths.begin(), paths.end(), [this](std::size_t a, std::size_t b) { return paths_.before(a, b); });
        return paths;
    }

    bool stopped() const { return stop_ && stop_->load(std::memory_order_relaxed); }

    const PathList paths_;
    const std::function<void(std::size_t)>& looked_;
    const std::atomic<bool>* stop_;
    std::vector<File> files_;
    std::vector<Hash128> maps_;  // by file, looking for the same track
    DuplicateGroups out_;
};

}  // namespace

bool pathBefore(const DuplicateFile& a, const DuplicateFile& b) {
    return joinedBefore(a.path, a.pathRest, b.path, b.pathRest);
}

std::size_t fileToKeep(std::span<const DuplicateFile> group) {
    std::size_t keep = static_cast<std::size_t>(-1);
    for (std::size_t i = 0; i < group.size(); ++i)
        if (keep == static_cast<std::size_t>(-1) || keptBefore(group[i], group[keep])) keep = i;
    return keep;
}

DuplicateGroups findDuplicates(PathList paths, DuplicateKind kind,
                               const std::function<void(std::size_t looked)>& looked, const std::atomic<bool>* stop) {
    return Search(std::move(paths), looked, stop).run(kind);
}

}  // namespace pitbox
