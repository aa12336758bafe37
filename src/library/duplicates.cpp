#include "library/duplicates.h"

#include <algorithm>
#include <optional>

#include "base/content_hash.h"
#include "base/parallel.h"
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

struct File {
    const std::string* path = nullptr;
    platform::FileKey key;
    std::uint64_t size = 0;
    Hash128 head, whole;         // of the first bytes, of all of them
    bool hashed = false;         // `whole` taken with `head`
    std::optional<Hash128> map;  // of a track's map (looking for the same track)
};

using Group = std::vector<File*>;

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
    Search(const std::vector<std::string>& paths, const std::function<void(std::size_t)>& looked,
           const std::atomic<bool>* stop)
        : paths_(paths), looked_(looked), stop_(stop) {}

    DuplicateGroups run(DuplicateKind kind) {
        // What is counted: every file looked at for identical files, every
        // file read for the same track.
        const std::vector<File*> files = lookAtAll(kind == DuplicateKind::IdenticalFiles);
        if (kind == DuplicateKind::IdenticalFiles) {
            for (Group& g : identicalAmong(files)) out_.groups.push_back(pathsOf(g));
        } else {
            // Tracks by their map; old-format and damaged files only as identical files.
            readMaps(files);
            std::vector<File*> tracks, others;
            for (File* f : files) (f->map ? tracks : others).push_back(f);
            for (Group& g : sameTracks(tracks)) {
                for (Group& same : identicalAmong(g)) out_.identical.push_back(pathsOf(same));
                out_.groups.push_back(pathsOf(g));
            }
            for (Group& g : identicalAmong(others)) {
                out_.identical.push_back(pathsOf(g));
                out_.groups.push_back(pathsOf(g));
            }
        }
        if (kind == DuplicateKind::IdenticalFiles) out_.identical = out_.groups;
        if (stopped()) return {};
        std::sort(out_.groups.begin(), out_.groups.end());
        std::sort(out_.identical.begin(), out_.identical.end());
        std::stable_sort(out_.failures.begin(), out_.failures.end(),
                         [](const Error& a, const Error& b) { return a.file < b.file; });
        return std::move(out_);
    }

