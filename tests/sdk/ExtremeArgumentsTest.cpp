// Integer arguments at the ends of their range (0, the largest value, -1 and the smallest value
// where signed, huge sizes) for the drawing, printing, measurement, processing, zoom, pass/fail and
// sd exports. Each call stays inside the caller's buffers, computes without overflow (the suite
// also runs under UndefinedBehaviorSanitizer) and gives what the rules give for such values.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Canvas.h"
#include "SdInternal.h"
#include "SimFixture.h"
#include "Tessel.h"

namespace {

constexpr std::uint16_t kMax16 = 0xFFFF;
constexpr std::uint32_t kMax32 = 0xFFFFFFFFu;
constexpr std::uint32_t kDeep = 524288;
constexpr std::uint16_t kNoData = 1000;

// A buffer with guard words on both sides; Intact() is false once a call wrote outside.
template <typename T> class Fenced {
public:
    explicit Fenced(std::size_t n, T fill = T{}) : m_n(n), m_words(n + 2 * kGuard, kMark) {
        std::fill(data(), data() + n, fill);
    }
    T* data() { return m_words.data() + kGuard; }
    T& operator[](std::size_t i) { return data()[i]; }
    std::size_t size() const { return m_n; }
    bool Intact() const {
        return std::all_of(m_words.begin(), m_words.begin() + kGuard, [](T v) { return v == kMark; }) &&
               std::all_of(m_words.end() - kGuard, m_words.end(), [](T v) { return v == kMark; });
    }
    // Every value is a display code (0..511) or the no-data mark.
    bool AllCodesOrNoData() {
        return std::all_of(data(), data() + m_n, [](T v) { return (v >= 0 && v <= 511) || v == kNoData; });
    }

private:
    static constexpr std::size_t kGuard = 16;
    static constexpr T kMark = static_cast<T>(0x5A5A);
    std::size_t m_n;
    std::vector<T> m_words;
};

// A 500-point display record: a sine of period 100 points between codes 100 and 400.
std::vector<std::uint16_t> Sine(std::size_t n = 500) {
    std::vector<std::uint16_t> r(n);
    for (std::size_t i = 0; i < n; ++i)
        r[i] = static_cast<std::uint16_t>(250 + 150 * std::sin(2 * M_PI * static_cast<double>(i) / 100));
    return r;
}

// ---- Drawing ----

TEST(ExtremeArguments, KnobScaleOfPointsAtTheEndsOfTheInt32Range) {
    const std::uint16_t knob[10] = {100, 100, 10, 0, 10, 0, 0, 0, 0, 0};
    // value = (atan2(dx, -dy) x 50 / 3.141592 + 38) / 0.75, limited to 0..100 and truncated.
    EXPECT_EQ(dsoGetKnobCurrentScale(INT32_MIN, INT32_MAX, knob), 0);   // lower left: -135 degrees
    EXPECT_EQ(dsoGetKnobCurrentScale(INT32_MAX, INT32_MAX, knob), 100); // lower right: +135 degrees
    EXPECT_EQ(dsoGetKnobCurrentScale(0, INT32_MIN, knob), 50);          // straight up
    EXPECT_EQ(dsoGetKnobCurrentScale(INT32_MIN, 50, knob), 17);         // left: (-25 + 38) / 0.75
    EXPECT_EQ(dsoGetKnobCurrentScale(INT32_MAX, 50, knob),
              84); // right: (25 + 38) / 0.75
                   // Upper left: -45 degrees with pi taken as 3.141592 gives 33.99999, truncated to 33.
    EXPECT_EQ(dsoGetKnobCurrentScale(INT32_MIN, INT32_MIN, knob), 33);
    EXPECT_EQ(dsoGetKnobCurrentScale(INT32_MAX, INT32_MIN, knob), 67); // upper right
    const std::uint16_t huge[10] = {kMax16, kMax16, kMax16, kMax16, kMax16,
                                    kMax16, kMax16, kMax16, kMax16, kMax16};
    EXPECT_EQ(dsoGetKnobCurrentScale(-1, -1, huge), 33); // (-32768, -32768) from the centre
    EXPECT_EQ(dsoGetKnobCurrentScale(0, 0, huge), 33);
}

TEST(ExtremeArguments, TraceColourComponentsStayInTheirByte) {
    const std::uint16_t layout[7] = {500, 511, 0, 0, 0, 0, 0}; // y = 511 - code
    const std::vector<std::uint16_t> flat(500, 300);
    const auto drawn = [&](std::uint16_t intensity, std::array<std::uint16_t, 3> colour) {
        Canvas c(500, 511);
        HBRUSH grey = CreateSolidBrush(RGB(9, 9, 9));
        const RECT all{0, 0, 500, 511};
        FillRect(c.dc(), &all, grey);
        DeleteObject(grey);
        EXPECT_EQ(dsoDisplayData(c.dc(), layout, 1, flat.data(), 0, intensity, colour.data()), 1);
        return c.At(10, 211);
    };
    EXPECT_EQ(drawn(kMax16, {kMax16, kMax16, kMax16}), RGB(255, 255, 255));
    EXPECT_EQ(drawn(1, {kMax16, 0, 0}), RGB(255, 0, 0)); // 65535 / 255 = 257, held at 255
    EXPECT_EQ(drawn(kMax16, {1, 0, 1}), RGB(255, 0, 255));
    EXPECT_EQ(drawn(0, {255, 255, 255}), RGB(0, 0, 0));
    EXPECT_EQ(drawn(kMax16, {0, 0, 0}), RGB(0, 0, 0));

    Canvas c(500, 511);
    const std::uint16_t colour[3] = {kMax16, kMax16, kMax16};
    EXPECT_EQ(dsoDisplayData(c.dc(), layout, kMax16, flat.data(), kMax16, kMax16, colour), 0);
    EXPECT_EQ(c.CountNot(kBlack, 0, 0, 500, 511), 0);
    // Mode 65535 is not 1: dots one pixel to the right of points 1..499, so pixel 0 stays dark
    // (a vector trace starts there). Red 236 x 65535 / 255 is held at 255.
    EXPECT_EQ(dsoDisplayData(c.dc(), layout, kMax16, flat.data(), 2, kMax16, nullptr), 1);
    EXPECT_EQ(c.At(2, 211), RGB(255, 0, 0));
    EXPECT_EQ(c.At(0, 211), kBlack);
}

TEST(ExtremeArguments, DrawingWithLayoutsAndValuesAtTheEndsKeepsTheContextsObjects) {
    const std::uint16_t zeros[10] = {};
    const std::uint16_t tops[10] = {kMax16, kMax16, kMax16, kMax16, kMax16,
                                    kMax16, kMax16, kMax16, kMax16, kMax16};
    const std::uint16_t wide[10] = {kMax16, kMax16, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::uint16_t backwards[10] = {0, 0, kMax16, kMax16, kMax16, kMax16, 0, 0, 0, 0};
    const std::vector<std::uint16_t> highs(1000, kMax16), lows(1000, 0), sine = Sine(1000);
    std::vector<double> spectrum(500, 1e300);
    spectrum[7] = -1e300;
    spectrum[8] = std::nan("");
    for (const std::uint16_t* layout : {zeros, tops, wide, backwards}) {
        Canvas c(120, 100);
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
        HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
        HGDIOBJ oldPen = SelectObject(c.dc(), pen), oldBrush = SelectObject(c.dc(), brush);
        for (const auto* record : {&highs, &lows, &sine}) {
            for (std::uint16_t mode : {std::uint16_t(0), std::uint16_t(1), kMax16}) {
                EXPECT_EQ(dsoDisplayData(c.dc(), layout, mode, record->data(), 3, kMax16, nullptr), 1);
                dsoDisplayDataXYMode(c.dc(), layout, mode, record->data(), sine.data());
                sdDisplayDataXYMode(c.dc(), layout, mode, sine.data(), record->data());
            }
        }
        dsoMainPannelDrawGrid(c.dc(), layout);
        sdMainPanelDrawGrid(c.dc(), layout);
        for (std::uint16_t v : {std::uint16_t(0), kMax16}) {
            EXPECT_EQ(dsoPrintDrawGrid(c.dc(), layout, v, v, v, v), 1);
            dsoPrintBackColor(c.dc(), layout, v, v, v, v);
        }
        EXPECT_EQ(dsoPrintDrawGrid(c.dc(), layout, 0, kMax16, 1, kMax16), 1);
        dsoPrintBackColor(c.dc(), layout, 0, kMax16, kMax16, 0);
        sdFFTDisplayData(c.dc(), layout, spectrum.data());
        dsoDrawPassFailRgn(c.dc(), layout, highs.data(), lows.data(), 0);
        if (layout == tops || layout == zeros) {
            for (std::uint16_t v : {std::uint16_t(0), kMax16})
                dsoDrawKnob(c.dc(), layout, v); // knob sizes and insets at the ends
        }
        EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_PEN), pen);
        EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_BRUSH), brush);
        SelectObject(c.dc(), oldPen);
        SelectObject(c.dc(), oldBrush);
        DeleteObject(pen);
        DeleteObject(brush);
    }
}

