#pragma once
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <functional>
#include <thread>
#include <vector>

namespace pitbox {

// Calls work(i) for every i below `count` on a few threads (this one among
// them), handing out indices in order as threads come free, and returns when
// all are done. `done` hears on this thread how many are done so far. For work
// that waits on the system (reading files, looking at them), where more
// threads than cores still help a little; up to 8.
inline void forEachIndex(std::size_t count, const std::function<void(std::size_t)>& work,
                         const std::function<void(std::size_t done)>& done = {}) {
    std::atomic<std::size_t> next{0}, finished{0};
    const auto run = [&](bool reporting) {
        for (std::size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < count;) {
            work(i);
            const std::size_t n = finished.fetch_add(1, std::memory_order_relaxed) + 1;
            if (reporting && done) done(n);
        }
    };
    constexpr std::size_t kLeastPerThread = 64;  // fewer are not worth a thread
    const std::size_t threads =
        std::clamp<std::size_t>(count / kLeastPerThread, 1, std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(run, false);
    run(true);
    for (std::thread& h : helpers) h.join();
}

// Calls work(begin, end) over the indices below `count` in one contiguous
// part a core (this thread taking the first), and returns when all are done.
// For work on the processor alone, too quick an index for forEachIndex's
// handing out; fewer than `leastPerPart` indices a part are not worth a thread.
inline void forEachPart(std::size_t count, const std::function<void(std::size_t begin, std::size_t end)>& work,
                        std::size_t leastPerPart = 50000) {
    const std::size_t parts = std::clamp<std::size_t>(count / std::max<std::size_t>(leastPerPart, 1), 1,
                                                      std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    const std::size_t step = (count + parts - 1) / parts;
    std::vector<std::thread> helpers;
    for (std::size_t p = 1; p < parts; ++p) helpers.emplace_back(work, p * step, std::min(count, (p + 1) * step));
    work(0, std::min(count, step));
    for (std::thread& h : helpers) h.join();
}

}  // namespace pitbox
