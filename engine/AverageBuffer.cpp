#include "engine/AverageBuffer.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kRingPoints = static_cast<size_t>(CAverageBuffer::kMaxFrames) * CAverageBuffer::kPoints;
}

int CAverageBuffer::SetAcquireMode(short mode) {
    // An unknown mode from a setup file would leave no acquisition menu item checked.
    if (mode < kModeNormal || mode > kModePeakDetect)
        mode = kModeNormal;
    int result = 1;
    if (mode == kModeAverage && m_nMode != kModeAverage) {
        m_ch1Ring = std::make_unique<std::int16_t[]>(kRingPoints);
        m_ch2Ring = std::make_unique<std::int16_t[]>(kRingPoints);
        m_nFilled[0] = m_nFilled[1] = 0;
        result = 0;
    } else if (mode != kModeAverage) {
        m_ch1Ring.reset();
        m_ch2Ring.reset();
        m_nFilled[0] = m_nFilled[1] = 0;
    }
    m_nMode = mode;
    return result;
}

void CAverageBuffer::SetFramesWanted(short frames) {
    // Without the clamp 0 frames push into slot -1 and divide by zero, and more than 128 overrun.
    m_nFramesWanted = std::clamp<short>(frames, 1, kMaxFrames);
    for (short& f : m_nFilled)
        f = std::min(f, m_nFramesWanted);
}

void CAverageBuffer::SetFramesHeld(short frames) {
    m_nFramesHeld = std::clamp<short>(frames, 0, kMaxFrames);
    // Fewer held frames restart the history: the next push goes to the first slot again.
    for (short& f : m_nFilled)
        f = std::min(f, m_nFramesHeld);
}

void CAverageBuffer::SetDefaults() {
    SetAcquireMode(kModeNormal);
    m_nFramesHeld = 0;
    m_nFramesWanted = 1;
}

void CAverageBuffer::ClearRings() {
    if (m_ch1Ring)
        std::fill_n(m_ch1Ring.get(), kRingPoints, std::int16_t{0});
    if (m_ch2Ring)
        std::fill_n(m_ch2Ring.get(), kRingPoints, std::int16_t{0});
    m_nFilled[0] = m_nFilled[1] = 0;
}

void CAverageBuffer::BeginFrame() {
    if (m_nMode != kModeAverage)
        return;
    m_nFramesHeld = static_cast<short>(std::min<int>(m_nFramesHeld + 1, m_nFramesWanted));
}

std::int16_t* CAverageBuffer::Ring(int channel) const {
    return channel == 0 ? m_ch1Ring.get() : channel == 1 ? m_ch2Ring.get() : nullptr;
}

void CAverageBuffer::Push(int channel, const std::int16_t* frame) {
    std::int16_t* ring = Ring(channel);
    if (ring == nullptr || frame == nullptr)
        return;
    const int n = m_nFramesWanted;
    // Before the first BeginFrame there is no newest slot: slot -1 lies before the ring.
    if (m_nFramesHeld <= 0)
        return;
    short& filled = m_nFilled[channel];
    // Counting stored frames rather than held ones: otherwise the frame that fills the ring
    // shifts the oldest one out before the last slot was ever written, averaging in a zero frame.
    if (filled < n) {
        std::memcpy(ring + static_cast<size_t>(filled) * kPoints, frame, kPoints * sizeof(std::int16_t));
        ++filled;
        return;
    }
    if (n > 1)
        std::memmove(ring, ring + kPoints, static_cast<size_t>(n - 1) * kPoints * sizeof(std::int16_t));
    std::memcpy(ring + static_cast<size_t>(n - 1) * kPoints, frame, kPoints * sizeof(std::int16_t));
    filled = static_cast<short>(n);
}

void CAverageBuffer::PushFrameCh1(const std::int16_t* frame) {
    Push(0, frame);
}

void CAverageBuffer::PushFrameCh2(const std::int16_t* frame) {
    Push(1, frame);
}

void CAverageBuffer::AverageFrames(const std::int16_t* ring, std::int16_t* out) const {
    if (ring == nullptr || out == nullptr)
        return;
    const int filled = ring == m_ch1Ring.get() ? m_nFilled[0] : ring == m_ch2Ring.get() ? m_nFilled[1] : 128;
    const int n = std::min({static_cast<int>(m_nFramesHeld), static_cast<int>(m_nFramesWanted), filled});
    if (n <= 0)
        return;
    for (int p = 0; p < kPoints; ++p) {
        long sum = 0;
        for (int k = 0; k < n; ++k)
            sum += ring[static_cast<size_t>(k) * kPoints + p];
        out[p] = static_cast<std::int16_t>(sum / n);
    }
}

void CAverageBuffer::AverageTrace(int channel, std::int16_t* screen) {
    if (m_nMode != kModeAverage || screen == nullptr)
        return;
    std::int16_t* ring = Ring(channel);
    if (ring == nullptr)
        return;
    Push(channel, screen);
    AverageFrames(ring, screen);
}