TEST(ExtremeArguments, PrintedMarkersAtTheLargestPositionsLeaveThePlot) {
    const std::uint16_t layout[7] = {500, 400, 50, 50, 50, 50, 0}; // plot 400 x 300, markers of 4
    Canvas c(500, 400);
    const RECT all{0, 0, 500, 400};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(c.dc(), &all, white);
    DeleteObject(white);
    // Position 65535 puts the channel marker 65535 x 300 / 511 below the top; trigger position
    // 65535 puts its markers 65535 x 40 x 10 / 4 to the right: all off the page.
    EXPECT_EQ(dsoPrintDrawGrid(c.dc(), layout, kMax16, kMax16, 0, kMax16), 1);
    EXPECT_EQ(c.Count(RGB(255, 0, 255), 0, 0, 500, 400), 0);
    EXPECT_EQ(c.Count(RGB(0, 0, 255), 0, 0, 500, 400), 0);
    EXPECT_EQ(c.Count(kBlack, 0, 0, 50, 400), 0);
    // Position 0: both channel markers at the top of the plot, the trigger markers at its left.
    EXPECT_EQ(dsoPrintDrawGrid(c.dc(), layout, 0, 0, 2, 0), 1);
    EXPECT_EQ(c.At(48, 50), RGB(255, 0, 255));
    EXPECT_EQ(c.At(50, 48), RGB(0, 0, 255));
}

