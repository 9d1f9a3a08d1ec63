#include "engine/SetupFile.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"
#include "system/LittleEndian.h"
#include "timebase/RecordLength.h"

#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace kvtest;

// Offsets of the default file (REF without samples, record store without frames).
constexpr std::size_t kCh1 = 20, kCh2 = 54, kMath = 88, kRef = 120, kTrigger = 156, kTimeBase = 208,
                      kScreen = 218, kAcquisition = 232, kRecord = 244, kPassFail = 292, kMeasure = 2328,
                      kFft = 2396, kDefaultFileSize = 2418;

class SetupFileTest : public TwoDocumentFixture {
protected:
    SetupFileTest() : TwoDocumentFixture("kv-setup-") {}

    // Every field of the file away from its default.
    void ChangeEverything(CKelvaneDoc& d, FakeDocUi& u) {
        d.m_nLanguage = -1;
        d.m_ch1.SetOn(0);
        d.m_ch1.SetVoltsPerDivIndex(3);
        d.m_ch1.SetCoupling(kCouplingGnd);
        d.m_ch1.SetProbe(1);
        d.m_ch1.SetFilter(2);
        d.m_ch1.SetInvert(1);
        d.m_ch1.SetBandwidthLimit(1);
        d.m_ch1.SetPosition(100.5f);
        d.m_ch1.SetInterpolation(kInterpolationLinear);
        d.m_ch1.SetColor(RGB(1, 2, 3));
        d.m_ch2.SetVoltsPerDivIndex(9);
        d.m_ch2.SetProbe(3);
        d.m_ch2.SetPosition(-20.25f);
        d.m_math.SetOn(1);
        d.m_math.SetVoltsPerDivIndex(2);
        d.m_math.SetProbe(2);
        d.m_math.SetSourceA(1);
        d.m_math.SetSourceB(0);
        d.m_math.SetOperation(3);
        d.m_math.SetInvert(1);
        d.m_math.SetPosition(300.0f);
        d.m_math.SetInterpolation(kInterpolationStep);
        d.m_math.SetColor(RGB(9, 8, 7));
        d.m_ref.SetOn(1);
        d.m_ref.SetPosition(200.0f);
        d.m_ref.SetPositionAtAcquisition(210.0f);
        d.m_ref.SetVoltsPerDivIndex(5);
        d.m_ref.SetVoltsPerDivAtAcquisition(4);
        d.m_ref.SetRecordLength(700);
        d.m_ref.SetTimeBaseIndex(20);
        d.m_ref.SetHorizontalPosition(123);
        d.m_ref.SetLoadedPosition(201.0f);
        for (int i = 0; i < 700; ++i)
            d.m_ref.GetRawRecord()[i] = static_cast<std::int16_t>(i * 3 - 1000);
        d.m_ref.SetNoSamples(0);
        d.m_trigger.SetTriggerType(kTriggerPulse);
        d.m_trigger.SetSweep(kSweepSingle);
        d.m_trigger.SetSource(kSourceExt);
        d.m_trigger.SetSlope(kSlopeFalling);
        d.m_trigger.SetLevel(0, 17.5f);
        d.m_trigger.SetLevel(1, 600.0f);
        d.m_trigger.SetLevel(2, 44.0f);
        d.m_trigger.SetLevelVolts(1, -2.5f);
        d.m_trigger.SetHfReject(1);
        d.m_trigger.SetMarkerWord(0, 2);
        d.m_trigger.SetMarkerWord(2, 3);
        d.m_trigger.SetDragValue(-12.0f);
        d.m_trigger.SetPulseWidth(123456);
        d.m_trigger.SetPulseCondition(5);
        d.m_settings.SetTimeBaseIndex(20);
        d.m_settings.SetHorizontalPosition(321);
        d.m_settings.SetSamplingMode(kSamplingEts);
        u.screen = ScreenOptions{6, 3, 1, 0, 77, 88};
        d.SetPersistenceDepth(7);
        d.SetPersistenceEnabled(1);
        d.m_average.SetAcquireMode(CAverageBuffer::kModeAverage);
        d.m_average.SetFramesWanted(64);
        d.m_nSaveChannel = 1;
        d.m_record.m_bNoData = 0;
        for (std::size_t i = 0; i < d.m_record.m_frames.size(); i += 997)
            d.m_record.m_frames[i] = static_cast<std::int16_t>(i % 511);
        d.m_record.m_nChannel = 1;
        d.m_record.m_nRecordEndFrame = 300;
        d.m_record.m_nRecordInterval = 20000;
        d.m_record.m_nFramesRecorded = 250;
        d.m_record.m_nTimeBaseIndex = 30;
        d.m_record.m_nVoltsPerDivIndex = 8;
        d.m_record.m_fPosition = 99.0f;
        d.m_record.m_nCoupling = 2;
        d.m_record.m_nProbe = 3;
        d.m_record.m_nRecordingFlagWord = 1;
        d.m_record.m_nPlayStartFrame = 5;
        d.m_record.m_nHorizontalPosition = 500;
        d.m_record.m_nRecordingValue = 0xDEADBEEF;
        d.m_record.m_nPlayInterval = 40;
        d.m_record.m_nCurrentFrame = 6;
        d.m_record.m_nPlayEndFrame = 200;
        d.m_record.m_bRepeat = 1;
        d.m_passFail.m_nHorizontalTolerance = 200;
        d.m_passFail.m_nVerticalTolerance = 128;
        d.m_passFail.m_nFailed = 1ull << 40;
        d.m_passFail.m_nPassed = 7;
        d.m_passFail.m_nTotal = (1ull << 40) + 7;
        d.m_passFail.m_nOutput = 3;
        d.m_passFail.m_nSource = 1;
        d.m_passFail.m_bStop = 1;
        for (int i = 0; i < CPassFail::kPoints; ++i) {
            d.m_passFail.m_upper[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(511 - i % 7);
            d.m_passFail.m_lower[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i % 11);
        }
        d.m_measure.SetSource(2);
        for (short t : {3, 7, 19})
            d.m_measure.AddMeasurement(t);
        d.m_fft.m_bFftOn = 1;
        d.m_fft.m_nSource = 1;
        d.m_fft.m_nWindow = 3;
        d.m_fft.m_nBins = 4096;
        d.m_fft.m_nScale = 0;
        d.m_fft.m_dVerticalScale = 2.75;
        d.m_fft.m_nZoom = 16;
    }

    Bytes Saved(CKelvaneDoc& d) {
        const std::string p = dir.File("probe.set");
        EXPECT_EQ(d.SaveSetupFile(p.c_str()), 1);
        return ReadBytes(p);
    }
};

TEST_F(SetupFileTest, DefaultFileHasTheFixedLayout) {
    doc.SetUi(nullptr);
    const Bytes b = Saved(doc);
    ASSERT_EQ(b.size(), kDefaultFileSize);
    const char magic[] = "QVX-DSO";
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(b[static_cast<std::size_t>(2 * i)], magic[i]);
        EXPECT_EQ(b[static_cast<std::size_t>(2 * i + 1)], 0);
    }
    EXPECT_EQ(Get16(b, 14), 4);              // model
    EXPECT_EQ(Get16(b, 16), -1);             // language index, low half
    EXPECT_EQ(Get16(b, kCh1 + 4), 6);        // CH1 volts/div
    EXPECT_EQ(Get16(b, kCh2 + 26), 10240);   // CH2 record length, low half
    EXPECT_EQ(Get16(b, kRef + 4), 1);        // REF without samples
    EXPECT_EQ(Get16(b, kTimeBase), 13);      // time-base index
    EXPECT_EQ(Get16(b, kTimeBase + 6), 250); // horizontal position
    EXPECT_EQ(Get16(b, kScreen + 10), 200);  // grid intensity without a view
    EXPECT_EQ(Get16(b, kRecord + 6), 1000);  // record end frame
    EXPECT_EQ(Get16(b, kFft + 8), 256);      // FFT bins
}

