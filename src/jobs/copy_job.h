#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "jobs/job.h"

namespace pitbox {

// Copy: the files, in the order given, into one folder.
struct CopyRequest {
    std::vector<std::string> sources;
    std::string target;  // ends in a separator
    // Each file at its path below this folder inside the target, folders made
    // as needed; a file not below it is refused.
    std::optional<std::string> keepFoldersBelow;
    bool skipAlreadyThere = false;  // leave alone what is there already
};

struct CopyOutcome {
    std::size_t planned = 0;  // the copies tried, after those already there were left out
    std::size_t copied = 0;
    std::size_t alreadyThere = 0;
    std::vector<Error> failures;  // those refused by the plan first, then those that failed
    bool stopped = false;         // a copy was left undone by a Stop
};

// Plans the copies, leaves out what is there already when asked, and copies,
// each file whole or not at all; progress counts the copies.
CopyOutcome copyJob(const CopyRequest& request, JobProgress& progress);

// The same as a job of steps, for the window's worker.
class CopyJob : public Job {
public:
    explicit CopyJob(CopyRequest request) : request_(std::move(request)) {}
    bool step(JobProgress& progress) override {
        outcome_ = copyJob(request_, progress);
        ran_ = true;
        return false;
    }
    const CopyRequest& request() const { return request_; }
    const CopyOutcome& outcome() const { return outcome_; }
    bool ran() const { return ran_; }  // false when stopped before it began

private:
    const CopyRequest request_;
    CopyOutcome outcome_;
    bool ran_ = false;
};

}  // namespace pitbox