// ---- Measurements ----

TEST(ExtremeArguments, EdgeLevelsFromTheLargestPercentsAreNeverCrossed) {
    // A square wave: code 100 for points 0..49 of every 100, 400 for 50..99.
    std::vector<std::uint16_t> square(500);
    for (int i = 0; i < 500; ++i)
        square[i] = i % 100 < 50 ? 100 : 400;
    std::uint16_t top[5], base[5];
    std::uint16_t out[2] = {7777, 7777};
    dsoMeasureRiseTime(top, base, out, square.data(), kMax16, kMax16);
    EXPECT_EQ(top[4], 400);
    EXPECT_EQ(base[4], 100);
    EXPECT_EQ(out[0], 7777);
    EXPECT_EQ(out[1], 7777);
    dsoMeasureFallTime(top, base, out, square.data(), kMax16, 0);
    EXPECT_EQ(out[0], 7777);
    // Rising: first at the second percent (0: the base, crossed at point 51), then at the first.
    dsoMeasureRiseTime(top, base, out, square.data(), kMax16, 0);
    EXPECT_EQ(out[0], 51);
    EXPECT_EQ(out[1], 7777);
    // A base above the top turns the span negative: the levels fall far below every code.
    std::uint16_t inverted[5] = {0, 0, 0, 0, 0}, high[5] = {kMax16, kMax16, kMax16, kMax16, kMax16};
    std::uint16_t unchanged[2] = {7777, 7777};
    std::vector<std::uint16_t> tops(500, kMax16);
    dsoMeasureFallTime(inverted, high, unchanged, tops.data(), kMax16, kMax16);
    EXPECT_EQ(unchanged[0], 7777);
}

TEST(ExtremeArguments, MeasurementsOfTheLargestCodesAndLevels) {
    std::vector<std::uint16_t> square(500);
    for (int i = 0; i < 500; ++i)
        square[i] = i % 100 < 50 ? 100 : 400;
    std::int16_t rms[2] = {0, 5};
    // About 65285 from a level of 65535: held at the int16 maximum.
    EXPECT_GT(dsoMeasureRMS(rms, square.data(), kMax16), 65000.0);
    EXPECT_EQ(rms[0], INT16_MAX);
    EXPECT_EQ(rms[1], 0);
    EXPECT_GT(dsoMeasureCycleRMS(rms, square.data(), kMax16), 65000.0);
    EXPECT_EQ(rms[0], INT16_MAX);

    const std::vector<std::uint16_t> highs(500, kMax16);
    std::uint16_t pair[2] = {0, 0};
    EXPECT_EQ(dsoGetMaxChannelData(pair, highs.data()), kMax16);
    EXPECT_EQ(pair[0], kMax16);
    std::uint16_t mean = 0;
    EXPECT_EQ(dsoMeasureMean(&mean, highs.data()), kMax16);
    EXPECT_EQ(mean, kMax16);
    EXPECT_EQ(dsoDataMedian(highs.data()), kMax16);
    std::uint16_t top[5], base[5], period[3] = {7, 8, 9};
    EXPECT_EQ(dsoMeasureAmplitude(top, base, highs.data()), kMax16);
    dsoMeasureFrequency(top, base, period, highs.data());
    EXPECT_EQ(period[0], 7); // no crossing in a flat record
    std::fill(period, period + 3, 0);
    EXPECT_EQ(dsoMeasureCycleMean(top, base, period, highs.data()), 0.0);
    EXPECT_EQ(period[0], 0);
}

// ---- Processing ----

