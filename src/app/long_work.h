#pragma once
#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>

#include "app/app_state.h"
#include "jobs/job_progress.h"

namespace pitbox {

// Work too long for the event thread (Load, Scan, Duplicates, Copy, the check
// of the remembered library). Its steps run on a worker thread; between events
// the event thread takes what they made into the program, a slice at a time,
// so the window stays live; it can be stopped between any two steps.
class LongWork {
public:
    virtual ~LongWork() = default;
    // On the worker: one step (a file read, a folder tree walked); false when
    // nothing is left. A step that may take long looks at stopRequested().
    virtual bool step() = 0;
    // On the event thread: takes what the steps made so far into the program,
    // a slice at a time; returns whether some is left for the next slice.
    virtual bool take(AppState& s) = 0;
    // On the event thread, once, after the last take.
    virtual void finish(AppState& s, bool stopped) = 0;
    // What status line 1 says while it runs, given how far it got.
    virtual std::string doing(std::size_t done, std::size_t total) const = 0;

    bool stopRequested() const { return progress_.stopRequested(); }
    // For steps that hand the request on (a walk).
    const std::atomic<bool>& stopFlag() const { return progress_.stopFlag(); }
    std::size_t done() const { return progress_.done(); }
    std::size_t total() const { return progress_.total(); }
    // What a job that runs in the steps reports to.
    JobProgress& progress() { return progress_; }

protected:
    void setDone(std::size_t n) { progress_.setDone(n); }
    void setTotal(std::size_t n) { progress_.setTotal(n); }

private:
    JobProgress progress_;
};

struct WorkButton {
    int window = -1, gadget = -1;  // none for work nobody started (the check)
    int picture = -1;              // an image button's picture, -1 for a text button
    int stopPicture = -1;
    // A text button's caption, given back when the work ends; none for one
    // whose work sets it (Duplicates, whose caption tells the view).
    const char* caption = nullptr;
};

struct RunningWork {
    ~RunningWork();
    std::unique_ptr<LongWork> work;
    WorkButton button;
    std::thread worker;  // none when the steps are run by hand (tests)
    std::atomic<bool> ended{false};
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    void requestStop() { work->progress().requestStop(); }
};

// Starts a work the user asked for: its button reads "Stop", the other
// buttons that start work are disabled, the progress bar appears. The check of
// the remembered library goes on beside it, unless `endsCheck` (a Load or a
// Scan, which look at the folder anew).
void startWork(AppState& s, std::unique_ptr<LongWork> work, WorkButton button, bool endsCheck);
// Starts (or goes on with) the check of the remembered library: no button is
// its own, and it yields to a Load or a Scan.
void startCheck(AppState& s, std::unique_ptr<LongWork> work);
// One slice on the event thread: takes what the running work made, shows how
// far it got, and ends work whose steps are done. Returns whether work remains.
bool tickWork(AppState& s);
// Asks the user's work to stop, or else the check; the next ticks end it.
void stopWork(AppState& s);
// Stops all running work and waits for its end (a close).
void endWork(AppState& s);
// The same for the user's work alone (the check goes on).
void endUserWork(AppState& s);
// For tests that run the steps themselves: runs up to `steps` steps of the
// user's work, or else the check's, on this thread; returns whether any is left.
bool stepWorkByHand(AppState& s, std::size_t steps);

}  // namespace pitbox
