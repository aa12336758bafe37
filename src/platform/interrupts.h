#pragma once
#include <atomic>

namespace pitbox::platform {

// Work that tidies up after itself when the process is interrupted (Ctrl+C,
// SIGTERM or SIGHUP; on Windows Ctrl+C and the console closing). While one of
// these lives, an interrupt sets its `stop` instead of ending the process at
// once; when the last one goes away after an interrupt, the process ends as
// the interrupt would have ended it. A second interrupt ends it at once.
class StopOnInterrupt {
public:
    explicit StopOnInterrupt(std::atomic<bool>& stop);
    ~StopOnInterrupt();
    StopOnInterrupt(const StopOnInterrupt&) = delete;
    StopOnInterrupt& operator=(const StopOnInterrupt&) = delete;

private:
    std::atomic<bool>& stop_;
    int slot_ = -1;
};

}  // namespace pitbox::platform
