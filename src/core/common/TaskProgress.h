#pragma once

#include <atomic>

// How far a long piece of work on another thread has come, for the window
// that shows it, and the window's request that it stop after the item in
// hand. Each item costs the work one relaxed store.
struct TaskProgress {
    std::atomic<int> done{0};
    std::atomic<bool> stopRequested{false};

    bool shouldStop() const { return stopRequested.load(std::memory_order_relaxed); }
    void setDone(int count) { done.store(count, std::memory_order_relaxed); }
};