TEST_F(SetupFileTest, DefaultsRoundTrip) {
    const Bytes first = Saved(doc);
    const std::string p = dir.File("Default.set");
    WriteBytes(p, first);
    ChangeEverything(other, otherUi);
    ASSERT_EQ(other.LoadSetupFile(p.c_str()), 1);
    EXPECT_EQ(Saved(other), first);
}

class SetupFileRecordLengthTest : public SetupFileTest, public ::testing::WithParamInterface<int> {};

TEST_P(SetupFileRecordLengthTest, EveryFieldRoundTripsAtEachRecordLength) {
    ChangeEverything(doc, ui);
    const auto mode = static_cast<std::int16_t>(GetParam());
    doc.m_settings.SetRecordLengthMode(mode);
    doc.SetRecordLength(mode);
    const Bytes first = Saved(doc);
    const std::string p = dir.File("All.set");
    WriteBytes(p, first);
    // While acquisition runs, sending the set-up folds codes 2, 4 and 6 into 1, 3 and 5.
    other.m_bRunning = 0;
    ASSERT_EQ(other.LoadSetupFile(p.c_str()), 1);
    const Bytes second = Saved(other);
    ASSERT_EQ(second.size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i)
        ASSERT_EQ(second[i], first[i]) << "offset " << i;
    EXPECT_EQ(other.m_ch1.GetRecordLength(), kv::timebase::RecordLengthOfCode(mode));
    EXPECT_EQ(other.m_ref.GetRecordLength(), 700);
    EXPECT_EQ(other.m_ref.GetRawRecord()[699], 699 * 3 - 1000);
    EXPECT_EQ(other.m_ref.HasNoSamples(), 0);
    EXPECT_EQ(otherUi.screen.cursorSource, 6);
    EXPECT_EQ(otherUi.screen.waveformIntensity, 88);
    EXPECT_EQ(other.m_record.m_frames, doc.m_record.m_frames);
    EXPECT_EQ(other.m_passFail.m_nFailed, 1ull << 40);
    EXPECT_EQ(other.m_measure.GetEntry(2).type, 19);
    EXPECT_DOUBLE_EQ(other.m_fft.m_dVerticalScale, 2.75);
    // The set-up is sent to the instrument once the file is read.
    EXPECT_FALSE(fake->calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Modes, SetupFileRecordLengthTest, ::testing::Values(0, 1, 2, 3, 4));

// Each changed field at the offset that the file layout gives it: the writer cannot exchange two
// fields of the same width without this test noticing, which a round trip alone would not see.
TEST_F(SetupFileTest, EveryFieldIsWrittenAtItsOffset) {
    ChangeEverything(doc, ui);
    doc.m_settings.SetRecordLengthMode(kRecordLength32K);
    doc.m_settings.SetTimeBaseFormat(kFormatXY);
    const Bytes b = Saved(doc);
    auto f32 = [&b](std::size_t at) {
        const std::uint32_t u = static_cast<std::uint32_t>(b.at(at)) | b.at(at + 1) << 8 |
                                b.at(at + 2) << 16 | static_cast<std::uint32_t>(b.at(at + 3)) << 24;
        float f;
        std::memcpy(&f, &u, 4);
        return f;
    };
    auto i32 = [&b](std::size_t at) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(b.at(at)) | b.at(at + 1) << 8 |
                                         b.at(at + 2) << 16 | static_cast<std::uint32_t>(b.at(at + 3)) << 24);
    };
    // Channel blocks: on, volts/div, coupling, probe, filter, invert, bandwidth, position,
    // interpolation, record length, colour.
    EXPECT_EQ(i32(kCh1), 0);
    EXPECT_EQ(Get16(b, kCh1 + 4), 3);
    EXPECT_EQ(Get16(b, kCh1 + 6), 2);
    EXPECT_EQ(Get16(b, kCh1 + 8), 1);
    EXPECT_EQ(Get16(b, kCh1 + 10), 2);
    EXPECT_EQ(i32(kCh1 + 12), 1);
    EXPECT_EQ(i32(kCh1 + 16), 1);
    EXPECT_FLOAT_EQ(f32(kCh1 + 20), 100.5f);
    EXPECT_EQ(Get16(b, kCh1 + 24), 1);
    EXPECT_EQ(i32(kCh1 + 26), 10240);
    EXPECT_EQ(i32(kCh1 + 30), static_cast<std::int32_t>(RGB(1, 2, 3)));
    EXPECT_EQ(i32(kCh2), 1);
    EXPECT_EQ(Get16(b, kCh2 + 4), 9);
    EXPECT_EQ(Get16(b, kCh2 + 6), 1);
    EXPECT_EQ(Get16(b, kCh2 + 8), 3);
    EXPECT_FLOAT_EQ(f32(kCh2 + 20), -20.25f);
    // MATH: on, volts/div, probe, source A, source B, operation, invert, position, interpolation.
    EXPECT_EQ(i32(kMath), 1);
    EXPECT_EQ(Get16(b, kMath + 4), 2);
    EXPECT_EQ(Get16(b, kMath + 6), 2);
    EXPECT_EQ(Get16(b, kMath + 8), 1);
    EXPECT_EQ(Get16(b, kMath + 10), 0);
    EXPECT_EQ(Get16(b, kMath + 12), 3);
    EXPECT_EQ(i32(kMath + 14), 1);
    EXPECT_FLOAT_EQ(f32(kMath + 18), 300.0f);
    EXPECT_EQ(Get16(b, kMath + 22), 0);
    EXPECT_EQ(i32(kMath + 28), static_cast<std::int32_t>(RGB(9, 8, 7)));
    // REF with its 700 samples after the block.
    EXPECT_EQ(i32(kRef), 1);
    EXPECT_EQ(i32(kRef + 4), 0);
    EXPECT_FLOAT_EQ(f32(kRef + 8), 200.0f);
    EXPECT_FLOAT_EQ(f32(kRef + 12), 210.0f);
    EXPECT_EQ(Get16(b, kRef + 16), 5);
    EXPECT_EQ(Get16(b, kRef + 18), 4);
    EXPECT_EQ(i32(kRef + 20), 700);
    EXPECT_EQ(Get16(b, kRef + 24), 20);
    EXPECT_EQ(Get16(b, kRef + 26), 123);
    EXPECT_FLOAT_EQ(f32(kRef + 28), 201.0f);
    EXPECT_EQ(Get16(b, kRef + 36), -1000);
    EXPECT_EQ(Get16(b, kRef + 36 + 2 * 699), 699 * 3 - 1000);
    // Trigger: type, sweep, source, slope, three levels and three volts, HF reject, three state
    // words, level offset, pulse width, pulse condition.
    const std::size_t trigger = kTrigger + 2 * 700;
    EXPECT_EQ(Get16(b, trigger), 1);
    EXPECT_EQ(Get16(b, trigger + 2), 2);
    EXPECT_EQ(Get16(b, trigger + 4), 3);
    EXPECT_EQ(Get16(b, trigger + 6), 1);
    EXPECT_FLOAT_EQ(f32(trigger + 8), 17.5f);
    EXPECT_FLOAT_EQ(f32(trigger + 12), 600.0f);
    EXPECT_FLOAT_EQ(f32(trigger + 16), 44.0f);
    EXPECT_FLOAT_EQ(f32(trigger + 24), -2.5f);
    EXPECT_EQ(i32(trigger + 32), 1);
    EXPECT_EQ(Get16(b, trigger + 36), 2);
    EXPECT_EQ(Get16(b, trigger + 38), 0);
    EXPECT_EQ(Get16(b, trigger + 40), 3);
    EXPECT_FLOAT_EQ(f32(trigger + 42), -12.0f);
    EXPECT_EQ(i32(trigger + 46), 123456);
    EXPECT_EQ(Get16(b, trigger + 50), 5);
    // Time base: index, record-length mode, format, horizontal position, sampling mode.
    const std::size_t timeBase = kTimeBase + 2 * 700;
    EXPECT_EQ(Get16(b, timeBase), 20);
    EXPECT_EQ(Get16(b, timeBase + 2), 3);
    EXPECT_EQ(Get16(b, timeBase + 4), 2);
    EXPECT_EQ(Get16(b, timeBase + 6), 321);
    EXPECT_EQ(Get16(b, timeBase + 8), 1);
    // Screen: cursor source, cursor mode, dot mode, grid on, grid and waveform intensity.
    const std::size_t screen = kScreen + 2 * 700;
    EXPECT_EQ(Get16(b, screen), 6);
    EXPECT_EQ(Get16(b, screen + 2), 3);
    EXPECT_EQ(Get16(b, screen + 4), 1);
    EXPECT_EQ(i32(screen + 6), 0);
    EXPECT_EQ(Get16(b, screen + 10), 77);
    EXPECT_EQ(Get16(b, screen + 12), 88);
    // Persistence depth and flag, acquire mode, frames to average, save channel.
    const std::size_t acquisition = kAcquisition + 2 * 700;
    EXPECT_EQ(Get16(b, acquisition), 7);
    EXPECT_EQ(i32(acquisition + 2), 1);
    EXPECT_EQ(Get16(b, acquisition + 6), 1);
    EXPECT_EQ(Get16(b, acquisition + 8), 64);
    EXPECT_EQ(Get16(b, acquisition + 10), 1);
    // Record store, then its frames.
    const std::size_t record = kRecord + 2 * 700;
    EXPECT_EQ(i32(record), 0);
    EXPECT_EQ(Get16(b, record + 4), 1);
    EXPECT_EQ(Get16(b, record + 6), 300);
    EXPECT_EQ(Get16(b, record + 8), 20000);
    EXPECT_EQ(Get16(b, record + 10), 250);
    EXPECT_EQ(Get16(b, record + 12), 30);
    EXPECT_EQ(Get16(b, record + 14), 8);
    EXPECT_FLOAT_EQ(f32(record + 16), 99.0f);
    EXPECT_EQ(Get16(b, record + 20), 2);
    EXPECT_EQ(Get16(b, record + 22), 3);
    EXPECT_EQ(Get16(b, record + 24), 1);
    EXPECT_EQ(Get16(b, record + 30), 5);
    EXPECT_EQ(Get16(b, record + 32), 500);
    EXPECT_EQ(static_cast<std::uint32_t>(i32(record + 34)), 0xDEADBEEFu);
    EXPECT_EQ(Get16(b, record + 38), 40);
    EXPECT_EQ(Get16(b, record + 40), 6);
    EXPECT_EQ(Get16(b, record + 42), 200);
    EXPECT_EQ(i32(record + 44), 1);
    EXPECT_EQ(Get16(b, record + 48 + 2 * 997), 997 % 511);
    // Pass/fail: tolerances, counters failed, passed, total, output, source, stop, masks.
    const std::size_t passFail = kPassFail + 2 * 700 + 1000000;
    EXPECT_EQ(Get16(b, passFail), 200);
    EXPECT_EQ(Get16(b, passFail + 2), 128);
    EXPECT_EQ(i32(passFail + 4), 0);
    EXPECT_EQ(i32(passFail + 8), 1 << 8);
    EXPECT_EQ(i32(passFail + 12), 7);
    EXPECT_EQ(i32(passFail + 20), 7);
    EXPECT_EQ(i32(passFail + 24), 1 << 8);
    EXPECT_EQ(Get16(b, passFail + 28), 3);
    EXPECT_EQ(Get16(b, passFail + 30), 1);
    EXPECT_EQ(i32(passFail + 32), 1);
    EXPECT_EQ(Get16(b, passFail + 36 + 2 * 3), 511 - 3);
    EXPECT_EQ(Get16(b, passFail + 1036 + 2 * 10), 10);
    // Measurements: count, source, then {used, source, type} per entry.
    const std::size_t measure = kMeasure + 2 * 700 + 1000000;
    EXPECT_EQ(Get16(b, measure), 3);
    EXPECT_EQ(Get16(b, measure + 2), 2);
    EXPECT_EQ(i32(measure + 4 + 8), 1);
    EXPECT_EQ(Get16(b, measure + 4 + 8 + 4), 2);
    EXPECT_EQ(Get16(b, measure + 4 + 8 + 6), 7);
    // FFT: on, source, window, bins, scale, vertical scale, zoom.
    const std::size_t fft = kFft + 2 * 700 + 1000000;
    EXPECT_EQ(i32(fft), 1);
    EXPECT_EQ(Get16(b, fft + 4), 1);
    EXPECT_EQ(Get16(b, fft + 6), 3);
    EXPECT_EQ(Get16(b, fft + 8), 4096);
    EXPECT_EQ(Get16(b, fft + 10), 0);
    double scale;
    std::memcpy(&scale, b.data() + fft + 12, 8);
    EXPECT_DOUBLE_EQ(scale, 2.75);
    EXPECT_EQ(Get16(b, fft + 20), 16);
    EXPECT_EQ(b.size(), fft + 22);
}

