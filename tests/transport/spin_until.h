#pragma once
// Waits for a condition with a deadline without running the event loop, so that a queued
// hand-over stays pending while the test looks at it.

#include <chrono>
#include <thread>

namespace torvel::testing {

template <typename Predicate>
bool SpinUntil(Predicate predicate, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    return true;
}

}  // namespace torvel::testing
