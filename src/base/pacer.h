#pragma once
#include <chrono>

namespace pitbox {

// Tells a long loop when to show progress and repaint: at most every `interval`,
// so the check itself costs next to nothing per item.
class Pacer {
public:
    explicit Pacer(std::chrono::milliseconds interval = std::chrono::milliseconds(50))
        : interval_(interval), next_(std::chrono::steady_clock::now() + interval) {}
    bool due() {
        const auto now = std::chrono::steady_clock::now();
        if (now < next_) return false;
        next_ = now + interval_;
        return true;
    }

private:
    std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point next_;
};

}  // namespace pitbox
