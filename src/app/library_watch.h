#pragma once
#include <chrono>
#include <memory>
#include <mutex>
#include <string>

#include "app/app_state.h"
#include "platform/folder_watch.h"

namespace pitbox {

// The watch of one folder and the changes it saw that were not taken yet.
// While the folder is not there, the watch is for it to come back: the
// nearest folder on its way, or where nothing there can be watched, a look
// now and then.
struct LibraryWatch {
    std::string folder;
    bool forReturn = false;
    std::mutex lock;
    bool pending = false;
    std::chrono::steady_clock::time_point first, last;  // of the changes pending
    std::chrono::steady_clock::time_point nextLook;     // watching for a return without a watch
    std::unique_ptr<platform::FolderWatch> watch;       // last: its thread ends before the rest goes
};

// While the program is open it watches the loaded folder: a track added,
// removed, renamed or written shows without a click, a burst of changes (an
// archive unpacked) taken as one, and nothing runs while nothing changes.
// Where the system cannot watch the folder, status line 2 says so once and
// Scan still finds the changes. A folder that is not there is watched for.
void watchLibrary(AppState& s);

// The check found the loaded folder gone: its tracks leave the table (kept
// for when it comes back), status line 2 says so, and the program watches
// for it to return.
void libraryGone(AppState& s);

// Between events: changes that have settled (none for a moment, or the first
// a while ago) start a check of the folder as at the start, once no other work
// runs; a folder watched for that is back is watched anew and checked.
// Returns how many milliseconds until it wants to look again, -1 when
// nothing waits.
int takeLibraryChanges(AppState& s, std::chrono::steady_clock::time_point now);

// What the watch does on its own thread at a change.
void libraryChanged(LibraryWatch& watch);

}  // namespace pitbox
