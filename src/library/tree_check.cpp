#include "library/tree_check.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <span>
#include <thread>

#include "base/parallel.h"
#include "library/folder_load.h"
#include "library/header_refresh.h"
#include "platform/archives.h"
#include "platform/paths.h"

namespace pitbox {
namespace {

std::uint64_t hashOf(std::string_view text) { return std::hash<std::string_view>{}(text); }

std::uint64_t mixed(std::uint64_t h, std::uint64_t v) {
    // splitmix64's finaliser over each value in turn
    h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    h ^= h >> 30;
    h *= 0xbf58476d1ce4e5b9ULL;
    h ^= h >> 27;
    h *= 0x94d049bb133111ebULL;
    return h ^ (h >> 31);
}

std::uint64_t hashOf(const platform::FileStamp& s) {
    std::uint64_t h = mixed(0, s.size);
    h = mixed(h, static_cast<std::uint64_t>(s.modified));
    h = mixed(h, static_cast<std::uint64_t>(s.changed));
    h = mixed(h, s.index);
    return mixed(h, s.settled ? 1 : 0);
}

// The file a walk lists for a known track, its own or the pack it lies in,
// as its folder and its name.
std::pair<std::string_view, std::string_view> listedFile(const TrackEntry& e) {
    // What names a pack is in the folders, never in the file's own name.
    const std::string_view pack = platform::archivePartOf(e.folderPath());
    if (pack.empty()) return {e.folderPath(), e.file};
    return {platform::pathPart(pack), platform::filePart(pack)};
}

// The known tracks by the folder whose listing holds their files, each
// folder's in the order of their files. A track in a folder with a pack's name
// is put by its text with the pack's folder; both folders then differ, and
// are looked at again with the files asked.
class KnownFolders {
public:
    explicit KnownFolders(KnownTracks known) : files_(std::move(known.files)) {
        // Each track's folder becomes its hash's place among the hashes in
        // their order, once a folder, so that the sort compares the tracks'
        // own numbers. A folder with no hash (none was taken) counts as 0.
        std::vector<std::uint64_t>& hashes = known.folders;
        hashes.push_back(0);
        std::vector<std::uint64_t> ordered = hashes;
        std::sort(ordered.begin(), ordered.end());
        ordered.erase(std::unique(ordered.begin(), ordered.end()), ordered.end());
        std::vector<std::uint32_t> place(hashes.size());
        for (std::size_t f = 0; f < hashes.size(); ++f)
            place[f] = static_cast<std::uint32_t>(std::lower_bound(ordered.begin(), ordered.end(), hashes[f]) -
                                                  ordered.begin());
        for (KnownFile& k : files_) k.folder = place[std::min<std::size_t>(k.folder, hashes.size() - 1)];
        std::sort(files_.begin(), files_.end(), [](const KnownFile& a, const KnownFile& b) {
            return a.folder != b.folder ? a.folder < b.folder : a.file != b.file ? a.file < b.file : a.id < b.id;
        });
        for (std::size_t i = 0; i < files_.size();) {
            std::size_t end = i;
            while (end < files_.size() && files_[end].folder == files_[i].folder) ++end;
            folders_.push_back({ordered[files_[i].folder], i, end});
            i = end;
        }
        seen_.assign(folders_.size(), 0);
    }

    // The known tracks of the folder hashed `folder` (none for a folder that
    // had none). Each folder is asked for once, from one thread.
    std::span<const KnownFile> take(std::uint64_t folder) {
        const auto at = std::lower_bound(folders_.begin(), folders_.end(), folder,
                                         [](const Folder& f, std::uint64_t h) { return f.hash < h; });
        if (at == folders_.end() || at->hash != folder) return {};
        seen_[static_cast<std::size_t>(at - folders_.begin())] = 1;
        return {files_.data() + at->first, at->end - at->first};
    }

    // The folders no walk asked for, each by the id of one of its tracks.
    std::vector<std::uint32_t> unseen() const {
        std::vector<std::uint32_t> folders;
        for (std::size_t i = 0; i < folders_.size(); ++i)
            if (!seen_[i]) folders.push_back(files_[folders_[i].first].id);
        return folders;
    }

private:
    struct Folder {
        std::uint64_t hash;
        std::size_t first, end;
    };
    std::vector<KnownFile> files_;
    std::vector<Folder> folders_;     // in the order of their hashes
    std::vector<std::uint8_t> seen_;  // a byte a folder, each written by one thread
};

// One walk's side: the files of the folder being listed, compared with the
// known tracks there once the walk goes on to the next folder.
class FolderComparison {
public:
    explicit FolderComparison(KnownFolders& known) : known_(known) {}