// Every field read back lands in its own place in the document (a reader that exchanges two
// fields, or drops one, shows here even when writing them again would hide it).
TEST_F(SetupFileTest, EveryFieldIsReadIntoItsOwnPlace) {
    ChangeEverything(doc, ui);
    const std::string p = dir.File("Fields.set");
    ASSERT_EQ(doc.SaveSetupFile(p.c_str()), 1);
    other.m_bRunning = 0;
    ASSERT_EQ(other.LoadSetupFile(p.c_str()), 1);
    for (const auto& [a, b] : {std::pair<const CTrace*, const CTrace*>{&doc.m_ch1, &other.m_ch1},
                               {&doc.m_ch2, &other.m_ch2},
                               {&doc.m_math, &other.m_math}}) {
        EXPECT_EQ(b->IsOn(), a->IsOn());
        EXPECT_EQ(b->GetVoltsPerDivIndex(), a->GetVoltsPerDivIndex());
        EXPECT_EQ(b->GetProbe(), a->GetProbe());
        EXPECT_EQ(b->IsInverted(), a->IsInverted());
        EXPECT_FLOAT_EQ(b->GetPosition(), a->GetPosition());
        EXPECT_EQ(b->GetInterpolation(), a->GetInterpolation());
        EXPECT_EQ(b->GetColor(), a->GetColor());
    }
    for (const auto& [a, b] :
         {std::pair<const CTrace*, const CTrace*>{&doc.m_ch1, &other.m_ch1}, {&doc.m_ch2, &other.m_ch2}}) {
        EXPECT_EQ(b->GetCoupling(), a->GetCoupling());
        EXPECT_EQ(b->GetFilter(), a->GetFilter());
        EXPECT_EQ(b->IsBandwidthLimit(), a->IsBandwidthLimit());
    }
    EXPECT_EQ(other.m_ch1.GetVoltsPerDivIndex(), 3);
    EXPECT_EQ(other.m_ch2.GetVoltsPerDivIndex(), 9);
    EXPECT_EQ(other.m_math.GetSourceA(), 1);
    EXPECT_EQ(other.m_math.GetSourceB(), 0);
    EXPECT_EQ(other.m_math.GetOperation(), 3);
    EXPECT_FLOAT_EQ(other.m_ref.GetPositionAtAcquisition(), 210.0f);
    EXPECT_EQ(other.m_ref.GetVoltsPerDivIndex(), 5);
    EXPECT_EQ(other.m_ref.GetVoltsPerDivAtAcquisition(), 4);
    EXPECT_EQ(other.m_ref.GetTimeBaseIndex(), 20);
    EXPECT_EQ(other.m_ref.GetHorizontalPosition(), 123);
    EXPECT_FLOAT_EQ(other.m_ref.GetLoadedPosition(), 201.0f);
    EXPECT_EQ(other.m_trigger.GetTriggerType(), kTriggerPulse);
    EXPECT_EQ(other.m_trigger.GetSweep(), kSweepSingle);
    EXPECT_EQ(other.m_trigger.GetSource(), kSourceExt);
    EXPECT_EQ(other.m_trigger.GetSlope(), kSlopeFalling);
    EXPECT_FLOAT_EQ(other.m_trigger.GetLevel(0), 17.5f);
    EXPECT_FLOAT_EQ(other.m_trigger.GetLevel(1), 600.0f);
    EXPECT_FLOAT_EQ(other.m_trigger.GetLevel(2), 44.0f);
    EXPECT_FLOAT_EQ(other.m_trigger.GetLevelVolts(1), -2.5f);
    EXPECT_EQ(other.m_trigger.IsHfReject(), 1);
    EXPECT_EQ(other.m_trigger.GetMarkerWord(0), 2);
    EXPECT_EQ(other.m_trigger.GetMarkerWord(2), 3);
    EXPECT_FLOAT_EQ(other.m_trigger.GetDragValue(), -12.0f);
    EXPECT_EQ(other.m_trigger.GetPulseWidth(), 123456);
    EXPECT_EQ(other.m_trigger.GetPulseCondition(), 5);
    EXPECT_EQ(other.m_settings.GetTimeBaseIndex(), 20);
    EXPECT_EQ(other.m_settings.GetHorizontalPosition(), 321);
    EXPECT_EQ(other.m_settings.GetSamplingMode(), kSamplingEts);
    EXPECT_EQ(otherUi.screen.cursorSource, 6);
    EXPECT_EQ(otherUi.screen.cursorMode, 3);
    EXPECT_EQ(otherUi.screen.dotMode, 1);
    EXPECT_EQ(otherUi.screen.gridOn, 0);
    EXPECT_EQ(otherUi.screen.gridIntensity, 77);
    EXPECT_EQ(otherUi.screen.waveformIntensity, 88);
    EXPECT_EQ(other.GetPersistenceDepth(), 7);
    EXPECT_EQ(other.IsPersistenceEnabled(), 1);
    EXPECT_EQ(other.m_average.GetAcquireMode(), CAverageBuffer::kModeAverage);
    EXPECT_EQ(other.m_average.GetFramesWanted(), 64);
    EXPECT_EQ(other.m_nSaveChannel, 1);
    const CRecordStore& r = other.m_record;
    EXPECT_EQ(r.m_bNoData, 0);
    EXPECT_EQ(r.m_nChannel, 1);
    EXPECT_EQ(r.m_nRecordEndFrame, 300);
    EXPECT_EQ(r.m_nFramesRecorded, 250);
    EXPECT_EQ(r.m_nTimeBaseIndex, 30);
    EXPECT_EQ(r.m_nVoltsPerDivIndex, 8);
    EXPECT_FLOAT_EQ(r.m_fPosition, 99.0f);
    EXPECT_EQ(r.m_nCoupling, 2);
    EXPECT_EQ(r.m_nProbe, 3);
    EXPECT_EQ(r.m_nRecordingFlagWord, 1);
    EXPECT_EQ(r.m_nPlayStartFrame, 5);
    EXPECT_EQ(r.m_nHorizontalPosition, 500);
    EXPECT_EQ(r.m_nRecordingValue, 0xDEADBEEFu);
    EXPECT_EQ(r.m_nPlayInterval, 40);
    EXPECT_EQ(r.m_nCurrentFrame, 6);
    EXPECT_EQ(r.m_nPlayEndFrame, 200);
    EXPECT_EQ(r.m_bRepeat, 1);
    const CPassFail& pf = other.m_passFail;
    EXPECT_EQ(pf.m_nHorizontalTolerance, 200);
    EXPECT_EQ(pf.m_nVerticalTolerance, 128);
    EXPECT_EQ(pf.m_nPassed, 7u);
    EXPECT_EQ(pf.m_nTotal, (1ull << 40) + 7);
    EXPECT_EQ(pf.m_nOutput, 3);
    EXPECT_EQ(pf.m_nSource, 1);
    EXPECT_EQ(pf.m_bStop, 1);
    EXPECT_EQ(pf.m_upper, doc.m_passFail.m_upper);
    EXPECT_EQ(pf.m_lower, doc.m_passFail.m_lower);
    EXPECT_EQ(other.m_measure.GetCount(), 3);
    EXPECT_EQ(other.m_measure.GetSource(), 2);
    EXPECT_EQ(other.m_measure.GetEntry(0).type, 3);
    EXPECT_EQ(other.m_measure.GetEntry(1).type, 7);
    EXPECT_EQ(other.m_measure.GetEntry(1).source, 2);
    EXPECT_EQ(other.m_fft.m_bFftOn, 1);
    EXPECT_EQ(other.m_fft.m_nSource, 1);
    EXPECT_EQ(other.m_fft.m_nWindow, 3);
    EXPECT_EQ(other.m_fft.m_nBins, 4096);
    EXPECT_EQ(other.m_fft.m_nScale, 0);
    EXPECT_EQ(other.m_fft.m_nZoom, 16);
}

