#pragma once
#include <chrono>
#include <thread>

#include "app/long_work.h"

namespace pitbox::test {

// Lets the running work end, its results taken between waits, as the main
// loop would take them.
inline void waitForWork(AppState& s) {
    while (tickWork(s)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace pitbox::test
