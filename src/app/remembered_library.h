#pragma once
#include <atomic>
#include <thread>
#include <unordered_set>
#include <vector>

#include "app/app_state.h"
#include "library/catalogue.h"
#include "platform/folder_walk.h"

namespace pitbox {

// The check of a remembered library: its folder is walked on a thread of its
// own (the window stays usable), then the tracks found take the remembered
// fields of unchanged files and the new and changed ones are read, a slice at
// a time between events.
struct LibraryCheck {
    ~LibraryCheck();
    std::thread walker;
    std::atomic<bool> walked{false};
    Catalogue found;
    Result<platform::UnreadableFolders> walk = platform::UnreadableFolders{};
    std::vector<TrackEntry*> toRead;  // entries of the catalogue once it took the found tracks
    std::size_t read = 0;
    std::unordered_set<const TrackEntry*> gone;  // of those, files that are no longer there
};

// At start-up, with the main window open: gives back the remembered settings
// and, when `showLibrary`, the remembered tracks, and starts their check. A
// store that is damaged, of another version or unreadable is said in status
// line 2 and made anew.
void recallLibrary(AppState& s, bool showLibrary);
// Writes the store: settings and tracks. A store that cannot be written is said
// in status line 2; the program goes on without it.
void rememberLibrary(AppState& s);
// One slice of the running check; ends it when all is done.
void checkLibraryStep(AppState& s);
// Ends the check where it is (a Load or Scan takes over).
void stopLibraryCheck(AppState& s);

}  // namespace pitbox