TEST(ExtremeArguments, MathRecordSaturatesAtTheEndsOfTheCodeRange) {
    const std::vector<std::uint16_t> ch1(501, 600), ch2(501, 0);
    Fenced<std::uint16_t> dst(501);
    const std::uint16_t mathBlock[7] = {0, 0, 0, 0, 0, 0, 6};
    const std::uint16_t offsets[2] = {0, 0};
    const std::uint16_t add[2] = {0, 0}; // CH1 + CH1
    // Probe factor 10^65535: (600 - 511) x infinity, held at the largest code.
    const std::uint16_t bigProbe[5] = {kMax16, 0, 0, 0, 0};
    dsoChannelDataMathOperation(dst.data(), ch1.data(), ch2.data(), mathBlock, 6, 6, offsets, bigProbe, add);
    EXPECT_TRUE(std::all_of(dst.data(), dst.data() + 501, [](std::uint16_t v) { return v == kMax16; }));
    // Probe factor 10^-65535: zero, so the result is the MATH position's zero line 511.
    const std::uint16_t tinyProbe[5] = {0, 0, 0, 0, kMax16};
    dsoChannelDataMathOperation(dst.data(), ch1.data(), ch2.data(), mathBlock, 6, 6, offsets, tinyProbe, add);
    EXPECT_TRUE(std::all_of(dst.data(), dst.data() + 501, [](std::uint16_t v) { return v == 511; }));
    // A MATH position of 65535 moves every result below code 0; offsets of 65535 push it above
    // the largest code.
    const std::uint16_t lowBlock[7] = {0, kMax16, 0, 0, 0, 0, 6};
    const std::uint16_t sameProbe[5] = {0, 0, 0, 0, 0};
    dsoChannelDataMathOperation(dst.data(), ch1.data(), ch2.data(), lowBlock, 6, 6, offsets, sameProbe, add);
    EXPECT_TRUE(std::all_of(dst.data(), dst.data() + 501, [](std::uint16_t v) { return v == 0; }));
    const std::uint16_t bigOffsets[2] = {kMax16, kMax16};
    dsoChannelDataMathOperation(dst.data(), ch1.data(), ch2.data(), mathBlock, 6, 6, bigOffsets, sameProbe,
                                add);
    EXPECT_TRUE(std::all_of(dst.data(), dst.data() + 501, [](std::uint16_t v) { return v == kMax16; }));
    // Indexes, operands and operations of 65535: refused, every point 700.
    const std::uint16_t badOperation[2] = {kMax16, kMax16};
    EXPECT_EQ(dsoChannelDataMathOperation(dst.data(), ch1.data(), ch2.data(), mathBlock, kMax16, kMax16,
                                          offsets, sameProbe, badOperation),
              0.0);
    EXPECT_TRUE(std::all_of(dst.data(), dst.data() + 501, [](std::uint16_t v) { return v == 700; }));
    EXPECT_TRUE(dst.Intact());
}

TEST(ExtremeArguments, DeepRecordHelpersWriteExactlyTheirLengths) {
    const std::vector<std::uint16_t> sine = Sine(kDeep);
    Fenced<std::uint16_t> record(kDeep);
    std::copy(sine.begin(), sine.end(), record.data());
    // Level 65535 adds 255 - 65535 = 256 modulo 65536; level 511 takes the 256 away again.
    EXPECT_EQ(dsoChannelDataAdjustOffset(kMax16, record.data()), 1);
    EXPECT_EQ(record[0], sine[0] + 256);
    EXPECT_EQ(dsoChannelDataAdjustOffset(511, record.data()), 1);
    EXPECT_TRUE(std::equal(sine.begin(), sine.end(), record.data()));
    EXPECT_EQ(dsoChannelInGND(kMax16, record.data()), 1);
    EXPECT_EQ(std::count(record.data(), record.data() + kDeep, kMax16), 31000);
    EXPECT_EQ(sdChannelInGND(kMax16, record.data()), 1); // 511 - 65535 held at 0
    EXPECT_EQ(std::count(record.data(), record.data() + kDeep, 0), static_cast<long>(kDeep));
    EXPECT_EQ(sdChannelInGND(0, record.data()), 1);
    EXPECT_EQ(record[kDeep - 1], 511);
    EXPECT_TRUE(record.Intact());

    // Time base, selector and mode words of 65535: a copy of the deep record.
    const std::uint16_t settings[7] = {kMax16, kMax16, kMax16, kMax16, kMax16, kMax16, kMax16};
    Fenced<std::uint16_t> copy(kDeep);
    dsoChannelDataBuffer(settings, kMax16, copy.data(), sine.data());
    EXPECT_TRUE(std::equal(sine.begin(), sine.end(), copy.data()));
    sdChannelDataBuffer(settings, kMax16, copy.data(), sine.data());
    EXPECT_TRUE(copy.Intact());
    Fenced<std::uint16_t> fft(40000);
    dsoFFTBuffer(settings, 5, fft.data(), sine.data());
    dsoFFTBuffer(settings, kMax16, fft.data(), sine.data());
    EXPECT_TRUE(fft.Intact());
}

TEST(ExtremeArguments, PairReductionsAtTheEnds) {
    const std::vector<std::uint16_t> sine = Sine(kDeep);
    Fenced<std::int16_t> pairs(502);
    dsoChannelDataFilt(kMax16, kMax16, pairs.data(), sine.data(), kMax16, kMax16);
    sdGetDisplayData(
        std::array<std::uint16_t, 7>{kMax16, kMax16, kMax16, kMax16, kMax16, kMax16, kMax16}.data(),
        pairs.data(), sine.data());
    EXPECT_TRUE(pairs.AllCodesOrNoData());
    std::vector<std::uint16_t> moved(sine.begin(), sine.begin() + 32768);
    dsoChannelDataFiltbackup(kMax16, pairs.data(), moved.data(), kMax16);
    EXPECT_TRUE(pairs.AllCodesOrNoData());
    EXPECT_TRUE(pairs.Intact());

    // Groups of 2^32 - 1 points over 100 valid points 0..99: the rest read as point 99.
    std::vector<std::uint16_t> ramp(100);
    for (int i = 0; i < 100; ++i)
        ramp[i] = static_cast<std::uint16_t>(i);
    Fenced<std::int16_t> two(4);
    dsoStopDataFilt(kMax32, 2, ramp.data(), two.data(), 0, 100);
    EXPECT_EQ(two[0], 0); // minimum first
    EXPECT_EQ(two[1], 99);
    EXPECT_EQ(two[2], 99);
    EXPECT_EQ(two[3], 99);
    // Mean: (0 + 1 + ... + 98 + 99 x (2^32 - 1 - 99)) / (2^32 - 1), just below 99.
    dsoStopDataFilt(kMax32, 2, ramp.data(), two.data(), 2, 100);
    EXPECT_EQ(two[0], 98);
    EXPECT_EQ(two[2], 99);
    // A valid length of 2^32 - 1 reads only as far as the groups reach.
    dsoStopDataFilt(10, 2, ramp.data(), two.data(), kMax16, kMax32);
    EXPECT_EQ(two[0], 0);
    EXPECT_EQ(two[1], 9);
    EXPECT_EQ(two[2], 10);
    EXPECT_TRUE(two.Intact());
}