TEST_F(SetupFileTest, ExtensionIsCheckedWithoutRegardToCase) {
    const Bytes b = Saved(doc);
    const std::string upper = dir.File("UPPER.SET");
    WriteBytes(upper, b);
    EXPECT_EQ(other.LoadSetupFile(upper.c_str()), 1);
    const std::string bak = dir.File("x.set.bak");
    WriteBytes(bak, b);
    otherUi.calls.clear();
    EXPECT_EQ(other.LoadSetupFile(bak.c_str()), 0);
    EXPECT_EQ(otherUi.calls, std::vector<std::string>{"MessageBox : This is not a setup file!"});
}

TEST_F(SetupFileTest, ForeignOrDamagedFilesChangeNothing) {
    ChangeEverything(doc, ui);
    const Bytes good = Saved(doc);
    const Bytes before = Saved(other);
    std::vector<Bytes> bad;
    Bytes wrongMagic = good;
    wrongMagic[2] = 'W';
    bad.push_back(wrongMagic);
    Bytes otherModel = good;
    Put16(otherModel, 14, 3);
    bad.push_back(otherModel);
    for (std::size_t cut : {std::size_t{0}, std::size_t{13}, std::size_t{19}, kCh2 + 3, kRef + 40,
                            kTrigger + 700, std::size_t{500000}, good.size() - 1})
        bad.emplace_back(good.begin(),
                         good.begin() + static_cast<std::ptrdiff_t>(std::min(cut, good.size() - 1)));
    Bytes huge(kv::kMaxSetupFileBytes + 1, 0);
    std::copy(good.begin(), good.end(), huge.begin());
    bad.push_back(huge);
    const std::string p = dir.File("bad.set");
    for (const Bytes& b : bad) {
        WriteBytes(p, b);
        EXPECT_EQ(other.LoadSetupFile(p.c_str()), 0) << b.size();
        EXPECT_EQ(Saved(other), before) << b.size();
    }
    EXPECT_EQ(other.LoadSetupFile(dir.File("missing.set").c_str()), 0);
    // These failures are silent.
    EXPECT_TRUE(otherUi.calls.empty() ||
                std::none_of(otherUi.calls.begin(), otherUi.calls.end(),
                             [](const std::string& c) { return c.rfind("MessageBox", 0) == 0; }));
}