private:
    // Every file looked at: those that cannot be, and anything but a regular
    // file, are failures, whatever the kind of search. One file reached by
    // several paths (links) counts once, under its first path in byte order.
    std::vector<File*> lookAtAll(bool counted) {
        files_.resize(paths_.size());
        std::vector<std::optional<Error>> failed(paths_.size());
        forEachIndex(
            paths_.size(),
            [&](std::size_t i) {
                File& f = files_[i];
                f.path = &paths_[i];
                if (stopped()) return;
                // A member is a file of its own, as large as it inflates to.
                if (platform::isArchiveMember(paths_[i])) {
                    auto whole = memberBytes(paths_[i]);
                    if (!whole) {
                        failed[i] = whole.error();
                    } else {
                        f.key = {UINT64_MAX, i};
                        f.size = whole->size();
                    }
                    return;
                }
                auto status = platform::fileStatus(paths_[i]);
                if (!status) {
                    failed[i] = status.error();
                } else if (!status->regular) {
                    failed[i] = Error{ErrorCode::NotRegularFile, paths_[i], "not a regular file"};
                } else {
                    f.key = status->key;
                    f.size = status->size;
                }
            },
            [&](std::size_t done) {
                if (counted && looked_) looked_(done);
            });
        // One file under each key, its first path in byte order; in the order of the keys.
        std::vector<File*> looked;
        looked.reserve(files_.size());
        for (std::size_t i = 0; i < files_.size(); ++i) {
            if (failed[i])
                out_.failures.push_back(std::move(*failed[i]));
            else
                looked.push_back(&files_[i]);
        }
        std::sort(looked.begin(), looked.end(), [](const File* a, const File* b) {
            return a->key != b->key ? a->key < b->key : *a->path < *b->path;
        });
        std::vector<File*> files;
        files.reserve(looked.size());
        for (File* f : looked)
            if (files.empty() || !(files.back()->key == f->key)) files.push_back(f);
        return files;
    }

    // Runs `step` on each file on a few threads; a file it fails on is named
    // and drops out.
    std::vector<File*> eachFile(const std::vector<File*>& files, const std::function<Result<void>(File&)>& step) {
        std::vector<std::optional<Error>> failed(files.size());
        forEachIndex(files.size(), [&](std::size_t i) {
            if (stopped()) return;
            if (auto done = step(*files[i]); !done) failed[i] = done.error();
        });
        std::vector<File*> kept;
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (failed[i])
                out_.failures.push_back(std::move(*failed[i]));
            else
                kept.push_back(files[i]);
        }
        return kept;
    }

    // The groups of two or more files with equal keys, in the order of the
    // keys, each in the order of `files`.
    template <class Key>
    static std::vector<Group> groupsBy(const std::vector<File*>& files, const std::function<Key(const File&)>& keyOf) {
        std::vector<std::pair<Key, File*>> keyed;
        keyed.reserve(files.size());
        for (File* f : files) keyed.emplace_back(keyOf(*f), f);
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<Group> groups;
        for (std::size_t at = 0; at < keyed.size();) {
            std::size_t end = at + 1;
            while (end < keyed.size() && keyed[end].first == keyed[at].first) ++end;
            if (end - at > 1) {
                Group& g = groups.emplace_back();
                for (std::size_t i = at; i < end; ++i) g.push_back(keyed[i].second);
            }
            at = end;
        }
        return groups;
    }

    static std::vector<File*> together(const std::vector<Group>& groups) {
        std::vector<File*> all;
        for (const Group& g : groups) all.insert(all.end(), g.begin(), g.end());
        return all;
    }

    // Files of one size, then of one first piece, then of one hash, and last
    // the same byte for byte: only what may still be a duplicate is read on.
    std::vector<Group> identicalAmong(const std::vector<File*>& files) {
        using SizeAnd = std::pair<std::uint64_t, Hash128>;
        const auto sameSize = together(groupsBy<std::uint64_t>(files, [](const File& f) { return f.size; }));
        // A file within its head is read once here: its whole hash comes
        // with its head's.
        const auto headed = eachFile(sameSize, [](File& f) -> Result<void> {
            auto h = hashHead(*f.path);
            if (!h) return h.error();
            f.head = h->head;
            f.whole = h->whole.value_or(Hash128{});
            f.hashed = h->whole.has_value();
            return {};
        });
        const auto sameHead = together(groupsBy<SizeAnd>(headed, [](const File& f) {
            return SizeAnd{f.size, f.head};
        }));
        const auto hashed = eachFile(sameHead, [](File& f) -> Result<void> {
            if (f.hashed) return {};
            auto h = hashFile(*f.path);
            if (!h) return h.error();
            f.whole = *h;
            return {};
        });
        return confirmed(groupsBy<SizeAnd>(hashed,
                                           [](const File& f) {
                                               return SizeAnd{f.size, f.whole};
                                           }),
                         [](const File& a, const File& b) { return sameBytes(*a.path, *b.path); });
    }

    void readMaps(const std::vector<File*>& files) {
        forEachIndex(
            files.size(),
            [&](std::size_t i) {
                thread_local std::vector<std::uint8_t> buffer;
                File& f = *files[i];
                if (stopped()) return;
                auto map = mapOf(*f.path, buffer);
                if (map && *map)
                    f.map = hashOf({reinterpret_cast<const std::uint8_t*>((*map)->data()), (*map)->size()});
                // A file that cannot be read here fails again, and is named, as an identical file.
            },
            looked_);
    }

    std::vector<Group> sameTracks(const std::vector<File*>& tracks) {
        return confirmed(groupsBy<Hash128>(tracks, [](const File& f) { return *f.map; }),
                         [](const File& a, const File& b) -> Result<bool> {
                             std::vector<std::uint8_t> buffer;
                             auto x = mapOf(*a.path, buffer);
                             if (!x) return x.error();
                             auto y = mapOf(*b.path, buffer);
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

    static std::vector<std::string> pathsOf(const Group& g) {
        std::vector<std::string> paths;
        for (const File* f : g) paths.push_back(*f->path);
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    bool stopped() const { return stop_ && stop_->load(std::memory_order_relaxed); }

    const std::vector<std::string>& paths_;
    const std::function<void(std::size_t)>& looked_;
    const std::atomic<bool>* stop_;
    std::vector<File> files_;
    DuplicateGroups out_;
};

}  // namespace

bool pathBefore(const DuplicateFile& a, const DuplicateFile& b) {
    std::string_view x = a.path, xRest = a.pathRest, y = b.path, yRest = b.pathRest;
    for (;;) {
        if (x.empty()) std::swap(x, xRest);
        if (y.empty()) std::swap(y, yRest);
        if (x.empty() || y.empty()) return x.empty() && !y.empty();
        const std::size_t n = std::min(x.size(), y.size());
        if (const int c = x.substr(0, n).compare(y.substr(0, n)); c != 0) return c < 0;
        x.remove_prefix(n);
        y.remove_prefix(n);
    }
}

std::size_t fileToKeep(std::span<const DuplicateFile> group) {
    std::size_t keep = static_cast<std::size_t>(-1);
    for (std::size_t i = 0; i < group.size(); ++i)
        if (keep == static_cast<std::size_t>(-1) || keptBefore(group[i], group[keep])) keep = i;
    return keep;
}

DuplicateGroups findDuplicates(const std::vector<std::string>& paths, DuplicateKind kind,
                               const std::function<void(std::size_t looked)>& looked, const std::atomic<bool>* stop) {
    return Search(paths, looked, stop).run(kind);
}

}  // namespace pitbox
