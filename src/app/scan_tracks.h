#pragma once
#include <memory>
#include <vector>

#include "app/app_state.h"
#include "app/long_work.h"
#include "jobs/scan_job.h"

namespace pitbox {

// Reading track files beside the event loop: every file of a Scan (EveryFile,
// Shift held), those changed since they were read (ChangedFiles), or those the
// check of the remembered library found new or changed (CheckedFiles).
std::unique_ptr<LongWork> scanWork(AppState& s, const std::vector<TrackEntry*>& entries, ScanKind kind);

// The Scan button: the loaded folder is walked again, then the files are read
// in table order beside the event loop, the table taking their fields as they
// come; Stop keeps what was read. A file read before whose stamp is unchanged
// is not read again, unless `always` (Shift held). A file that cannot be read
// shows why; one gone since the walk goes from the list.
void refreshHeaders(AppState& s, bool always = false);

}  // namespace pitbox