TEST_F(SetupFileTest, OutOfRangeFieldsKeepTheCurrentValues) {
    Bytes b = Saved(doc);
    Put16(b, kCh1 + 4, 12);                                        // volts/div
    Put16(b, kCh1 + 8, -1);                                        // probe
    PutF32(b, kCh1 + 20, std::numeric_limits<float>::quiet_NaN()); // position
    Put32(b, kCh2 + 26, 524288);                                   // beyond the buffers
    Put16(b, kMath + 12, 9);                                       // operation
    Put16(b, kTrigger + 4, 7);                                     // trigger source
    PutF32(b, kTrigger + 8, std::numeric_limits<float>::infinity());
    Put32(b, kTrigger + 46, 0);                   // pulse width
    Put16(b, kTimeBase + 2, 5);                   // 524288 samples: too long
    Put16(b, kTimeBase + 8, 4);                   // sampling mode
    Put16(b, kScreen, 5);                         // cursor source
    Put16(b, kScreen + 10, 300);                  // grid intensity
    Put16(b, kAcquisition, -3);                   // persistence depth
    Put16(b, kAcquisition + 8, 0);                // frames to average
    Put16(b, kRecord + 10, 1500);                 // frames recorded
    Put16(b, kRecord + 8, 0);                     // record interval
    Put16(b, kPassFail + 2, 500);                 // vertical tolerance
    Put16(b, kMeasure, 9);                        // count
    Put16(b, kMeasure + 2, 3);                    // current source
    Put32(b, kMeasure + 4, 1);                    // entry 0 used ...
    Put16(b, kMeasure + 8, 7);                    // ... with source 7
    Put16(b, kFft + 8, 300);                      // bins
    PutF32(b, kFft + 12, 0.0f);                   // (low half of the double)
    Put16(b, kFft + 20, 3);                       // zoom
    Put32(b, 16, static_cast<std::uint32_t>(-5)); // language index
    other.m_fft.m_nBins = 1024;
    other.m_fft.m_nZoom = 8;
    other.m_measure.AddMeasurement(4);
    other.SetPersistenceDepth(5);
    other.m_average.SetFramesWanted(16);
    const std::string p = dir.File("range.set");
    WriteBytes(p, b);
    ASSERT_EQ(other.LoadSetupFile(p.c_str()), 1);
    EXPECT_EQ(other.m_ch1.GetVoltsPerDivIndex(), 6);
    EXPECT_EQ(other.m_ch1.GetProbe(), 0);
    EXPECT_FLOAT_EQ(other.m_ch1.GetPosition(), 128.0f);
    EXPECT_EQ(other.m_ch2.GetRecordLength(), 10240);
    EXPECT_EQ(other.m_math.GetOperation(), 0);
    EXPECT_EQ(other.m_trigger.GetSource(), kSourceCh1);
    EXPECT_FLOAT_EQ(other.m_trigger.GetLevel(0), 128.0f);
    EXPECT_EQ(other.m_trigger.GetPulseWidth(), 2);
    EXPECT_EQ(other.m_settings.GetRecordLengthMode(), kRecordLength10K);
    EXPECT_EQ(other.m_ch1.GetRecordLength(), 10240);
    EXPECT_EQ(other.m_settings.GetSamplingMode(), kSamplingRealTime);
    EXPECT_EQ(otherUi.screen.cursorSource, 0);
    EXPECT_EQ(otherUi.screen.gridIntensity, 255);
    EXPECT_EQ(other.GetPersistenceDepth(), 5);
    EXPECT_EQ(other.m_average.GetFramesWanted(), 16);
    EXPECT_EQ(other.m_record.m_nFramesRecorded, 1000);
    EXPECT_EQ(other.m_record.m_nRecordInterval, 1);
    EXPECT_EQ(other.m_passFail.m_nVerticalTolerance, 128);
    EXPECT_EQ(other.m_measure.GetCount(), 1);
    EXPECT_EQ(other.m_measure.GetSource(), 0);
    EXPECT_EQ(other.m_measure.GetEntry(0).used, 0);
    EXPECT_EQ(other.m_fft.m_nBins, 256); // the reset value, not the previous one
    EXPECT_EQ(other.m_fft.m_nZoom, 1);
    EXPECT_EQ(other.m_nLanguage, -1);
}

