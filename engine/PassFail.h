#pragma once
// Pass/fail mask: an upper and a lower limit for each of the 500 screen points, the test of a
// frame against it, its counters and the ".psf" settings file.
#include <array>
#include <cstdint>
#include <vector>

#include "engine/Trace.h"
#include "framework/CString.h"
#include "system/wintypes.h"

class CPassFail {
public:
    static constexpr int kPoints = CTrace::kScreenPoints;
    static constexpr int kMaxHorizontalTolerance = 200; // screen points (50 per division)
    static constexpr int kMaxVerticalTolerance = 128;   // screen codes
    static constexpr int kFileSize = 10;
    // Largest ".psf" file the reader takes; the settings are the first 10 bytes.
    static constexpr std::uint64_t kMaxFileBytes = 64u << 10;
    static constexpr COLORREF kMaskColor = RGB(150, 128, 0);

    CPassFail() { Reset(); }
    virtual ~CPassFail() = default;
    CPassFail(const CPassFail&) = default;
    CPassFail& operator=(const CPassFail&) = default;

    // Defaults: state 0, stop flag 0, CH1, stop on fail, counts 0, masks 0, tolerances 1.
    void Reset();

    // Builds both masks from a 500-point screen trace with the current tolerances.
    void BuildMask(const short* trace);
    // 1 when lower[i] <= p[i] <= upper[i] for all 500 points, else 0.
    int Test(const short* trace) const;

    // Tests one frame and counts it. Returns 1 when the frame passed, 0 when it failed.
    int CountFrame(const short* trace);
    // Whether a frame with this test result ends the test (stop flag and output condition).
    bool ShouldStop(int passed) const;
    // Whether stopping should also beep (outputs 1 and 3).
    bool ShouldBeep() const { return m_nOutput == 1 || m_nOutput == 3; }

    // Geometry of the two shaded regions outside the mask in the plot rectangle: the region
    // above the upper mask (closed along the top edge) and below the lower mask (closed along
    // the bottom edge). Both are empty when the tolerance leaves no points to shade.
    void GetMaskRegions(int left, int top, int right, int bottom, std::vector<POINT>& upperRegion,
                        std::vector<POINT>& lowerRegion) const;

    // ".psf" settings file: five little-endian words. On failure both return 0 and, when
    // `error` is given, set it to the message to show; a failed load changes nothing.
    int SaveSettings(const char* path, CString* error = nullptr) const;
    int LoadSettings(const char* path, CString* error = nullptr);

    std::int32_t m_nState1 = 0;
    std::int32_t m_nState2 = 0;
    std::int32_t m_bStop = 0;
    std::int16_t m_nSource = 0; // 0 CH1, 1 CH2
    std::int16_t m_nOutput = 0; // 0 stop on fail, 1 and beep, 2 stop on pass, 3 and beep
    std::uint64_t m_nFailed = 0;
    std::uint64_t m_nPassed = 0;
    std::uint64_t m_nTotal = 0;
    std::array<std::int16_t, kPoints> m_upper{};
    std::array<std::int16_t, kPoints> m_lower{};
    std::int16_t m_nHorizontalTolerance = 1;
    std::int16_t m_nVerticalTolerance = 1;
};