TEST(ExtremeArguments, RollAndStoppedDisplaysAtTheEnds) {
    std::vector<std::uint16_t> display = Sine();
    const std::uint16_t levels[2] = {kMax16, kMax16};
    const std::uint16_t block[4] = {0, 0, 1, 1};
    EXPECT_EQ(dsoScrollDisplayData(display.data(), levels, block, kMax16, 1), 1);
    EXPECT_EQ(display[499], 0); // 511 - 65535, held at 0
    EXPECT_EQ(dsoScrollDisplayData(display.data(), levels, block, kMax16, kMax16), 1);
    EXPECT_EQ(display[499], kMax16);
    EXPECT_EQ(sdDisplayScrollData(display.data(), levels, 255, 255, kMax16, 2), 1);
    EXPECT_EQ(display[499], 0);
    EXPECT_EQ(sdDisplayScrollData(display.data(), levels, 255, 255, kMax16, kMax16), 1);
    EXPECT_EQ(display[499], kMax16);

    const std::vector<std::uint16_t> sine = Sine();
    Fenced<std::uint16_t> dst(500);
    for (std::uint16_t mode : {std::uint16_t(0), std::uint16_t(1), std::uint16_t(2), kMax16}) {
        for (std::uint16_t factor : {std::uint16_t(0), kMax16}) {
            // Captured at 65535 % and shown at 0 %: the record lies far to the left, nothing lands.
            dsoScrollDisplayDataInStop(sine.data(), dst.data(), kMax16, 0, factor, mode);
            EXPECT_EQ(std::count(dst.data(), dst.data() + 500, kNoData), 500) << mode << " " << factor;
            dsoScrollDisplayDataInStop(sine.data(), dst.data(), 0, kMax16, factor, mode);
            EXPECT_TRUE(dst.AllCodesOrNoData());
            dsoScrollDisplayDataInStop(sine.data(), dst.data(), kMax16, kMax16, factor, mode);
            EXPECT_TRUE(dst.AllCodesOrNoData());
        }
    }
    // Same capture and current position, shift mode: the record as it was.
    dsoScrollDisplayDataInStop(sine.data(), dst.data(), kMax16, kMax16, kMax16, 1);
    EXPECT_TRUE(std::equal(sine.begin(), sine.end(), dst.data()));
    EXPECT_TRUE(dst.Intact());
}

// ---- Zoom ----

TEST(ExtremeArguments, ZoomsOfDeepRecordsWithPositionsAndSizesAtTheEnds) {
    const std::vector<std::uint16_t> sine = Sine(kDeep);
    // A live deep record with its trailer {time base, volts, capture position, double rate} at 2n,
    // as the read leaves it, and a stopped record of two channels with the capture position at
    // 2n + 2.
    std::vector<std::uint16_t> live(2 * kDeep + 4);
    std::copy(sine.begin(), sine.end(), live.begin());
    std::vector<std::uint16_t> stop(2 * kDeep + 4, 0);
    std::copy(sine.begin(), sine.end(), stop.begin());
    std::copy(sine.begin(), sine.end(), stop.begin() + kDeep);
    const std::uint16_t settings[7] = {0, 0, 20, kMax16, 2, kMax16, 0};
    const std::uint16_t positions[5] = {0, 0, 0, kMax16, 0};
    Fenced<std::uint16_t> dst(kDeep);
    for (std::uint16_t capture : {std::uint16_t(0), kMax16}) {
        live[2 * kDeep] = 20;
        live[2 * kDeep + 2] = capture;
        stop[2 * kDeep + 2] = capture;
        for (std::uint16_t word : {std::uint16_t(0), kMax16}) {
            dsoDataResolutionZoomIn(live.data(), dst.data(), word, word, settings);
            EXPECT_TRUE(dst.AllCodesOrNoData());
            dsoDataResolutionZoomOut(live.data(), dst.data(), word, word, kMax16);
            EXPECT_TRUE(dst.AllCodesOrNoData());
            dsoRefDataResolutionZoomIn(sine.data(), dst.data(), capture, word, word, kMax16);
            EXPECT_TRUE(dst.AllCodesOrNoData());
            dsoRefDataResolutionZoomOut(sine.data(), dst.data(), capture, word, word, kMax16);
            EXPECT_TRUE(dst.AllCodesOrNoData());
            for (std::uint32_t size : {0u, 1u, 65536u, kMax32}) {
                dsoStopDataProcessZoomIn(settings, stop.data(), dst.data(), word, size);
                EXPECT_TRUE(dst.AllCodesOrNoData());
                dsoStopDataProcessZoomOut(settings, stop.data(), dst.data(), size);
                EXPECT_TRUE(dst.AllCodesOrNoData());
                dsoRefDataProcessZoomIn(positions, stop.data(), dst.data(), word, size);
                EXPECT_TRUE(dst.AllCodesOrNoData());
                dsoRefDataProcessZoomOut(positions, stop.data(), dst.data(), size);
                EXPECT_TRUE(dst.AllCodesOrNoData());
            }
        }
    }
    // Captured at 655.35 % of the record and shown at -0.01 %: the window lies past the record.
    live[2 * kDeep + 2] = kMax16;
    dsoDataResolutionZoomOut(live.data(), dst.data(), kMax16, 1, kMax16);
    EXPECT_EQ(std::count(dst.data(), dst.data() + kDeep, kNoData), static_cast<long>(kDeep));
    EXPECT_TRUE(dst.Intact());
}

