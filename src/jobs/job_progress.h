#pragma once
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>

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
    void setDone(std::size_t n) {
        done_.store(n, std::memory_order_relaxed);
        tell();
    }
    void setTotal(std::size_t n) { total_.store(n, std::memory_order_relaxed); }

    // Whoever shows the progress is told of it, at most once in `every`, from
    // the thread that runs the job; set before the job starts.
    void tellWhenDone(std::function<void()> told, std::chrono::milliseconds every) {
        told_ = std::move(told);
        every_ = every;
    }
    // Tells now, whenever it last told (the job has made something to take).
    void tellNow() {
        if (told_) told_();
    }

private:
    void tell() {
        if (!told_) return;
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        auto last = lastTold_.load(std::memory_order_relaxed);
        if (now - last < std::chrono::duration_cast<std::chrono::steady_clock::duration>(every_).count()) return;
        if (lastTold_.compare_exchange_strong(last, now, std::memory_order_relaxed)) told_();
    }

    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> done_{0}, total_{0};
    std::function<void()> told_;
    std::chrono::milliseconds every_{0};
    std::atomic<std::chrono::steady_clock::rep> lastTold_{0};
};

}  // namespace pitbox