    void file(const std::string& folder, std::string_view name, const std::optional<platform::FileStamp>& listed) {
        if (!listing_ || folder != folder_) {
            finish();
            folder_ = folder;
            listing_ = true;
        }
        const bool pack = platform::isArchiveName(name);
        if (pack || isTrackFileName(name))
            files_.push_back({hashOf(name), pack, std::string(name), listed, listed ? hashOf(*listed) : 0});
    }

    // The folder listed last is compared.
    void finish() {
        if (!listing_) return;
        listing_ = false;
        std::sort(files_.begin(), files_.end(), [](const Listed& a, const Listed& b) { return a.hash < b.hash; });
        if (!same(known_.take(hashOf(folder_)))) differing_.push_back(folder_);
        files_.clear();
    }

    std::vector<std::string> differing_;
    std::vector<std::pair<std::uint32_t, platform::FileStamp>> stamps_;
    platform::UnreadableFolders unreadable_;

private:
    struct Listed {
        std::uint64_t hash;
        bool pack;
        std::string name;
        std::optional<platform::FileStamp> stamp;
        std::uint64_t stampHash;
    };

    // Whether a known track is as its file, listed now, says.
    bool unchanged(const KnownFile& k, const Listed& f) {
        if (!f.stamp || (k.how() & KnownFile::kReadAgain)) return false;
        const bool same = k.stamp() == (f.stampHash & ~KnownFile::kHowBits);
        // What was not read yet takes its file's stamp as it is now; a pack
        // changed may hold other tracks.
        if ((k.how() & KnownFile::kNotRead) && !f.pack) {
            if (!same) stamps_.emplace_back(k.id, *f.stamp);
            return true;
        }
        return same;
    }

    bool same(std::span<const KnownFile> known) {
        std::size_t k = 0;
        for (const Listed& f : files_) {
            std::size_t tracks = 0;
            for (; k < known.size() && known[k].file == f.hash; ++k, ++tracks)
                if ((known[k].how() & KnownFile::kInPack) != (f.pack ? KnownFile::kInPack : 0) ||
                    !unchanged(known[k], f))
                    return false;
            if (f.pack ? tracks == 0 && holdsTracks(folder_ + f.name) : tracks != 1) return false;
        }
        return k == known.size();
    }

    // A pack that held no tracks, opened as a walk of the tree opens it.
    bool holdsTracks(const std::string& pack) {
        bool any = false;
        forEachArchivedTrack(
            pack, [&](std::string_view, std::string&&) { any = true; }, unreadable_);
        return any;
    }

    KnownFolders& known_;
    std::string folder_;
    bool listing_ = false;
    std::vector<Listed> files_;
};

}  // namespace

KnownTracks knownFiles(const Catalogue& known) {
    // Taken on the window's thread before the check begins: over every core.
    // A track's folder is told by its place among the catalogue's folders,
    // whose hashes are taken once each.
    KnownTracks tracks;
    std::vector<KnownFile>& files = tracks.files;
    files.resize(known.count());
    std::uint32_t mostFolders = 0;
    for (const TrackEntry& e : known.entries()) mostFolders = std::max(mostFolders, e.folder->index + 1);
    tracks.folders.resize(mostFolders);
    std::vector<std::uint8_t> hashed(mostFolders, 0);
    for (const TrackEntry& e : known.entries())
        if (!std::exchange(hashed[e.folder->index], 1)) tracks.folders[e.folder->index] = hashOf(listedFile(e).first);
    forEachPart(known.count(), [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            const TrackEntry& e = known[i];
            const auto file = listedFile(e).second;
            std::uint8_t how = file.data() != e.file.data() ? KnownFile::kInPack : 0;
            if (e.state == TrackState::Unscanned) how |= KnownFile::kNotRead;
            // A file that could not be read, or whose time may change unseen, is
            // read again; a pack so, of tracks not read yet, is listed again.
            const bool compared = e.state != TrackState::Unscanned || (how & KnownFile::kInPack);
            if (compared && (e.state == TrackState::Unreadable || !e.stamp.settled)) how |= KnownFile::kReadAgain;
            files[i] = {hashOf(file), (hashOf(e.stamp) & ~KnownFile::kHowBits) | how, e.id, e.folder->index};
        }
    });
    return tracks;
}