TEST(ExtremeArguments, RollBackupAndEtsZoomsAtTheEnds) {
    const std::vector<std::uint16_t> sine = Sine();
    Fenced<std::uint16_t> dst(500);
    for (std::uint16_t word : {std::uint16_t(0), std::uint16_t(6554), kMax16}) {
        const std::uint16_t positions[5] = {word, word, word, word, word};
        for (std::uint32_t size : {0u, 1u, 500u, kMax32}) {
            dsoScrollModeDataZoomIn(positions, sine.data(), dst.data(), word, size);
            EXPECT_TRUE(dst.AllCodesOrNoData());
            dsoScrollModeDataZoomOut(positions, sine.data(), dst.data(), word, size);
            EXPECT_TRUE(dst.AllCodesOrNoData());
        }
        dsoETSDataZoomIn(sine.data(), dst.data(), DBL_MAX, word, DBL_MIN);
        EXPECT_TRUE(dst.AllCodesOrNoData());
        dsoETSDataZoomIn(sine.data(), dst.data(), -DBL_MAX, word, 1.0);
        EXPECT_TRUE(std::equal(sine.begin(), sine.end(), dst.data())) << "a ratio below 1 copies";
    }
    EXPECT_EQ(dsoScrollModeDataZoomIn(std::array<std::uint16_t, 5>{}.data(), sine.data(), dst.data(), 0, 0),
              0);
    EXPECT_EQ(dsoETSDataZoomOut(kMax16), 2);
    EXPECT_EQ(dsoETSDataZoomOut(0), 1);
    EXPECT_TRUE(dst.Intact());

    std::vector<std::uint16_t> record = Sine(32768);
    Fenced<std::int16_t> pairs(500);
    for (std::uint16_t word : {std::uint16_t(0), kMax16}) {
        dsoDataResolutionZoomInBackup(record.data(), pairs.data(), word, word, word, word, word);
        EXPECT_TRUE(pairs.AllCodesOrNoData());
        dsoDataResolutionZoomInBackup(record.data(), pairs.data(), word, word, word, 10, word);
        EXPECT_TRUE(pairs.AllCodesOrNoData());
    }
    EXPECT_TRUE(pairs.Intact());
}

// ---- Pass/fail ----

TEST(ExtremeArguments, PassFailLimitsAtTheEnds) {
    const std::vector<std::uint16_t> sine = Sine();
    Fenced<std::uint16_t> upper(500), lower(500);
    EXPECT_EQ(dsoCalculatePassFailData(kMax16, kMax16, upper.data(), lower.data(), sine.data()), 1);
    EXPECT_EQ(std::count(upper.data(), upper.data() + 500, 511), 500);
    EXPECT_EQ(std::count(lower.data(), lower.data() + 500, 0), 500);
    EXPECT_EQ(dsoCalculatePassFailData(0, 0, upper.data(), lower.data(), sine.data()), 1);
    EXPECT_TRUE(std::equal(sine.begin(), sine.end(), upper.data()));
    EXPECT_TRUE(std::equal(sine.begin(), sine.end(), lower.data()));
    // A widening of 65535 points would leave 0..499 on both sides of every point: it is skipped.
    EXPECT_EQ(dsoCalculatePassFailData(kMax16, 0, upper.data(), lower.data(), sine.data()), 1);
    EXPECT_TRUE(std::equal(sine.begin(), sine.end(), upper.data()));
    EXPECT_TRUE(std::equal(sine.begin(), sine.end(), lower.data()));
    EXPECT_TRUE(upper.Intact());
    EXPECT_TRUE(lower.Intact());

    const std::uint16_t layout[7] = {500, 511, 0, 0, 0, 0, 0};
    Canvas c(500, 511);
    dsoDrawPassFailRgn(c.dc(), layout, upper.data(), lower.data(), kMax16);
    dsoDrawPassFailRgn(c.dc(), layout, upper.data(), lower.data(), 250);
    EXPECT_EQ(c.CountNot(kBlack, 0, 0, 500, 511), 0);
    dsoDrawPassFailRgn(c.dc(), layout, upper.data(), lower.data(), 249);
    EXPECT_GT(c.Count(RGB(150, 128, 0), 0, 0, 500, 511), 0);
}

