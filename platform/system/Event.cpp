#include "system/Event.h"

#include <chrono>

namespace kv {

void Event::Set() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_set = true;
    }
    if (m_manual)
        m_cv.notify_all();
    else
        m_cv.notify_one();
}

void Event::Reset() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_set = false;
}

void Event::Wait() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cv.wait(lock, [this] { return m_set; });
    if (!m_manual)
        m_set = false;
}

bool Event::WaitFor(std::uint32_t ms) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_cv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_set; }))
        return false;
    if (!m_manual)
        m_set = false;
    return true;
}

} // namespace kv