Result<platform::UnreadableFolders> compareTree(const std::string& root, KnownTracks known,
                                                TreeDifferences& differences,
                                                const std::function<void(std::size_t found)>& onFound,
                                                const std::atomic<bool>* stop) {
    std::optional<KnownFolders> folders;
    std::atomic<bool> halt{false};
    std::atomic<std::size_t> found{0};
    std::vector<std::string> below;
    std::mutex taking;
    platform::UnreadableFolders unreadable;
    differences = {};
    // A file listed goes to `comparison`, and a track counts as found.
    const auto onListed = [&](FolderComparison& comparison, const std::string& folder, std::string_view name,
                              const std::optional<platform::FileStamp>& listed) {
        if (isTrackFileName(name) && onFound) onFound(found.fetch_add(1, std::memory_order_relaxed) + 1);
        comparison.file(folder, name, listed);
    };
    // Walks `top` for `comparison`; a link met, or the caller's stop, halts every walk.
    const auto walk = [&](const std::string& top, platform::WalkReach reach, FolderComparison& comparison) {
        auto walked = platform::walkFolders(
            top,
            [&](const std::string& folder, std::string_view name, const std::optional<platform::FileStamp>& listed) {
                if ((stop && stop->load(std::memory_order_relaxed)) || reach.linkMet)
                    halt.store(true, std::memory_order_relaxed);
                onListed(comparison, folder, name, listed);
            },
            &halt, &reach);
        comparison.finish();
        if (reach.linkMet) {
            halt.store(true, std::memory_order_relaxed);
            const std::lock_guard<std::mutex> hold(taking);
            differences.linkMet = true;
        }
        return walked;
    };
    const auto gather = [&](FolderComparison& c) {
        const std::lock_guard<std::mutex> hold(taking);
        for (std::string& f : c.differing_) differences.folders.push_back(std::move(f));
        differences.stamps.insert(differences.stamps.end(), c.stamps_.begin(), c.stamps_.end());
        unreadable.insert(unreadable.end(), c.unreadable_.begin(), c.unreadable_.end());
    };

    // The root's own files first, then its folders, each with all below it,
    // handed out one at a time to a few threads. What is known is put in
    // order once the root is listed: a library that is not there costs
    // nothing more.
    std::string listedRoot;  // as the walk writes it
    std::vector<std::pair<std::string, std::optional<platform::FileStamp>>> rootFiles;
    platform::WalkReach rootReach{false, false, true, &below};
    auto rootWalked = platform::walkFolders(
        root,
        [&](const std::string& folder, std::string_view name, const std::optional<platform::FileStamp>& listed) {
            listedRoot = folder;
            rootFiles.emplace_back(name, listed);
        },
        stop, &rootReach);
    if (!rootWalked) return rootWalked.error();
    differences.linkMet = rootReach.linkMet;
    if (rootReach.linkMet || (stop && stop->load())) return std::move(*rootWalked);
    folders.emplace(std::move(known));
    FolderComparison atRoot(*folders);
    for (const auto& [name, listed] : rootFiles) onListed(atRoot, listedRoot, name, listed);
    atRoot.finish();
    unreadable = std::move(*rootWalked);
    gather(atRoot);
    std::atomic<std::size_t> next{0};
    const auto walkFolders = [&] {
        FolderComparison comparison(*folders);
        const auto halted = [&] {
            return halt.load(std::memory_order_relaxed) || (stop && stop->load(std::memory_order_relaxed));
        };
        for (std::size_t i; !halted() && (i = next.fetch_add(1)) < below.size();) {
            auto walked = walk(root + below[i] + platform::kSeparator, {true, false, true, nullptr}, comparison);
            const std::lock_guard<std::mutex> hold(taking);
            if (walked)
                unreadable.insert(unreadable.end(), walked->begin(), walked->end());
            else if (walked.error().code != ErrorCode::Missing)  // one removed since it was listed is gone
                unreadable.push_back(walked.error());
        }
        gather(comparison);
    };
    const std::size_t threads =
        std::clamp<std::size_t>(below.size(), 1, std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(walkFolders);
    walkFolders();
    for (std::thread& h : helpers) h.join();
    if (halt.load() || (stop && stop->load())) return unreadable;
    differences.unlisted = folders->unseen();
    return unreadable;
}

std::vector<std::string> changedFolders(const Catalogue& known, TreeDifferences& differences) {
    std::vector<std::string> folders = std::move(differences.folders);
    for (const std::uint32_t id : differences.unlisted)
        if (id < known.ids()) folders.emplace_back(listedFile(known.byId(id)).first);
    return folders;
}

void takeNewStamps(Catalogue& known, const TreeDifferences& differences) {
    for (const auto& [id, stamp] : differences.stamps)
        if (id < known.ids()) known.byId(id).stamp = stamp;
}

}  // namespace pitbox