// ---- sd display functions ----

TEST(ExtremeArguments, SamplingFigureAndSpectrumWordsAtTheEnds) {
    double seconds = -1;
    EXPECT_EQ(sdDisplaySampling(255, 255, kMax16, kMax16, kMax16, kMax16, &seconds), 0.0);
    EXPECT_EQ(seconds, -1);
    EXPECT_EQ(sdDisplaySampling(255, 255, kMax16, kMax16, 6, kMax16, &seconds), 500);
    EXPECT_EQ(seconds, 2e-7);
    EXPECT_EQ(sdDisplaySampling(255, 255, 0, kMax16, 10, kMax16, &seconds), 125);
    EXPECT_EQ(sdDisplaySampling(0, 0, 0, 0, 25, kMax16, &seconds), 0.25);
    EXPECT_EQ(sdDisplaySampling(0, 0, 0, 0, 38, 0, &seconds), 0.028);
    EXPECT_EQ(seconds, 3600);

    std::vector<double> src(1002, 7.0), dst(1000, -1.0);
    src[1] = 9.0;
    // The largest float scale: the first point covers the whole output.
    EXPECT_EQ(sdFFTDataBuffer(kMax16, FLT_MAX, dst.data(), src.data()), 1);
    EXPECT_EQ(std::count(dst.begin(), dst.begin() + 500, 7.0), 500);
    EXPECT_EQ(dst[500], -1.0);
    EXPECT_EQ(sdFFTDataBuffer(0, FLT_MAX, dst.data(), src.data()), 1);
    EXPECT_EQ(std::count(dst.begin(), dst.end(), 7.0), 1000);
    for (float bad : {-FLT_MAX, 0.0f, INFINITY, NAN})
        EXPECT_EQ(sdFFTDataBuffer(1, bad, dst.data(), src.data()), 0);

    const std::vector<std::uint16_t> a = Sine(10240), b = Sine(10240);
    const std::uint16_t settings[7] = {kMax16, kMax16, kMax16, kMax16, kMax16, kMax16, kMax16};
    std::vector<double> out(500, -1.0);
    SdSpectrumSettings spectrum{kMax16, kMax16, kMax16, 1000, 0, 1};
    EXPECT_EQ(sdFFT(kMax16, settings, &spectrum, a.data(), a.data(), b.data(), b.data(), out.data()), 0);
    spectrum.pointCount = 4096;
    EXPECT_EQ(sdFFT(kMax16, settings, &spectrum, a.data(), a.data(), b.data(), b.data(), out.data()), 0);
    spectrum.windowType = 3;
    EXPECT_EQ(sdFFT(kMax16, settings, &spectrum, a.data(), a.data(), b.data(), b.data(), out.data()), 1);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](double v) { return std::isfinite(v); }));
}

// ---- sd device functions ----

class ExtremeSdArguments : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        kv::sdk::ResetSdState();
    }
};

TEST_F(ExtremeSdArguments, DeviceIndexesAndIndexesAtTheEndsSendNothing) {
    std::array<std::uint16_t, 7> settings{0, 2, 20, 50, 1, 10, 0};
    std::array<std::uint16_t, 66> levels{};
    std::array<std::uint16_t, 5> positions{255, 255, 255, 255, 255};
    const std::array<std::uint16_t, 5> filter{0, 0, 0, 0, 0};
    std::array<std::uint16_t, 9> autoset{};
    for (std::uint16_t index : {std::uint16_t(4), kMax16}) {
        EXPECT_EQ(sdSearchDevice(index), 0);
        EXPECT_EQ(sdCaptureStart(index), 0);
        EXPECT_EQ(sdTriggerEnabled(index), 0);
        EXPECT_EQ(sdForceTrigger(index), 0);
        EXPECT_EQ(sdGetLevel(index, levels.data()), 0);
        EXPECT_EQ(sdSetFilt(index, filter.data()), 0);
        EXPECT_EQ(sdSetOffset(index, positions.data(), 0, 0, 0, levels.data()), 0);
        EXPECT_EQ(sdSetTriggerAndSampleRate(index, 0, 0, settings.data(), 0, 0, 0), 0);
        EXPECT_EQ(
            sdAutoset(index, settings.data(), autoset.data(), filter.data(), positions.data(), levels.data()),
            0);
    }
    EXPECT_EQ(sdSetVoltageAndCoupling(0, kMax16, kMax16, kMax16, kMax16, settings.data()), 0);
    EXPECT_EQ(sdSetOffset(0, positions.data(), kMax16, 0, 0, levels.data()), 0);
    EXPECT_EQ(sdSetOffset(0, positions.data(), 0, 0, kMax16, levels.data()), 0);
    EXPECT_EQ(dev->LogSize(), 0u);
    EXPECT_EQ(levels, (std::array<std::uint16_t, 66>{})) << "a refused call leaves the table alone";

    // Out-of-table indexes: the trigger pair of the "other" rows, or the fixed pair above source 2.
    EXPECT_EQ(sdCurrentTriggerLevel(0, kMax16, 0, levels.data()), 1);
    EXPECT_EQ(levels[40], 712);
    EXPECT_EQ(levels[41], 2805);
    EXPECT_EQ(sdCurrentTriggerLevel(1, 0, kMax16, levels.data()), 1);
    EXPECT_EQ(levels[40], 626);
    EXPECT_EQ(levels[41], 2868);
    EXPECT_EQ(sdCurrentTriggerLevel(kMax16, kMax16, kMax16, levels.data()), 1);
    EXPECT_EQ(levels[40], 497);
    EXPECT_EQ(levels[41], 3085);
}

