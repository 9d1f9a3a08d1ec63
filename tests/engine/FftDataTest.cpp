#include "engine/FftData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "system/LittleEndian.h"
#include "zendral/RecordingZendral.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kVoltsPerCode = 8.0 / 511.0; // at 1 V/div

// A record whose central ten divisions hold `cycles` periods of the fundamental (amplitude
// `a1` codes) plus its second harmonic (amplitude `a2`) about the zero line `zero`.
std::vector<short> SineRecord(int cycles, double a1, double a2, double zero) {
    std::vector<short> rec(kFftRecordLength);
    for (int s = 0; s < kFftRecordLength; ++s) {
        const double ph = 2.0 * kPi * cycles * (s - 120) / 10000.0;
        rec[s] = static_cast<short>(std::lround(zero + a1 * std::sin(ph) + a2 * std::sin(2.0 * ph)));
    }
    return rec;
}

FftSourceData Source(const std::vector<short>& record, double secondsPerDiv) {
    FftSourceData src;
    src.channelOn = true;
    src.secondsPerDiv = secondsPerDiv;
    src.workRecord = record.data();
    src.rawRecord = record.data();
    src.positionWord = 50;
    src.levelPosition = 255; // zero line at code 256
    src.voltsPerDiv = 1.0;
    return src;
}

