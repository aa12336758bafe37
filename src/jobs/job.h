#pragma once
#include "jobs/job_progress.h"

namespace pitbox {

// A user-level job: its inputs taken as values when it is made, its result
// read off it once its steps are over, keyed by path or by place in its own
// input, never by pointers into a catalogue another job may replace. The
// window runs the steps on a worker; the command line runs them to the end.
class Job {
public:
    virtual ~Job() = default;
    // One step; false when none is left. A step that may take long hands
    // progress.stopFlag() to what it calls.
    virtual bool step(JobProgress& progress) = 0;

    // All the steps, until they are over or a stop is asked for.
    void run(JobProgress& progress) {
        while (!progress.stopRequested() && step(progress)) {}
    }
};

}  // namespace pitbox
