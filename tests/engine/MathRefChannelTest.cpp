#include "engine/MathRefChannel.h"
#include "engine/ScopeSettings.h"

#include <gtest/gtest.h>

namespace {

void Fill(CTrace& t, int value) {
    for (int i = 0; i < 500; ++i)
        t.GetScreenTrace()[i] = static_cast<std::int16_t>(value);
}

// CH1 zero line at 255, CH2 at 383, MATH at 255, all at 1 V/div.
struct Inputs {
    CTrace ch1, ch2;
    CMathChannel math;
    Inputs() {
        for (CTrace* t : {&ch1, &ch2, static_cast<CTrace*>(&math)}) {
            t->SetVoltsPerDivIndex(6);
            t->SetProbe(0);
            t->SetOn(1);
        }
        ch1.SetPosition(256.0f);
        ch2.SetPosition(128.0f);
        math.SetPosition(256.0f);
        Fill(ch1, 300); // 45 codes above its zero line
        Fill(ch2, 400); // 17 codes above its zero line
    }
    int Run(std::int16_t op, std::int16_t a = 0, std::int16_t b = 1) {
        math.SetOperation(op);
        math.SetSourceA(a);
        math.SetSourceB(b);
        math.Compute(&ch1, &ch2);
        return math.GetScreenTrace()[123];
    }
};

TEST(MathChannel, EachOperationOnTwoInputs) {
    Inputs in;
    EXPECT_EQ(in.Run(0), 255 + 45 + 17);
    EXPECT_EQ(in.Run(1), 255 + 45 - 17);
    // 0.7045 V x 0.2661 V = 0.1875 V^2, which on MATH's 1 V/div spans 0.1875 divisions of the
    // same screen: 11.98 codes above MATH's zero line.
    EXPECT_EQ(in.Run(2), 266);
    EXPECT_EQ(in.Run(3), 257); // 45 / 17 = 2.65
    EXPECT_EQ(in.math.GetScreenTrace()[0], 257);
    EXPECT_EQ(in.math.GetScreenTrace()[499], 257);
}

TEST(MathChannel, OperandsFollowTheSources) {
    Inputs in;
    EXPECT_EQ(in.Run(1, 1, 0), 255 + 17 - 45);
    EXPECT_EQ(in.Run(0, 1, 1), 255 + 34);
    // Any non-zero source counts as CH2.
    EXPECT_EQ(in.Run(1, 5, 0), 255 + 17 - 45);
    EXPECT_EQ(in.Run(1, 0, -1), 255 + 45 - 17);
}

TEST(MathChannel, SameTraceTwice) {
    Inputs in;
    EXPECT_EQ(in.Run(0, 0, 0), 255 + 90); // A+A doubles the distance from the zero line
    EXPECT_EQ(in.Run(1, 0, 0), 255);
    EXPECT_EQ(in.Run(2, 0, 0), 286); // 0.7045 V squared = 0.4963 divisions: 31.7 codes
    // A/A is 1 everywhere, also where A sits on its zero line.
    in.ch1.GetScreenTrace()[123] = 255;
    EXPECT_EQ(in.Run(3, 0, 0), 256);
    EXPECT_EQ(in.math.GetScreenTrace()[0], 256);
}

TEST(MathChannel, DivideByOperandOnItsZeroLineGivesTheZeroLine) {
    Inputs in;
    in.ch2.GetScreenTrace()[123] = 383;
    EXPECT_EQ(in.Run(3), 255);
    EXPECT_EQ(in.math.GetScreenTrace()[124], 257);
    // The result, zero line included, is truncated: 45 / -20 + 255 = 252.75.
    Fill(in.ch2, 383 - 20);
    EXPECT_EQ(in.Run(3), 252);
}

TEST(MathChannel, VoltsPerDivRatiosScaleTheOperands) {
    Inputs in;
    in.ch1.SetVoltsPerDivIndex(7); // 2 V/div on a 1 V/div MATH
    Fill(in.ch2, 383);
    EXPECT_EQ(in.Run(0), 255 + 90);
    in.math.SetVoltsPerDivIndex(8); // 5 V/div: kX = 0.4, 45 x 0.4 = 18
    EXPECT_EQ(in.Run(0), 255 + 18);
    in.math.SetPosition(300.0f); // zero line 211
    EXPECT_EQ(in.Run(0), 211 + 18);
}

TEST(MathChannel, LargeResultsSaturateInsteadOfWrapping) {
    Inputs in;
    // CH1 at 5 V/div on a 10 mV/div MATH: 131 codes give 65755, which as int16 would wrap to 219.
    in.ch1.SetVoltsPerDivIndex(8);
    in.math.SetVoltsPerDivIndex(0);
    Fill(in.ch1, 255 + 131);
    Fill(in.ch2, 383);
    EXPECT_EQ(in.Run(0), 32767);
    Fill(in.ch1, 255 - 131);
    EXPECT_EQ(in.Run(0), -32768);
    // After the trace filter's clamp the point sits at the edge, not in the middle of the screen.
    Fill(in.ch1, 255 + 131);
    in.math.SetOperation(0);
    in.math.UpdateFromInputs(in.ch1, in.ch2);
    EXPECT_EQ(in.math.GetScreenTrace()[10], 511);

    // Probe x1000 at 10 V/div over 10 mV/div: ratio 10^6, products far beyond int16.
    in.ch1.SetVoltsPerDivIndex(9);
    in.ch1.SetProbe(3);
    in.ch2.SetVoltsPerDivIndex(9);
    in.ch2.SetProbe(3);
    Fill(in.ch1, 511);
    Fill(in.ch2, 0);
    EXPECT_EQ(in.Run(0), -32768); // 256e6 + (-383e6)
    EXPECT_EQ(in.Run(1), 32767);
    EXPECT_EQ(in.Run(2), -32768);
    EXPECT_EQ(in.Run(3), 254); // -0.67 + 255, truncated toward zero
}

TEST(MathChannel, UnknownOperationComputesNothing) {
    Inputs in;
    Fill(in.math, 77);
    EXPECT_EQ(in.Run(4), 77);
    EXPECT_EQ(in.Run(-1), 77);
}

TEST(MathChannel, GapsInAnOperandStayGaps) {
    Inputs in;
    in.ch1.GetScreenTrace()[123] = 11111;
    EXPECT_EQ(in.Run(0), 11111);
    EXPECT_EQ(in.math.GetScreenTrace()[122], 317);
}

TEST(MathChannel, Labels) {
    CMathChannel m;
    m.SetSourceA(0);
    m.SetSourceB(1);
    const char* expected[] = {"CH1 + CH2", "CH1 - CH2", "CH1 X CH2", "CH1 / CH2", "CH1 + CH2"};
    for (std::int16_t op = 0; op <= 4; ++op) {
        m.SetOperation(op);
        EXPECT_STREQ(m.GetLabel(), expected[op]);
    }
    m.SetOperation(3);
    m.SetSourceA(1);
    m.SetSourceB(0);
    EXPECT_STREQ(m.GetLabel(), "CH2 / CH1");
    m.SetSourceA(9);
    m.SetSourceB(9);
    EXPECT_STREQ(m.GetLabel(), "CH2 / CH2");
}

TEST(MathChannel, SourcesFollowTheEnabledInputs) {
    Inputs in;
    in.ch2.SetDisplayPointCount(1);
    in.math.SetOperation(0);

    // Only CH2 on, sources set to CH1: rewritten to CH2 and computed from CH2 alone.
    in.ch1.SetOn(0);
    in.math.SetSourceA(0);
    in.math.SetSourceB(0);
    in.math.UpdateFromInputs(in.ch1, in.ch2);
    EXPECT_EQ(in.math.GetSourceA(), 1);
    EXPECT_EQ(in.math.GetSourceB(), 1);
    EXPECT_EQ(in.math.GetScreenTrace()[0], 255 + 34);
    EXPECT_EQ(in.math.GetDisplayPointCount(), 1);

    // Only CH1 on.
    in.ch1.SetOn(1);
    in.ch2.SetOn(0);
    in.math.UpdateFromInputs(in.ch1, in.ch2);
    EXPECT_EQ(in.math.GetSourceA(), 0);
    EXPECT_EQ(in.math.GetSourceB(), 0);
    EXPECT_EQ(in.math.GetScreenTrace()[0], 255 + 90);
    EXPECT_EQ(in.math.GetDisplayPointCount(), 500);

    // Both on: the chosen sources stay.
    in.ch2.SetOn(1);
    in.math.SetSourceB(1);
    in.math.UpdateFromInputs(in.ch1, in.ch2);
    EXPECT_EQ(in.math.GetScreenTrace()[0], 255 + 45 + 17);

    // Neither on: zeroed.
    in.ch1.SetOn(0);
    in.ch2.SetOn(0);
    in.math.UpdateFromInputs(in.ch1, in.ch2);
    EXPECT_EQ(in.math.GetScreenTrace()[0], 0);
    EXPECT_EQ(in.math.GetScreenTrace()[499], 0);
}

TEST(MathChannel, InvertAndFilterFollowTheComputation) {
    Inputs in;
    in.math.SetOperation(0);
    in.math.SetInvert(1);
    in.math.UpdateFromInputs(in.ch1, in.ch2);
    EXPECT_EQ(in.math.GetScreenTrace()[0], 255 - 62); // mirrored about the zero line
}

// A REF holding a 500-point screen trace taken at 1 V/div with its zero line at 255.
struct ScreenRef {
    CRefChannel ref;
    explicit ScreenRef(int value) {
        ref.AllocateRecords(65535);
        ref.SetRecordLength(500);
        for (int i = 0; i < 500; ++i)
            ref.GetRawRecord()[i] = static_cast<std::int16_t>(value);
        ref.SetVoltsPerDivIndex(6);
        ref.SetPosition(256.0f);
        ref.SaveAcquisitionState(0);
    }
};

TEST(RefChannel, DefaultsAndLoadedRecord) {
    CRefChannel ref;
    EXPECT_EQ(ref.GetHorizontalPosition(), 250);
    EXPECT_EQ(ref.GetLoadedPosition(), 256.0f);
    EXPECT_EQ(ref.HasNoSamples(), 1);
    ref.SetHorizontalPosition(100);
    ref.SetLoadedPosition(12.0f);
    ref.SetNoSamples(0);
    ref.ResetStoredData();
    EXPECT_EQ(ref.GetHorizontalPosition(), 250);
    EXPECT_EQ(ref.GetLoadedPosition(), 256.0f);
    EXPECT_EQ(ref.HasNoSamples(), 1);

    ScreenRef s(300);
    s.ref.GetRawRecord()[7] = 123;
    s.ref.AcceptLoadedRecord();
    EXPECT_EQ(s.ref.IsOn(), 1);
    EXPECT_EQ(s.ref.HasNoSamples(), 0);
    EXPECT_EQ(s.ref.GetWorkRecord()[7], 123);
    EXPECT_EQ(s.ref.GetWorkRecord()[8], 300);
}

TEST(RefChannel, ScreenReferenceFollowsVoltsPerDivAndPosition) {
    ScreenRef s(355); // 100 codes above the zero line
    s.ref.UpdateDisplay(1e-3, 1e-3, 250);
    EXPECT_EQ(s.ref.GetScreenTrace()[0], 355);
    // Shown at 2 V/div it is halved about its zero line; the time base is ignored.
    s.ref.SetVoltsPerDivIndex(7);
    s.ref.UpdateDisplay(1.0, 1e-6, 0);
    EXPECT_EQ(s.ref.GetScreenTrace()[0], 305);
    EXPECT_EQ(s.ref.GetScreenTrace()[499], 305);
    // Moved: the zero line follows the current position.
    s.ref.SetPosition(300.0f);
    s.ref.UpdateDisplay(1e-3, 1e-3, 250);
    EXPECT_EQ(s.ref.GetScreenTrace()[0], 261);
}

TEST(RefChannel, ScreenReferenceSaturatesBeforeTheClamp) {
    // Taken at 10 V/div, shown at 10 mV/div: 131 codes become 131000, which as int16 would wrap
    // back onto the screen; saturated, the filter pins it to the top edge.
    ScreenRef s(255 + 131);
    s.ref.SetVoltsPerDivIndex(9);
    s.ref.SaveAcquisitionState(0);
    s.ref.SetVoltsPerDivIndex(0);
    s.ref.UpdateDisplay(1e-3, 1e-3, 250);
    EXPECT_EQ(s.ref.GetScreenTrace()[0], 511);
    ScreenRef low(255 - 131);
    low.ref.SetVoltsPerDivIndex(9);
    low.ref.SaveAcquisitionState(0);
    low.ref.SetVoltsPerDivIndex(0);
    low.ref.UpdateDisplay(1e-3, 1e-3, 250);
    EXPECT_EQ(low.ref.GetScreenTrace()[0], 0);
}

TEST(RefChannel, LongReferenceIsRenderedAtItsOwnTimeBase) {
    CRefChannel ref;
    ref.AllocateRecords(65535);
    ref.SetRecordLength(10240);
    ref.SetWindowLength(10000);
    for (int i = 0; i < 10240; ++i)
        ref.GetRawRecord()[i] = 300;
    ref.SetVoltsPerDivIndex(6);
    ref.SetPosition(256.0f);
    ref.SaveAcquisitionState(0);
    ref.UpdateDisplay(1e-3, 1e-3, 250);
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(ref.GetScreenTrace()[i], 300) << i;

    // Through the settings: the REF's own time-base index against the current one.
    CScopeSettings settings;
    ref.SetTimeBaseIndex(settings.GetTimeBaseIndex());
    ref.UpdateDisplay(settings);
    EXPECT_EQ(ref.GetScreenTrace()[250], 300);

    // A current time base of 0 s/div gives no finite ratio: nothing outside the screen range.
    ref.UpdateDisplay(1e-3, 0.0, 250);
    for (int i = 0; i < 500; ++i) {
        ASSERT_GE(ref.GetScreenTrace()[i], 0);
        ASSERT_LE(ref.GetScreenTrace()[i], 511);
    }
}

TEST(RefChannel, WithoutBuffersNothingHappens) {
    CRefChannel ref;
    ref.SetRecordLength(500);
    Fill(ref, 42);
    ref.UpdateDisplay(1e-3, 1e-3, 250);
    EXPECT_EQ(ref.GetScreenTrace()[0], 42);
}

// Each operand is brought to MATH's volts/div by its own ratio: CH2 at 2 V/div counts double
// on a 1 V/div MATH, whichever source slot it sits in.
TEST(MathChannel, EachOperandUsesItsOwnVoltsPerDivRatio) {
    struct Case {
        std::int16_t op, a, b;
        int expected;
    };
    // CH1: 45 codes above its zero line at 1 V/div; CH2: 17 codes at 2 V/div, i.e. 34 MATH codes.
    const Case cases[] = {
        {0, 0, 1, 255 + 45 + 34},
        {0, 1, 0, 255 + 34 + 45},
        {1, 0, 1, 255 + 45 - 34},
        {1, 1, 0, 255 + 34 - 45},
        {3, 0, 1, 256},      // 45 / 34 = 1.32
        {3, 1, 0, 255},      // 34 / 45 = 0.76
        {0, 1, 1, 255 + 68}, // CH2 twice
        // 0.7045 V x 0.5323 V = 0.3750 V^2: 0.375 MATH divisions, 23.95 codes.
        {2, 0, 1, 278},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "operation " << c.op << " sources " << c.a << "," << c.b);
        Inputs in;
        in.ch2.SetVoltsPerDivIndex(7);
        EXPECT_EQ(in.Run(c.op, c.a, c.b), c.expected);
    }
    // The divisor is taken about CH2's own zero line (383), not CH1's (255).
    Inputs in;
    in.ch2.SetVoltsPerDivIndex(7);
    Fill(in.ch2, 255);
    EXPECT_EQ(in.Run(3), 254); // 255 + 45 / (-128 x 2) = 254.82, truncated
    Fill(in.ch2, 383);
    EXPECT_EQ(in.Run(3), 255); // CH2 on its zero line: the quotient is left at zero
}

} // namespace
