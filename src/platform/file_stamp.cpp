#include <atomic>

#include "platform/files.h"

namespace pitbox::platform {
namespace {

std::atomic<std::chrono::milliseconds::rep> settle{3000};

}  // namespace

std::chrono::milliseconds settleTime() { return std::chrono::milliseconds(settle.load(std::memory_order_relaxed)); }

void setSettleTime(std::chrono::milliseconds time) { settle.store(time.count(), std::memory_order_relaxed); }

}  // namespace pitbox::platform
