#include "library/library_store.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>
#include <unordered_map>

#include "base/text.h"
#include "platform/file_lock.h"
#include "platform/paths.h"

namespace pitbox {

Result<Catalogue> rememberedTracks(const std::string& path, const std::string& folder) {
    auto held = readLibrary(path);
    if (!held) return held.error();
    return *held ? (*held)->tracksOf(folder, path) : Catalogue();
}

Result<void> rememberTracks(const std::string& path, const std::string& folder, const Catalogue& catalogue) {
    // Writers take turns, each merging into what the one before wrote: the
    // program and pitbox-cli may end together. The folders on the way are
    // made first, as the lock lies beside the store.
    if (auto made = platform::makeFolders(std::string(platform::pathPart(path))); !made) return made.error();
    auto turn = platform::FileLock::take(path + ".lock", kStoreLockWait);
    if (!turn) {
        if (turn.error().code != ErrorCode::Busy) return turn.error();
        return Error{ErrorCode::Busy, path,
                     "another Pitbox kept it in use for " + std::to_string(kStoreLockWait.count() / 1000) + " s"};
    }
    RememberedLibrary library;
    auto held = readLibrary(path);
    // Only a store that is not a file at all is left alone; a damaged one is made anew.
    if (!held && held.error().code == ErrorCode::NotRegularFile) return held.error();
    if (held && *held) library = std::move(**held);
    // An old store's settings go to their own file before the store forgets them.
    if (library.oldSettings) {
        const std::string settings = settingsPathBeside(path);
        auto there = readSettings(settings);
        if (there && !*there)
            if (auto moved = writeSettings(settings, *library.oldSettings); !moved) return moved.error();
        library.oldSettings.reset();
    }
    if (!folder.empty()) library.remember(folder, catalogue);
    return writeLibrary(path, library);
}

namespace {

// Calls each(entry, twin) for every entry of `fresh`, with the entry of `known`
// of the same path or nullptr. Both lists come from a walk in the same order:
// while they agree entry by entry no lookup is needed, and the table of paths
// is made only at the first difference.
template <class Each>
void forEachTwin(Catalogue& fresh, std::span<TrackEntry* const> known, Each&& each) {
    std::unordered_map<PathKey, const TrackEntry*, PathKeyHash> byPath;
    for (std::size_t i = 0; i < fresh.count(); ++i) {
        TrackEntry& e = fresh[i];
        if (byPath.empty() && i < known.size() && samePath(*known[i], e)) {
            each(e, known[i]);
            continue;
        }
        if (byPath.empty()) {
            byPath.reserve(known.size());
            for (const TrackEntry* k : known) byPath.emplace(pathKey(*k), k);
        }
        const auto it = byPath.find(pathKey(e));
        each(e, it == byPath.end() ? nullptr : it->second);
    }
}

// What a read of its file made of an entry.
void takeFields(Catalogue& into, TrackEntry& e, const TrackEntry& r) {
    if (r.marked110) into.setText(e.name, r.name.view());
    into.setText(e.author, r.author.view());
    into.setText(e.record, r.record.view());
    into.setText(e.problem, r.problem.view());
    e.problemAfterPath = r.problemAfterPath;
    e.worldSize = r.worldSize;
    e.length = r.length;
    e.state = r.state;
    e.marked110 = r.marked110;
}

// Whether a file read before (`then`, not an unscanned entry) is to be read
// again, stamped `now`: it could not be read then, or it changed since.
bool readAgain(const TrackEntry& then, const platform::FileStamp& now) {
    return then.state == TrackState::Unreadable || !unchangedSince(then.stamp, now);
}

std::vector<TrackEntry*> takeFieldsOf(Catalogue& fresh, std::span<TrackEntry* const> remembered) {
    std::vector<TrackEntry*> toRead;
    forEachTwin(fresh, remembered, [&](TrackEntry& e, const TrackEntry* twin) {
        if (twin && twin->state == TrackState::Unscanned) return;
        if (!twin || readAgain(*twin, e.stamp))
            toRead.push_back(&e);
        else
            takeFields(fresh, e, *twin);
    });
    return toRead;
}

// Whether `fresh` lists the files of `known` in the same order, none of those
// read changed since; if so, those not read yet take their new stamps.
bool unchangedWalk(std::span<TrackEntry* const> known, const Catalogue& fresh) {
    if (known.size() != fresh.count()) return false;
    for (std::size_t i = 0; i < known.size(); ++i) {
        const TrackEntry& k = *known[i];
        const TrackEntry& f = fresh[i];
        if (!samePath(k, f)) return false;
        if (k.state == TrackState::Unscanned) continue;
        if (readAgain(k, f.stamp)) return false;
    }
    for (std::size_t i = 0; i < known.size(); ++i)
        if (known[i]->state == TrackState::Unscanned) known[i]->stamp = fresh[i].stamp;
    return true;
}

}  // namespace

std::vector<TrackEntry*> takeRememberedFields(Catalogue& fresh, const Catalogue& remembered) {
    return takeFieldsOf(fresh, remembered.order());
}

bool takeUnchangedWalk(Catalogue& known, const Catalogue& fresh) { return unchangedWalk(known.order(), fresh); }

std::optional<CatalogueChange> takeChangedAreas(Catalogue& known, Catalogue& walked, const ChangedAreas& areas) {
    std::vector<TrackEntry*> inside, outside;
    for (TrackEntry* e : known.order()) (areas.holds(e->folderPath(), e->file) ? inside : outside).push_back(e);
    if (unchangedWalk(inside, walked)) return std::nullopt;
    // Each walked track as the catalogue is to hold it. A file unchanged
    // since it was read, or never read, keeps its entry as it is; one
    // changed since keeps its entry and fields until it is read again, which
    // takes its new stamp with its new fields; a new one is added.
    CatalogueChange change;
    std::vector<TrackEntry*> placed;
    placed.reserve(walked.count());
    std::vector<std::uint8_t> kept(known.ids(), 0);
    forEachTwin(walked, inside, [&](const TrackEntry& w, const TrackEntry* twin) {
        TrackEntry* entry = nullptr;
        if (twin) {
            entry = &known.byId(twin->id);
            kept[twin->id] = 1;
        } else {
            entry = &known.append(w);
            change.added.push_back(entry->id);
        }
        if (twin && (twin->state == TrackState::Unscanned || !readAgain(*twin, w.stamp)))
            entry->stamp = w.stamp;
        else
            change.toRead.push_back(entry);
        placed.push_back(entry);
    });
    for (const TrackEntry* e : inside)
        if (!kept[e->id]) change.gone.push_back(e->id);
    // Both lists are in the order a walk of the whole tree sorts to: by name,
    // equal names in the walk's order. Each walked track's place among the
    // others is found by a binary search.
    const auto first = [](const TrackEntry* a, const TrackEntry* b) {
        const int byName = compareFolded(a->name.view(), b->name.view());
        return byName != 0 ? byName < 0 : comesFirstInWalk(a->path(), b->path());
    };
    std::vector<TrackEntry*> order;
    order.reserve(outside.size() + placed.size());
    auto from = outside.cbegin();
    for (TrackEntry* w : placed) {
        const auto at = std::partition_point(from, outside.cend(), [&](const TrackEntry* o) { return first(o, w); });
        order.insert(order.end(), from, at);
        order.push_back(w);
        from = at;
    }
    order.insert(order.end(), from, outside.cend());
    known.reorder(std::move(order));
    return change;
}

void keepKnownEntries(Catalogue& fresh, const Catalogue& known) {
    forEachTwin(fresh, known.order(), [&](TrackEntry& e, const TrackEntry* twin) {
        if (!twin) return;
        takeFields(fresh, e, *twin);
        e.stamp = twin->stamp;
    });
}

}  // namespace pitbox
