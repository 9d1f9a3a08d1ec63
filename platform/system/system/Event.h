#pragma once
// A waitable event in the manner of the system's event objects: auto-reset (one waiter released per
// Set, then the event clears itself) or manual-reset (stays set until Reset).
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace kv {

class Event {
public:
    explicit Event(bool manualReset = false, bool initiallySet = false)
        : m_manual(manualReset), m_set(initiallySet) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // Waits without time limit.
    void Wait();
    // Waits at most `ms` milliseconds; true when the event was set in that time.
    bool WaitFor(std::uint32_t ms);

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    const bool m_manual;
    bool m_set;
};

} // namespace kv
