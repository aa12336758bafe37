#pragma once
#include <atomic>
#include <cstddef>

namespace pitbox {

// How far a job has got, and the request to stop it, between the thread that
// runs the job and whoever shows it: the window's progress bar, or nobody on
// the command line. A job looks at the request between steps, and hands the
// flag to library work that can stop in the middle (a walk, a copy).
class JobProgress {
public:
    bool stopRequested() const { return stop_.load(std::memory_order_relaxed); }
    const std::atomic<bool>& stopFlag() const { return stop_; }
    void requestStop() { stop_.store(true, std::memory_order_relaxed); }

    std::size_t done() const { return done_.load(std::memory_order_relaxed); }
    std::size_t total() const { return total_.load(std::memory_order_relaxed); }
    void setDone(std::size_t n) { done_.store(n, std::memory_order_relaxed); }
    void setTotal(std::size_t n) { total_.store(n, std::memory_order_relaxed); }

private:
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> done_{0}, total_{0};
};

}  // namespace pitbox
