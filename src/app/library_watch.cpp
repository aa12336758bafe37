#include "app/library_watch.h"

#include <algorithm>

#include "app/ids.h"
#include "app/list_view.h"
#include "app/load_tracks.h"
#include "app/long_work.h"

namespace pitbox {

// A burst is over once nothing has changed for this long, or taken anyway this
// long after its first change, so that a change shows within two seconds.
constexpr std::chrono::milliseconds kQuiet{300};
constexpr std::chrono::milliseconds kLongest{1500};

void libraryChanged(LibraryWatch& w) {
    const auto now = std::chrono::steady_clock::now();
    const std::lock_guard<std::mutex> hold(w.lock);
    if (!w.pending) w.first = now;
    w.pending = true;
    w.last = now;
}

void watchLibrary(AppState& s) {
    if (!s.watchesLibrary || !s.folderLoaded) return;
    if (s.watch && s.watch->folder == s.trackFolder) return;
    s.watch.reset();
    auto w = std::make_unique<LibraryWatch>();
    w->folder = s.trackFolder;
    ui::Toolkit& tk = s.tk;
    LibraryWatch& target = *w;
    auto watching = platform::watchFolder(s.trackFolder, [&target, &tk] {
        libraryChanged(target);
        tk.wake();
    });
    if (!watching) {
        s.tk.setText(ids::kMainWindow, ids::kStatusLine2,
                     errorText(watching.error()) + "; changes show at the next Scan");
        return;
    }
    w->watch = std::move(*watching);
    s.watch = std::move(w);
}

int takeLibraryChanges(AppState& s, std::chrono::steady_clock::time_point now) {
    if (!s.watch) return -1;
    LibraryWatch& w = *s.watch;
    {
        const std::lock_guard<std::mutex> hold(w.lock);
        if (!w.pending) return -1;
        // Other work first: the changes wait until it ends.
        if (s.work || s.check) return -1;
        const auto due = std::min(w.last + kQuiet, w.first + kLongest);
        if (now < due) return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(due - now).count());
        w.pending = false;
    }
    checkLibrary(s);
    return -1;
}

}  // namespace pitbox