std::filesystem::path TempDir() {
    auto dir = std::filesystem::temp_directory_path() / ("kv-fft-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

std::vector<std::string> Lines(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

} // namespace

TEST(FftDataTest, ResetGivesTheDefaults) {
    CFftData fft;
    fft.m_bFftOn = 1;
    fft.m_nBins = 4096;
    fft.m_nScale = 0;
    fft.m_spectrum[7] = 3.0;
    fft.m_frequency[9] = 99;
    fft.ResetFftSettings();
    EXPECT_EQ(fft.m_bFftOn, 0);
    EXPECT_EQ(fft.m_nSource, 0);
    EXPECT_EQ(fft.m_nWindow, 0);
    EXPECT_EQ(fft.m_nBins, 256);
    EXPECT_EQ(fft.m_nScale, 1);
    EXPECT_DOUBLE_EQ(fft.m_dVerticalScale, 0.5);
    EXPECT_EQ(fft.m_nZoom, 1);
    EXPECT_EQ(fft.m_spectrum[7], 0.0);
    EXPECT_EQ(fft.m_frequency[9], 0);
    for (int flag : fft.m_nDisplayFlags)
        EXPECT_EQ(flag, 1);
}

// Every window and bin count: the fundamental lands in its bin at its amplitude in volts, and
// the second harmonic is read at twice that bin.
TEST(FftDataTest, KnownSineForEveryWindowAndBinCount) {
    const double a1 = 120.0, a2 = 30.0;
    const int cycles = 16;
    const auto record = SineRecord(cycles, a1, a2, 256.0);
    for (int bins : {256, 512, 1024, 2048, 4096}) {
        for (int window = 0; window < 4; ++window) {
            SCOPED_TRACE("bins " + std::to_string(bins) + " window " + std::to_string(window));
            kv::RecordingZendral z;
            kv::ZendralFftBlock block;
            CFftData fft;
            fft.m_nBins = static_cast<std::int16_t>(bins);
            fft.m_nWindow = static_cast<std::int16_t>(window);
            ASSERT_EQ(fft.Compute(Source(record, 1e-3), block, z), 1);
            EXPECT_EQ(fft.m_nPeakBin, cycles);
            EXPECT_NEAR(fft.m_dPeakValues[0], a1 * kVoltsPerCode, 0.01 * a1 * kVoltsPerCode);
            EXPECT_EQ(fft.m_nHarmonicBins[0], 2 * cycles);
            EXPECT_EQ(fft.m_nHarmonicBins[4], 6 * cycles);
            EXPECT_NEAR(fft.m_dPeakValues[1], a2 * kVoltsPerCode, 0.02 * a1 * kVoltsPerCode);
            EXPECT_NEAR(fft.m_dPeakValues[2], 0.0, 0.02 * a1 * kVoltsPerCode);
            EXPECT_EQ(block.bins, bins);
            EXPECT_EQ(block.window, window);
            EXPECT_DOUBLE_EQ(block.voltsPerDiv, 1.0);
            // Bin k lies at 0.1 k / T hertz.
            EXPECT_EQ(fft.m_frequency[cycles], 1600);
        }
    }
}

TEST(FftDataTest, DbScaleConvertsNonZeroBinsAndKeepsTheLinearCopy) {
    const auto record = SineRecord(16, 120.0, 0.0, 256.0);
    kv::RecordingZendral z;
    kv::ZendralFftBlock block;
    CFftData fft;
    fft.m_nScale = 0;
    ASSERT_EQ(fft.Compute(Source(record, 1e-3), block, z), 1);
    EXPECT_EQ(block.scale, 0.0);
    EXPECT_EQ(fft.m_nPeakBin, 16);
    EXPECT_NEAR(fft.m_dPeakValues[0], 20.0 * std::log10(fft.m_linear[16]), 1e-9);
    EXPECT_NEAR(fft.m_linear[16], 120.0 * kVoltsPerCode, 0.02);

    fft.m_spectrum.fill(0.0);
    fft.m_spectrum[3] = 10.0;
    fft.m_spectrum[4] = -2.0; // not a magnitude: never a NaN
    fft.m_spectrum[5] = 1e-3;
    fft.ApplyScale(256);
    EXPECT_DOUBLE_EQ(fft.m_spectrum[3], 20.0);
    EXPECT_DOUBLE_EQ(fft.m_spectrum[5], -60.0);
    EXPECT_DOUBLE_EQ(fft.m_linear[3], 10.0);
    EXPECT_EQ(fft.m_linear[0], 0.0);
    // Bins without a magnitude lie at the floor, far under the weakest real bin, also past the
    // 256 computed ones.
    for (int k : {0, 4, 6, 255, 256, kFftMaxBins - 1}) {
        SCOPED_TRACE(k);
        EXPECT_EQ(fft.m_spectrum[k], -500.0);
    }
    // A real bin weaker than the floor (1e-26 V, -520 dB) pushes the floor below itself.
    fft.m_spectrum.fill(0.0);
    fft.m_spectrum[2] = 1.0;
    fft.m_spectrum[7] = 1e-26;
    fft.ApplyScale(256);
    EXPECT_NEAR(fft.m_spectrum[7], -520.0, 1e-9);
    EXPECT_LT(fft.m_spectrum[0], fft.m_spectrum[7]);
    EXPECT_LT(fft.m_spectrum[8], fft.m_spectrum[7]);
    fft.FindPeak(256);
    EXPECT_EQ(fft.m_nPeakBin, 2);
}

TEST(FftDataTest, RollUsesTheScreenTraceAt256BinsAndKeepsTheSetting) {
    std::vector<short> screen(500);
    for (int i = 0; i < 500; ++i)
        screen[i] = static_cast<short>(256 + std::lround(100 * std::sin(2 * kPi * 8 * i / 512.0)));
    kv::RecordingZendral z;
    kv::ZendralFftBlock block;
    CFftData fft;
    fft.m_nBins = 4096;
    FftSourceData src;
    src.roll = true;
    src.screenTrace = screen.data();
    src.secondsPerDiv = 1.0;
    src.levelPosition = 255;
    src.voltsPerDiv = 1.0;

    src.rollPointsHeld = 499; // not a full screen yet: nothing is done
    EXPECT_EQ(fft.Compute(src, block, z), 0);
    EXPECT_TRUE(z.calls.empty());

    src.rollPointsHeld = 500;
    ASSERT_EQ(fft.Compute(src, block, z), 1);
    EXPECT_EQ(fft.m_nBins, 4096);
    EXPECT_EQ(fft.ResultBins(), 256);
    ASSERT_EQ(z.CallsOf(17).size(), 1u);
    EXPECT_TRUE(z.CallsOf(18).empty());
    EXPECT_EQ(z.CallsOf(17)[0].args[2], 256);
    EXPECT_EQ(fft.m_nPeakBin, 8);
    // A harmonic beyond the 256 bins of this call has no value.
    fft.m_nPeakBin = 60;
    fft.ComputeHarmonicBins();
    EXPECT_TRUE(fft.IsHarmonicValid(4));
    EXPECT_FALSE(fft.IsHarmonicValid(5));
    EXPECT_EQ(fft.m_dPeakValues[4], 0.0);
}

TEST(FftDataTest, NothingIsDoneForAnOffChannelOrBadSettings) {
    const auto record = SineRecord(16, 100.0, 0.0, 256.0);
    kv::RecordingZendral z;
    kv::ZendralFftBlock block;
    CFftData fft;
    fft.m_spectrum[5] = 42.0;
    auto src = Source(record, 1e-3);
    src.channelOn = false;
    EXPECT_EQ(fft.Compute(src, block, z), 0);
    src.channelOn = true;
    fft.m_nBins = 300;
    EXPECT_EQ(fft.Compute(src, block, z), 0);
    fft.m_nBins = 256;
    fft.m_nWindow = 4;
    EXPECT_EQ(fft.Compute(src, block, z), 0);
    EXPECT_TRUE(z.calls.empty());
    EXPECT_EQ(fft.m_spectrum[5], 42.0);
}

TEST(FftDataTest, FastTimeBaseStretchesTheRawRecord) {
    // A slow ramp in the raw record: at 100 ns/div the spectrum step gets the stretched record,
    // not the work record (which is flat here).
    std::vector<short> raw(kFftRecordLength), work(kFftRecordLength, 256);
    for (int i = 0; i < kFftRecordLength; ++i)
        raw[i] = static_cast<short>(256 + std::lround(100 * std::sin(2 * kPi * i / 100.0)));
    kv::RecordingZendral z;
    kv::ZendralFftBlock block;
    CFftData fft;
    FftSourceData src = Source(work, 1e-7);
    src.rawRecord = raw.data();
    ASSERT_EQ(fft.Compute(src, block, z), 1);
    double total = 0;
    for (int k = 1; k < 256; ++k)
        total += fft.m_linear[k];
    EXPECT_GT(total, 0.1);
    // Above 100 ns/div the work record is used: flat, so nothing but DC.
    src.secondsPerDiv = 2e-7;
    ASSERT_EQ(fft.Compute(src, block, z), 1);
    EXPECT_NEAR(fft.m_linear[fft.m_nPeakBin], 0.0, 1e-9);
}

TEST(FftDataTest, LinearInterpolateRecordStretchesAroundTheTrigger) {
    std::vector<short> raw(kFftRecordLength);
    for (int i = 0; i < kFftRecordLength; ++i)
        raw[i] = static_cast<short>(i % 1000);
    std::vector<short> dest(kFftRecordLength, -7);
    LinearInterpolateRecord(raw.data(), dest.data(), 4, 50); // trigger sample 5120
    EXPECT_EQ(dest[5120], raw[5120]);
    EXPECT_EQ(dest[5121], 120); // 120 + (121 - 120) / 4 x 1, truncated
    EXPECT_EQ(dest[5124], raw[5121]);
    EXPECT_EQ(dest[5128], raw[5122]);
    EXPECT_EQ(dest[5116], raw[5119]);
    EXPECT_EQ(dest[0], dest[1]);
    for (short v : dest)
        EXPECT_NE(v, -7); // every point written

    // Position 100 puts the trigger on the last sample; a word beyond 100 must not leave the record.
    std::vector<short> end(kFftRecordLength, -7);
    LinearInterpolateRecord(raw.data(), end.data(), 50, 100);
    EXPECT_EQ(end[10239], raw[10239]);
    std::vector<short> beyond(kFftRecordLength, -7);
    LinearInterpolateRecord(raw.data(), beyond.data(), 50, 4000);
    EXPECT_EQ(beyond, end);
    std::vector<short> zero(kFftRecordLength, -7);
    LinearInterpolateRecord(raw.data(), zero.data(), 0, 50);
    EXPECT_EQ(zero[100], -7);
}

TEST(FftDataTest, SpurSuppressionShiftsTheLowBins) {
    CFftData fft;
    for (int k = 0; k < 256; ++k)
        fft.m_spectrum[k] = fft.m_linear[k] = k;
    fft.m_spectrum[30] = 1000.0;
    fft.m_linear[30] = 1000.0;
    fft.SuppressSpurs(256);
    EXPECT_EQ(fft.m_spectrum[20], 21.0); // bin 20 dropped
    EXPECT_EQ(fft.m_spectrum[29], 1000.0);
    EXPECT_EQ(fft.m_spectrum[62], 63.0);
    EXPECT_EQ(fft.m_spectrum[63], 63.0);
    EXPECT_EQ(fft.m_spectrum[64], 64.0);
    EXPECT_EQ(fft.m_linear[29], 1000.0);

    CFftData high;
    for (int k = 0; k < 256; ++k)
        high.m_spectrum[k] = k;
    high.m_spectrum[100] = 1000.0;
    high.SuppressSpurs(256);
    EXPECT_EQ(high.m_spectrum[98], 1000.0);
    EXPECT_EQ(high.m_spectrum[62], 64.0);
    EXPECT_EQ(high.m_spectrum[250], 252.0);
    EXPECT_EQ(high.m_spectrum[251], 251.0);
    EXPECT_EQ(high.m_spectrum[20], 20.0);

    CFftData low;
    for (int k = 0; k < 256; ++k)
        low.m_spectrum[k] = k == 10 ? 1000.0 : 1.0;
    low.SuppressSpurs(256);
    EXPECT_EQ(low.m_spectrum[10], 1000.0);
}

TEST(FftDataTest, PeakIsTheFirstLargestBinAfterDc) {
    CFftData fft;
    fft.m_spectrum[0] = 50.0;
    fft.m_spectrum[7] = 5.0;
    fft.m_spectrum[9] = 5.0;
    fft.FindPeak(256);
    EXPECT_EQ(fft.m_nPeakBin, 7);
    EXPECT_EQ(fft.m_dPeakValues[0], 5.0);
}

TEST(FftDataTest, HarmonicsBeyondTheLastBinHaveNoValue) {
    CFftData fft;
    fft.m_nBins = 4096;
    fft.ApplyScale(4096);
    for (int k = 0; k < 4096; ++k)
        fft.m_spectrum[k] = fft.m_linear[k] = 1.0 + k;
    fft.m_nPeakBin = 1000;
    fft.ComputeHarmonicBins();
    EXPECT_EQ(fft.m_nHarmonicBins[2], 4000);
    EXPECT_EQ(fft.m_dPeakValues[3], 4001.0);
    EXPECT_TRUE(fft.IsHarmonicValid(4));
    EXPECT_EQ(fft.m_nHarmonicBins[3], 5000);
    EXPECT_FALSE(fft.IsHarmonicValid(5));
    EXPECT_FALSE(fft.IsHarmonicValid(6));
    EXPECT_EQ(fft.m_dPeakValues[4], 0.0);
    EXPECT_EQ(fft.m_dPeakValues[5], 0.0);
    EXPECT_EQ(fft.LinearHarmonicValue(5), 0.0);
    EXPECT_EQ(fft.LinearHarmonicValue(4), 4001.0);
    // The largest peak's sixth harmonic still fits the stored bin word.
    fft.m_nPeakBin = 4095;
    fft.ComputeHarmonicBins();
    EXPECT_EQ(fft.m_nHarmonicBins[4], 4095 * 6);
}

TEST(FftDataTest, FrequencyAxisAtTheFastestTimeBasesDoesNotOverflow) {
    CFftData fft;
    fft.ComputeFrequencyAxis(5e-8); // 50 ns/div: 2 MHz per bin
    EXPECT_EQ(fft.m_frequency[1], 2000000);
    EXPECT_EQ(fft.m_frequency[4095], 8190000000LL);
    fft.ComputeFrequencyAxis(1e-7); // 100 ns/div: 1 MHz per bin
    EXPECT_EQ(fft.m_frequency[2148], 2148000000LL);
    EXPECT_EQ(fft.m_frequency[4095], 4095000000LL);
    for (double t : {2e-9, 5e-9, 1e-8, 2e-8, 4e-8}) {
        fft.ComputeFrequencyAxis(t);
        EXPECT_EQ(fft.m_frequency[4095], 4095000000LL);
        EXPECT_EQ(fft.m_frequency[2148], 2148000000LL);
    }
    fft.ComputeFrequencyAxis(4e-5);
    EXPECT_EQ(fft.m_frequency[3], 7500);
    fft.ComputeFrequencyAxis(1e-6);
    EXPECT_EQ(fft.m_frequency[7], 700000);
    fft.ComputeFrequencyAxis(3600.0);
    EXPECT_EQ(fft.m_frequency[4095], 0);
    for (int k = 1; k < kFftMaxBins; ++k)
        ASSERT_GE(fft.m_frequency[k], fft.m_frequency[k - 1]);
}

TEST(FftDataTest, TextExportWritesHeaderBlankLineAndEveryBin) {
    const auto dir = TempDir();
    CFftData fft;
    fft.m_nBins = 1024;
    fft.ComputeFrequencyAxis(5e-8);
    fft.m_spectrum[1023] = 0.25;
    const auto path = dir / "linear.txt";
    ASSERT_EQ(fft.SaveFftToText(path.c_str()), 1);
    auto lines = Lines(path);
    ASSERT_EQ(lines.size(), 1026u);
    EXPECT_EQ(lines[0], "Freq(Hz)\t\t\t\t\tVolt(V)");
    EXPECT_EQ(lines[1], " ");
    EXPECT_EQ(lines[2], "0\t\t\t\t\t0.000000");
    EXPECT_EQ(lines[1025], "2046000000\t\t\t\t\t0.250000");

    fft.m_nScale = 0;
    fft.m_nBins = 4096;
    ASSERT_EQ(fft.SaveFftToText(path.c_str()), 1);
    lines = Lines(path);
    ASSERT_EQ(lines.size(), 4098u);
    EXPECT_EQ(lines[0], "Freq(Hz)\t\t\t\t\tdB");
    EXPECT_EQ(lines[4097].substr(0, 10), "8190000000"); // no negative frequencies
    std::ifstream raw(path, std::ios::binary);
    std::stringstream all;
    all << raw.rdbuf();
    EXPECT_EQ(all.str().find('\r'), std::string::npos);

    CString error;
    EXPECT_EQ(fft.SaveFftToText((dir / "missing" / "x.txt").c_str(), &error), 0);
    EXPECT_EQ(std::string(error).rfind("Cann't save file: ", 0), 0u);
    std::filesystem::remove_all(dir);
}