TEST_F(ExtremeSdArguments, WordsAtTheEndsReachTheWireInTheirFields) {
    std::array<std::uint16_t, 7> settings{0, 2, 20, 50, 1, 10, 0};
    // Trigger value, flag B and the two-bit value keep their low bits; the 32-bit value goes whole.
    EXPECT_EQ(sdSetTriggerAndSampleRate(0, kMax16, 0, settings.data(), kMax16, kMax16, kMax32), 1);
    const auto trigger = BulkWrites().at(0).data;
    ASSERT_EQ(trigger.at(0), 0x0E);
    EXPECT_EQ(trigger[2] & 0xA0, 0xA0); // flag B (bit 7) and trigger value (bit 5)
    EXPECT_EQ(trigger[3], 3);
    EXPECT_EQ(trigger[4], 0xFF);
    EXPECT_EQ(trigger[7], 0xFF);

    const std::array<std::uint16_t, 5> filter{kMax16, kMax16, kMax16, kMax16, kMax16};
    dev->ClearLog();
    EXPECT_EQ(sdSetFilt(0, filter.data()), 1);
    EXPECT_EQ(BulkWrites().at(0).data.at(2), 0x07);

    // Positions of 65535 count as 511: every DAC stays in 0..4095 and its select bits stay put.
    std::array<std::uint16_t, 66> levels{};
    for (int r = 0; r < 20; ++r) {
        levels[2 * r] = 0;
        levels[2 * r + 1] = 4095;
    }
    const std::array<std::uint16_t, 5> positions{kMax16, kMax16, kMax16, kMax16, kMax16};
    dev->ClearLog();
    EXPECT_EQ(sdSetOffset(0, positions.data(), 9, 9, 0, levels.data()), 1);
    const auto offsets = VendorRequests().at(0).data;
    ASSERT_GE(offsets.size(), 6u);
    // Position 511 is the bottom of the range: the low DAC value 0 for both channels, and the
    // trigger pair of CH1 range 9 (685, 2733) gives 685.
    EXPECT_EQ(offsets[0], 0x20);
    EXPECT_EQ(offsets[1], 0x00);
    EXPECT_EQ(offsets[2], 0x30);
    EXPECT_EQ(offsets[3], 0x00);
    EXPECT_EQ(offsets[4], 0x02);
    EXPECT_EQ(offsets[5], 0xAD);
}

TEST_F(ExtremeSdArguments, AcquisitionStepsWithWordsAtTheEnds) {
    std::array<std::uint16_t, 7> settings{0, 2, 20, 50, 1, 10, 0};
    std::array<std::uint16_t, 66> levels{};
    const std::array<std::uint16_t, 5> positions{kMax16, kMax16, kMax16, kMax16, kMax16};
    // Sweep 65535 reads at once; the volts index 65535 goes into the trailer as it is.
    const std::array<std::uint16_t, 5> filter{kMax16, kMax16, kMax16, kMax16, kMax16};
    std::vector<std::uint16_t> ch1(20484, 0xBEEF), ch2(20484, 0xBEEF);
    EXPECT_EQ(sdGetData(0, kMax16, kMax16, ch1.data(), ch2.data(), settings.data(), filter.data(),
                        positions.data(), levels.data(), kMax32, kMax16, kMax16, kMax32),
              1);
    EXPECT_EQ(ch1[20480], 20);
    EXPECT_EQ(ch1[20481], kMax16);
    EXPECT_EQ(ch2[20482], 50);

    // Roll step with the largest trailer value and flags, and clock values at the ends of double.
    std::vector<std::uint16_t> display1 = Sine(), display2 = Sine();
    std::array<double, 4> timing{DBL_MAX, DBL_MAX, -DBL_MAX, 1.0};
    const std::uint16_t groundLevels[2] = {kMax16, kMax16};
    EXPECT_EQ(sdGetScrollData(0, settings.data(), groundLevels, timing.data(), kMax16, kMax16, ch1.data(),
                              ch2.data(), display1.data(), display2.data(), kMax16, 255, 255),
              1);
    EXPECT_EQ(display1[499], 0) << "a flagged channel appends 511 - 65535, held at 0";
    EXPECT_EQ(display2[499], 0);
}

} // namespace
