#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "app/long_work.h"
#include "jobs/job.h"

namespace pitbox {

// The window's side of a job: what it takes as the job goes, a slice at a
// time (none: nothing before the end), what it does once the job is over,
// and what status line 1 says meanwhile.
struct JobApply {
    std::function<bool(AppState&, const JobProgress& progress)> take;
    std::function<void(AppState&, bool stopped, std::size_t done)> finish;
    std::function<std::string(std::size_t done, std::size_t total)> doing;
};

// Any job as long work: its steps on the worker, its apply step on the event
// thread. The apply step keeps the job (it reads the result off it).
std::unique_ptr<LongWork> jobWork(std::shared_ptr<Job> job, JobApply apply);

}  // namespace pitbox
