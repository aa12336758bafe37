#pragma once
#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "base/result.h"
#include "library/copy_plan.h"

namespace pitbox {

struct CopyReport {
    std::size_t copied = 0;
    std::vector<Error> failures;  // one per element that failed
    bool stopped = false;         // the rest was not copied
};

// Copies each element's source to its target, replacing a file there only by a
// complete, durable copy. A selected track that is also a target is replaced
// only once its own copy is in place; when that copy fails, so does the one
// that would replace it. Failures (a source that is missing, not a regular
// file, the target itself, or changes while it is copied; a target that is
// read-only, cannot be written, or reaches the same file as an earlier target)
// are collected and the run goes on. The copies are put in place in batches,
// those that replace a file holding at most 16 MB (or one larger file), so the
// space needed beyond the copies themselves stays that small; where the volume
// has less, a copy that finds it full first has the batches put in place (the
// files they replace freeing their room) and the batches shrink: only a copy
// that does not fit on its own fails. Temporaries a
// killed copy left in the target folder are removed first. `progress` hears how
// many elements are read. Once `stop` is set no more are read, the copies
// being put in place are waited for, and those read but not yet put in place
// are given up (their temporaries removed): what is reported copied is there.
// What a copy says it did, in the window and on the command line: "3 Tracks
// copied to: DIR", or with tracks left out as already there "3 Tracks copied,
// 2 already there: DIR".
std::string copiedText(std::size_t copied, std::size_t alreadyThere, const std::string& target);

CopyReport copyTracks(const std::vector<CopyItem>& plan, const std::function<void(std::size_t done)>& progress = {},
                      const std::atomic<bool>* stop = nullptr);

}  // namespace pitbox
