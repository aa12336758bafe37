#include "app/library_watch.h"

#include <algorithm>

#include "app/ids.h"
#include "app/list_view.h"
#include "app/load_tracks.h"
#include "app/long_work.h"
#include "platform/files.h"

namespace pitbox {

// A burst is over once nothing has changed for this long, or taken anyway this
// long after its first change, so that a change shows within two seconds.
constexpr std::chrono::milliseconds kQuiet{300};
constexpr std::chrono::milliseconds kLongest{1500};
// How often a folder that is gone is looked for where nothing can be watched.
constexpr std::chrono::milliseconds kLookAgain{2000};

void libraryChanged(LibraryWatch& w) {
    const auto now = std::chrono::steady_clock::now();
    const std::lock_guard<std::mutex> hold(w.lock);
    if (!w.pending) w.first = now;
    w.pending = true;
    w.last = now;
}

namespace {

bool folderThere(const std::string& folder) {
    auto status = platform::fileStatus(folder);
    return status && !status->regular;
}

void sayNotWatched(AppState& s, const Error& why) {
    s.tk.setText(ids::kMainWindow, ids::kStatusLine2, errorText(why) + "; changes show at the next Scan");
}

std::unique_ptr<LibraryWatch> newWatch(AppState& s, bool forReturn) {
    auto w = std::make_unique<LibraryWatch>();
    w->folder = s.trackFolder;
    w->forReturn = forReturn;
    w->nextLook = std::chrono::steady_clock::now() + kLookAgain;
    ui::Toolkit& tk = s.tk;
    LibraryWatch& target = *w;
    auto onChange = [&target, &tk] {
        libraryChanged(target);
        tk.wake();
    };
    auto watching =
        forReturn ? platform::watchForFolder(s.trackFolder, onChange) : platform::watchFolder(s.trackFolder, onChange);
    if (!watching) {
        if (!forReturn && watching.error().code == ErrorCode::Missing) return newWatch(s, true);
        // Watching for a return, a look now and then serves instead.
        if (forReturn) return w;
        sayNotWatched(s, watching.error());
        return nullptr;
    }
    w->watch = std::move(*watching);
    return w;
}

}  // namespace

void watchLibrary(AppState& s) {
    if (!s.watchesLibrary || !s.folderLoaded) return;
    if (s.watch && s.watch->folder == s.trackFolder && !s.watch->forReturn && s.watch->watch &&
        s.watch->watch->watching())
        return;
    s.watch.reset();
    s.watch = newWatch(s, false);
}

void libraryGone(AppState& s) {
    if (!s.absentTracks) s.absentTracks = std::move(s.catalogue);
    Catalogue none;
    none.setRoot(s.trackFolder);
    presentCatalogue(s, std::move(none), Presented::AsBefore);
    s.tk.setText(ids::kMainWindow, ids::kStatusLine2, s.trackFolder + " is not there; watching for it");
    if (s.watchesLibrary && !(s.watch && s.watch->forReturn)) {
        s.watch.reset();
        s.watch = newWatch(s, true);
    }
}

int takeLibraryChanges(AppState& s, std::chrono::steady_clock::time_point now) {
    if (!s.watch) return -1;
    LibraryWatch& w = *s.watch;
    // Watching for a return with nothing to watch: a look now and then.
    const bool look = w.forReturn && !(w.watch && w.watch->watching());
    {
        const std::lock_guard<std::mutex> hold(w.lock);
        if (!w.pending && !look) return -1;
        // Other work first: the changes wait until it ends.
        if (s.work || s.check) return look ? static_cast<int>(kLookAgain.count()) : -1;
        if (w.pending) {
            const auto due = std::min(w.last + kQuiet, w.first + kLongest);
            if (now < due) return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(due - now).count());
        } else if (now < w.nextLook) {
            return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(w.nextLook - now).count());
        }
        w.pending = false;
        w.nextLook = now + kLookAgain;
    }
    if (w.forReturn) {
        if (!folderThere(w.folder)) return look ? static_cast<int>(kLookAgain.count()) : -1;
        s.tk.setText(ids::kMainWindow, ids::kStatusLine2, " ");
    } else if (const auto failed = w.watch ? w.watch->failed() : std::nullopt) {
        // The tree is larger than the system lets a program watch: said once, and watched no more.
        sayNotWatched(s, *failed);
        s.watch.reset();
        return -1;
    }
    // A folder back, or another in the lost one's place, is watched anew before
    // it is looked at, so that nothing that changes meanwhile is missed.
    if (w.forReturn || !w.watch->watching()) {
        s.watch.reset();
        s.watch = newWatch(s, false);
        checkLibrary(s);
        return -1;
    }
    // Only where the watch saw changes is looked at, unless it cannot say
    // where, or a folder may lie at two paths of the tree.
    const platform::FolderChanges changes = w.watch->takeChanges();
    if (changes.everything || s.treeHasLinks || s.absentTracks) {
        checkLibrary(s, s.treeHasLinks);
        return -1;
    }
    ChangedAreas areas(changes, s.trackFolder);
    if (!areas.empty()) checkChanges(s, std::move(areas));
    return -1;
}

}  // namespace pitbox