TEST_F(SetupFileTest, RefBlockWithAnUntrustedCountEndsTheRead) {
    Bytes b = Saved(doc);
    Put32(b, kRef + 4, 0);      // samples follow ...
    Put32(b, kRef + 20, 70000); // ... more than REF can hold
    Put16(b, kTimeBase, 20);    // never reached
    Put16(b, kCh1 + 4, 2);      // read before the REF block
    other.m_ref.SetNoSamples(0);
    const std::string p = dir.File("ref.set");
    WriteBytes(p, b);
    ASSERT_EQ(other.LoadSetupFile(p.c_str()), 1);
    EXPECT_EQ(other.m_ch1.GetVoltsPerDivIndex(), 2);
    EXPECT_EQ(other.m_ref.HasNoSamples(), 1);
    EXPECT_EQ(other.m_ref.GetRecordLength(), 10240);
    EXPECT_EQ(other.m_settings.GetTimeBaseIndex(), 13);
}

TEST_F(SetupFileTest, RefWithoutSamplesKeepsItsStoredLength) {
    doc.m_ref.SetRecordLength(777);
    const Bytes b = Saved(doc);
    EXPECT_EQ(b.size(), kDefaultFileSize);
    const std::string p = dir.File("nosamples.set");
    WriteBytes(p, b);
    ASSERT_EQ(other.LoadSetupFile(p.c_str()), 1);
    EXPECT_EQ(other.m_ref.GetRecordLength(), 777);
    EXPECT_EQ(other.m_ref.HasNoSamples(), 1);
}

TEST_F(SetupFileTest, FormatFollowsTheTimeBaseAfterLoading) {
    Bytes b = Saved(doc);
    const std::string p = dir.File("fmt.set");
    // 400 ms/div (index 25) is the first Roll time base: both neighbours of the edge.
    for (const auto& [index, format, expected] :
         {std::array<int, 3>{24, 1, 0}, {25, 1, 1}, {25, 0, 1}, {24, 0, 0}, {38, 0, 1}, {0, 1, 0}}) {
        Put16(b, kTimeBase, index);
        Put16(b, kTimeBase + 4, format);
        WriteBytes(p, b);
        ASSERT_EQ(other.LoadSetupFile(p.c_str()), 1);
        EXPECT_EQ(other.m_settings.GetTimeBaseFormat(), expected) << index << " " << format;
    }
    // With a deep record length a slow time base stays in Y-T.
    Put16(b, kTimeBase, 25);
    Put16(b, kTimeBase + 2, 1);
    Put16(b, kTimeBase + 4, 0);
    WriteBytes(p, b);
    other.m_bRunning = 0;
    ASSERT_EQ(other.LoadSetupFile(p.c_str()), 1);
    EXPECT_EQ(other.m_settings.GetTimeBaseFormat(), kFormatYT);
    Put16(b, kTimeBase + 2, 0);
    Put16(b, kTimeBase, 10);
    Put16(b, kTimeBase + 4, 1); // Roll at a fast time base
    WriteBytes(p, b);
    ASSERT_EQ(other.LoadSetupFile(p.c_str()), 1);
    EXPECT_EQ(other.m_settings.GetTimeBaseFormat(), kFormatYT);
    Put16(b, kTimeBase, 30);
    Put16(b, kTimeBase + 4, 0); // Y-T at a slow one
    WriteBytes(p, b);
    ASSERT_EQ(other.LoadSetupFile(p.c_str()), 1);
    EXPECT_EQ(other.m_settings.GetTimeBaseFormat(), kFormatRoll);
}

TEST_F(SetupFileTest, HorizontalPositionIsWrittenWithinTheScreen) {
    doc.m_settings.SetHorizontalPosition(600);
    EXPECT_EQ(Get16(Saved(doc), kTimeBase + 6), 500);
    doc.m_settings.SetHorizontalPosition(-4);
    EXPECT_EQ(Get16(Saved(doc), kTimeBase + 6), 0);
}

TEST_F(SetupFileTest, WithoutAViewTheScreenBlockIsDefaultAndIgnored) {
    doc.SetUi(nullptr);
    Bytes b = Saved(doc);
    EXPECT_EQ(Get16(b, kScreen + 6), 1);
    EXPECT_EQ(Get16(b, kScreen + 12), 255);
    Put16(b, kScreen + 10, 3);
    otherUi.hasScreen = false;
    const std::string p = dir.File("noview.set");
    WriteBytes(p, b);
    ASSERT_EQ(other.LoadSetupFile(p.c_str()), 1);
    EXPECT_EQ(std::count(otherUi.calls.begin(), otherUi.calls.end(), "SetScreenOptions"), 0);
}

TEST_F(SetupFileTest, DemoModeTouchesOnlyTheHeaderOfAnExistingFile) {
    ChangeEverything(doc, ui);
    const Bytes full = Saved(doc);
    const std::string p = dir.File("Default.set");
    WriteBytes(p, full);
    other.SetDemoMode(1);
    other.m_nLanguage = -1;
    EXPECT_EQ(other.SaveSetupFile(dir.File("new.set").c_str()), 0);
    EXPECT_FALSE(fs::exists(dir.File("new.set")));
    EXPECT_TRUE(otherUi.calls.empty());
    ASSERT_EQ(other.SaveSetupFile(p.c_str()), 1);
    EXPECT_EQ(ReadBytes(p), full); // same model and language: same bytes

    // Reading in demo mode takes the language index only.
    const Bytes before = Saved(other);
    ASSERT_EQ(other.LoadSetupFile(p.c_str()), 1);
    EXPECT_EQ(Saved(other), before);

    // A file the user chose is not written in demo mode, new or not, and the user is told.
    other.m_nLanguage = 0;
    otherUi.calls.clear();
    EXPECT_EQ(other.SaveSetupFile(dir.File("chosen.set").c_str(), true), 0);
    EXPECT_FALSE(fs::exists(dir.File("chosen.set")));
    EXPECT_EQ(other.SaveSetupFile(p.c_str(), true), 0);
    EXPECT_EQ(ReadBytes(p), full);
    ASSERT_EQ(otherUi.calls.size(), 2u);
    EXPECT_NE(otherUi.calls[0].find(dir.File("chosen.set") + ": setups are not saved in demo mode"),
              std::string::npos)
        << otherUi.calls[0];
    EXPECT_NE(otherUi.calls[1].find(p + ": setups are not saved in demo mode"), std::string::npos);
}

