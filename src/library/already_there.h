#pragma once
#include <atomic>
#include <cstddef>
#include <vector>

#include "library/copy_plan.h"

namespace pitbox {

// Skipping tracks already there: takes out of the plan each element whose
// source has the same bytes as a file that will lie in its target folder when
// the copy is over: the file at its target name, at its file name or one of
// its numbered names (Ring.trk, Ring_1.trk ...), or an earlier element's copy
// there. A file that another element is still to replace does not count, so a
// track reported already there is there afterwards. A source that cannot be
// read stays in the plan, for the copy to report. Returns how many went. Once
// `stop` is set the rest stay in the plan unlooked at.
std::size_t dropTracksAlreadyThere(std::vector<CopyItem>& plan, const std::atomic<bool>* stop = nullptr);

}  // namespace pitbox
