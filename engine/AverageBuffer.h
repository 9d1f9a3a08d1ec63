#pragma once
// Acquisition mode and the averaging rings of CH1 and CH2: in Average mode the displayed input
// traces are the mean of the last N screen traces. The persistence histories live beside it.
#include "engine/Persistence.h"
#include "engine/Trace.h"

#include <cstdint>
#include <memory>

class CAverageBuffer {
public:
    static constexpr short kModeNormal = 0;
    static constexpr short kModeAverage = 1;
    static constexpr short kModePeakDetect = 2;
    static constexpr short kMaxFrames = 128;
    static constexpr int kPoints = CTrace::kScreenPoints;

    CAverageBuffer() = default;
    virtual ~CAverageBuffer() = default;
    CAverageBuffer(const CAverageBuffer&) = delete;
    CAverageBuffer& operator=(const CAverageBuffer&) = delete;

    // Entering Average from another mode allocates both rings zeroed and returns 0; leaving
    // Average releases them. Returns 1 otherwise. A mode outside 0..2 is taken as Normal.
    int SetAcquireMode(short mode);
    short GetAcquireMode() const { return m_nMode; }

    // Frames averaged, always kept within 1..128 whatever the caller passes.
    void SetFramesWanted(short frames);
    short GetFramesWanted() const { return m_nFramesWanted; }
    // Frames in the rings, kept within 0..128.
    void SetFramesHeld(short frames);
    short GetFramesHeld() const { return m_nFramesHeld; }

    // Mode Normal (rings released), frames held 0, frames wanted 1.
    void SetDefaults();
    // Zeroes both rings when they exist.
    void ClearRings();
    bool HasRings() const { return m_ch1Ring != nullptr; }

    // Once per processing run, before the channels: in Average mode held := min(held + 1, N).
    void BeginFrame();

    // Put a 500-point frame into a ring (nothing without rings).
    void PushFrameCh1(const std::int16_t* frame);
    void PushFrameCh2(const std::int16_t* frame);
    // Mean of the held frames of a ring into out (integer division, truncating); out is left as
    // it is when no frame is held or the ring is missing. Only frames that were pushed count.
    void AverageFrames(const std::int16_t* ring, std::int16_t* out) const;

    // Push the channel's screen trace into its ring and replace it with the average
    // (channel 0 CH1, 1 CH2; nothing outside Average mode).
    void AverageTrace(int channel, std::int16_t* screen);

    const std::int16_t* GetRingCh1() const { return m_ch1Ring.get(); }
    const std::int16_t* GetRingCh2() const { return m_ch2Ring.get(); }

private:
    void Push(int channel, const std::int16_t* frame);
    std::int16_t* Ring(int channel) const;

    std::unique_ptr<std::int16_t[]> m_ch1Ring;
    std::unique_ptr<std::int16_t[]> m_ch2Ring;
    short m_nFramesWanted = 1;
    short m_nFramesHeld = 0;
    short m_nMode = kModeNormal;
    short m_nFilled[2] = {0, 0}; // frames actually stored in each ring, 0..N
};