TEST_F(SetupFileTest, AFailedSaveKeepsThePreviousFile) {
    const std::string p = dir.File("Default.set");
    const Bytes old = Saved(doc);
    WriteBytes(p, old);
    ChangeEverything(doc, ui);
    // The temporary file beside the target cannot be created: the save fails as a full disk would.
    // The save fails after its temporary file is written, as on a full disk.
    kv::SetAtomicWriteFailureForTesting(true);
    EXPECT_EQ(doc.SaveSetupFile(p.c_str()), 0);
    kv::SetAtomicWriteFailureForTesting(false);
    EXPECT_EQ(ReadBytes(p), old);
    ASSERT_FALSE(ui.calls.empty());
    EXPECT_EQ(ui.calls.back().rfind("MessageBox : Cann't save file: " + p, 0), 0u);

    const std::string gone = dir.File("vanished/Default.set");
    EXPECT_EQ(doc.SaveSetupFile(gone.c_str()), 0);
    EXPECT_FALSE(fs::exists(gone));
}

// Values at the very edge of their legal range are taken as written; one step inside the edge
// would hide a range check that is one too tight.
TEST_F(SetupFileTest, FieldsAtTheEdgesOfTheirRangesLoad) {
    struct Case {
        const char* field;
        std::size_t offset;
        int value;
        std::function<int()> loaded;
    };
    const std::vector<Case> cases = {
        {"CH2 volts/div 5 V", kCh2 + 4, 9, [&] { return other.m_ch2.GetVoltsPerDivIndex(); }},
        {"CH2 coupling GND", kCh2 + 6, 2, [&] { return other.m_ch2.GetCoupling(); }},
        {"CH2 probe x1000", kCh2 + 8, 3, [&] { return other.m_ch2.GetProbe(); }},
        {"CH2 filter", kCh2 + 10, 2, [&] { return other.m_ch2.GetFilter(); }},
        {"MATH source A CH2", kMath + 8, 1, [&] { return other.m_math.GetSourceA(); }},
        {"MATH source B CH2", kMath + 10, 1, [&] { return other.m_math.GetSourceB(); }},
        {"MATH operation A/B", kMath + 12, 3, [&] { return other.m_math.GetOperation(); }},
        {"REF time base", kRef + 24, 38, [&] { return other.m_ref.GetTimeBaseIndex(); }},
        {"REF horizontal position", kRef + 26, 500, [&] { return other.m_ref.GetHorizontalPosition(); }},
        {"time base 1000 s", kTimeBase, 38, [&] { return other.m_settings.GetTimeBaseIndex(); }},
        {"cursor source 2", kScreen, 2, [&] { return otherUi.screen.cursorSource; }},
        {"cursor source 6", kScreen, 6, [&] { return otherUi.screen.cursorSource; }},
        {"cursor mode 4", kScreen + 2, 4, [&] { return otherUi.screen.cursorMode; }},
        {"persistence depth 15", kAcquisition, 15, [&] { return other.GetPersistenceDepth(); }},
        {"persistence depth 16", kAcquisition, 16, [&] { return other.GetPersistenceDepth(); }},
        {"acquire mode Peak Detect", kAcquisition + 6, 2, [&] { return other.m_average.GetAcquireMode(); }},
        {"average 1 frame", kAcquisition + 8, 1, [&] { return other.m_average.GetFramesWanted(); }},
        {"average 128 frames", kAcquisition + 8, 128, [&] { return other.m_average.GetFramesWanted(); }},
        {"recorded channel CH2", kRecord + 4, 1, [&] { return other.m_record.m_nChannel; }},
        {"record end frame 1000", kRecord + 6, 1000, [&] { return other.m_record.m_nRecordEndFrame; }},
        {"record interval 20000", kRecord + 8, 20000, [&] { return other.m_record.m_nRecordInterval; }},
        {"play start frame 1000", kRecord + 30, 1000, [&] { return other.m_record.m_nPlayStartFrame; }},
        {"play end frame 1000", kRecord + 42, 1000, [&] { return other.m_record.m_nPlayEndFrame; }},
        {"horizontal tolerance 200", kPassFail, 200, [&] { return other.m_passFail.m_nHorizontalTolerance; }},
        {"vertical tolerance 128", kPassFail + 2, 128, [&] { return other.m_passFail.m_nVerticalTolerance; }},
        {"pass/fail output 3", kPassFail + 28, 3, [&] { return other.m_passFail.m_nOutput; }},
        {"pass/fail source CH2", kPassFail + 30, 1, [&] { return other.m_passFail.m_nSource; }},
        {"eight measurements", kMeasure, 8, [&] { return other.m_measure.GetCount(); }},
        {"measurement source MATH", kMeasure + 2, 2, [&] { return other.m_measure.GetSource(); }},
        {"FFT source CH2", kFft + 4, 1, [&] { return other.m_fft.m_nSource; }},
        {"FFT window Blackman", kFft + 6, 3, [&] { return other.m_fft.m_nWindow; }},
        {"FFT 4096 bins", kFft + 8, 4096, [&] { return other.m_fft.m_nBins; }},
        {"FFT dB scale", kFft + 10, 0, [&] { return other.m_fft.m_nScale; }},
        {"FFT zoom 2", kFft + 20, 2, [&] { return other.m_fft.m_nZoom; }},
        {"FFT zoom 4", kFft + 20, 4, [&] { return other.m_fft.m_nZoom; }},
        {"FFT zoom 8", kFft + 20, 8, [&] { return other.m_fft.m_nZoom; }},
        {"FFT zoom 16", kFft + 20, 16, [&] { return other.m_fft.m_nZoom; }},
    };
    const Bytes defaults = Saved(doc);
    const std::string p = dir.File("edge.set");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        // Fields whose default sits on the edge start elsewhere, so that loading has to set them.
        other.m_average.SetFramesWanted(16);
        other.m_record.m_nRecordEndFrame = 500;
        other.m_math.SetSourceB(0);
        EXPECT_NE(c.loaded(), c.value) << "the value must differ from the one before loading";
        Bytes b = defaults;
        Put16(b, c.offset, c.value);
        WriteBytes(p, b);
        ASSERT_EQ(other.LoadSetupFile(p.c_str()), 1);
        EXPECT_EQ(c.loaded(), c.value);
        // Back to the defaults for the next field.
        WriteBytes(p, defaults);
        ASSERT_EQ(other.LoadSetupFile(p.c_str()), 1);
    }
}

// One step past each end of a field's range: the loaded document keeps the value it had (or, for
// the clamped pass/fail words and the FFT block, takes the end value or the FFT reset value).
TEST_F(SetupFileTest, FieldsJustPastTheEndsOfTheirRangesAreNotTaken) {
    struct Case {
        const char* field;
        std::size_t offset;
        int value;
        std::function<void()> prime; // a legal value away from the default, set before loading
        std::function<int()> loaded;
        int expected;
    };
    CTrace* const ch[2] = {&other.m_ch1, &other.m_ch2};
    std::vector<Case> cases;
    for (int c = 0; c < 2; ++c) {
        const std::size_t base = c == 0 ? kCh1 : kCh2;
        CTrace* t = ch[c];
        cases.push_back({c == 0 ? "CH1 volts/div 10" : "CH2 volts/div 10", base + 4, 10,
                         [t] { t->SetVoltsPerDivIndex(3); }, [t] { return t->GetVoltsPerDivIndex(); }, 3});
        cases.push_back({c == 0 ? "CH1 volts/div -1" : "CH2 volts/div -1", base + 4, 0xFFFF,
                         [t] { t->SetVoltsPerDivIndex(9); }, [t] { return t->GetVoltsPerDivIndex(); }, 9});
        cases.push_back({c == 0 ? "CH1 coupling 3" : "CH2 coupling 3", base + 6, 3,
                         [t] { t->SetCoupling(kCouplingAc); }, [t] { return t->GetCoupling(); }, 1});
        cases.push_back({c == 0 ? "CH1 probe 4" : "CH2 probe 4", base + 8, 4, [t] { t->SetProbe(2); },
                         [t] { return t->GetProbe(); }, 2});
        cases.push_back({c == 0 ? "CH1 filter 3" : "CH2 filter 3", base + 10, 3, [t] { t->SetFilter(1); },
                         [t] { return t->GetFilter(); }, 1});
    }
    CMathChannel& m = other.m_math;
    CRefChannel& r = other.m_ref;
    const Case rest[] = {
        {"MATH volts/div 10", kMath + 4, 10, [&] { m.SetVoltsPerDivIndex(2); },
         [&] { return m.GetVoltsPerDivIndex(); }, 2},
        {"MATH probe 4", kMath + 6, 4, [&] { m.SetProbe(3); }, [&] { return m.GetProbe(); }, 3},
        {"MATH source A 2", kMath + 8, 2, [&] { m.SetSourceA(1); }, [&] { return m.GetSourceA(); }, 1},
        {"MATH source B 2", kMath + 10, 2, [&] { m.SetSourceB(1); }, [&] { return m.GetSourceB(); }, 1},
        {"MATH operation 4", kMath + 12, 4, [&] { m.SetOperation(2); }, [&] { return m.GetOperation(); }, 2},
        {"REF volts/div 10", kRef + 16, 10, [&] { r.SetVoltsPerDivIndex(5); },
         [&] { return r.GetVoltsPerDivIndex(); }, 5},
        {"REF time base 39", kRef + 24, 39, [&] { r.SetTimeBaseIndex(20); },
         [&] { return r.GetTimeBaseIndex(); }, 20},
        {"REF horizontal position 501", kRef + 26, 501, [&] { r.SetHorizontalPosition(123); },
         [&] { return r.GetHorizontalPosition(); }, 123},
        {"time base 39", kTimeBase, 39, [&] { other.m_settings.SetTimeBaseIndex(20); },
         [&] { return other.m_settings.GetTimeBaseIndex(); }, 20},
        {"sampling mode 2", kTimeBase + 8, 2, [&] { other.m_settings.SetSamplingMode(kSamplingEts); },
         [&] { return other.m_settings.GetSamplingMode(); }, 1},
        {"cursor source 3", kScreen, 3, [&] { otherUi.screen.cursorSource = 2; },
         [&] { return otherUi.screen.cursorSource; }, 2},
        {"cursor source 7", kScreen, 7, [&] { otherUi.screen.cursorSource = 6; },
         [&] { return otherUi.screen.cursorSource; }, 6},
        {"cursor mode 5", kScreen + 2, 5, [&] { otherUi.screen.cursorMode = 3; },
         [&] { return otherUi.screen.cursorMode; }, 3},
        {"persistence depth 17", kAcquisition, 17, [&] { other.SetPersistenceDepth(5); },
         [&] { return other.GetPersistenceDepth(); }, 5},
        {"acquire mode 3", kAcquisition + 6, 3,
         [&] { other.m_average.SetAcquireMode(CAverageBuffer::kModePeakDetect); },
         [&] { return other.m_average.GetAcquireMode(); }, 2},
        {"average 129 frames", kAcquisition + 8, 129, [&] { other.m_average.SetFramesWanted(16); },
         [&] { return other.m_average.GetFramesWanted(); }, 16},
        {"average 0 frames", kAcquisition + 8, 0, [&] { other.m_average.SetFramesWanted(64); },
         [&] { return other.m_average.GetFramesWanted(); }, 64},
        {"nine measurements", kMeasure, 9,
         [&] {
             other.m_measure.AddMeasurement(1);
             other.m_measure.AddMeasurement(2);
         },
         [&] { return other.m_measure.GetCount(); }, 2},
        {"measurement source 3", kMeasure + 2, 3, [&] { other.m_measure.SetSource(1); },
         [&] { return other.m_measure.GetSource(); }, 1},
        {"horizontal tolerance 201", kPassFail, 201, [] {},
         [&] { return other.m_passFail.m_nHorizontalTolerance; }, 200},
        {"horizontal tolerance 0", kPassFail, 0, [] {},
         [&] { return other.m_passFail.m_nHorizontalTolerance; }, 1},
        {"vertical tolerance 129", kPassFail + 2, 129, [] {},
         [&] { return other.m_passFail.m_nVerticalTolerance; }, 128},
        {"pass/fail output 4", kPassFail + 28, 4, [] {}, [&] { return other.m_passFail.m_nOutput; }, 3},
        {"pass/fail source 2", kPassFail + 30, 2, [] {}, [&] { return other.m_passFail.m_nSource; }, 1},
        {"FFT source 2", kFft + 4, 2, [&] { other.m_fft.m_nSource = 1; },
         [&] { return other.m_fft.m_nSource; }, 0},
        {"FFT window 4", kFft + 6, 4, [&] { other.m_fft.m_nWindow = 3; },
         [&] { return other.m_fft.m_nWindow; }, CFftData().m_nWindow},
        {"FFT 8192 bins", kFft + 8, 8192, [&] { other.m_fft.m_nBins = 4096; },
         [&] { return other.m_fft.m_nBins; }, 256},
        {"FFT zoom 32", kFft + 20, 32, [&] { other.m_fft.m_nZoom = 16; }, [&] { return other.m_fft.m_nZoom; },
         1},
        {"FFT zoom 3", kFft + 20, 3, [&] { other.m_fft.m_nZoom = 4; }, [&] { return other.m_fft.m_nZoom; },
         1},
    };
    const Bytes defaults = Saved(doc);
    const std::string p = dir.File("past.set");
    cases.insert(cases.end(), std::begin(rest), std::end(rest));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        Bytes b = defaults;
        Put16(b, c.offset, c.value);
        WriteBytes(p, b);
        c.prime();
        ASSERT_EQ(other.LoadSetupFile(p.c_str()), 1);
        EXPECT_EQ(c.loaded(), c.expected);
        WriteBytes(p, defaults);
        ASSERT_EQ(other.LoadSetupFile(p.c_str()), 1);
        other.m_measure.ClearAll();
    }
}

} // namespace
