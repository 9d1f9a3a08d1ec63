// The Pallik and Cordun builds: this file is compiled into one test program per build and checks
// that build's device names, buffer lengths, level constants, rate words, trace drawer and autoset.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "Canvas.h"
#include "Driver.h"
#include "ModelConstants.h"
#include "SdInternal.h"
#include "SimFixture.h"
#include "Tessel.h"
#include "simulator/SimModel.h"
#include "system/Clock.h"
#include "usb/UsbBus.h"

namespace {

using kv::sdk::kModel;
using kv::sdk::Model;

constexpr bool kPallik = kModel == Model::Pallik;

// Each build's test program names its suites after the build, so the two programs' tests stay
// apart in one test run.
#if defined(KV_SDK_MODEL_PALLIK)
#define VARIANT_SUITE PallikBuild
#define VARIANT_PLAIN_SUITE PallikLibrary
#else
#define VARIANT_SUITE CordunBuild
#define VARIANT_PLAIN_SUITE CordunLibrary
#endif

class VariantFixture : public ::testing::Test {
protected:
    void SetUp() override {
        kv::usb::UnregisterAllDevices();
        kv::sdk::ResetSdState();
        dev = kv::sim::RegisterModelSimulator(
            kPallik ? kv::sim::SimModel::KestraE : kv::sim::SimModel::KestraF, 0);
    }
    void TearDown() override {
        kv::usb::UnregisterAllDevices();
        EXPECT_EQ(kv::usb::OpenHandleCount(), 0);
    }
    std::vector<Bytes> Commands(int code) const { return CommandsSent(*dev, code); }
    std::shared_ptr<kv::sim::SimModelDevice> dev;
};
using VARIANT_SUITE = VariantFixture;

TEST(VARIANT_PLAIN_SUITE, IsAModelBuild) {
    EXPECT_NE(kModel, Model::Tessel);
}

TEST(VARIANT_PLAIN_SUITE, SimulatorModelsKnowTheirOwnCounters) {
    using kv::sim::SimModel;
    EXPECT_EQ(kv::sim::SimTimeBaseForScreenCounter(SimModel::KestraE, 63037), 22);
    EXPECT_EQ(kv::sim::SimTimeBaseForScreenCounter(SimModel::KestraE, 63525), -1);
    EXPECT_EQ(kv::sim::SimTimeBaseForScreenCounter(SimModel::KestraF, 63525), 22);
    EXPECT_EQ(kv::sim::SimTimeBaseForScreenCounter(SimModel::KestraF, 63037), -1);
    EXPECT_EQ(kv::sim::SimTimeBaseForScreenCounter(SimModel::KestraF, 65535), 13);
    EXPECT_EQ(kv::sim::SimTimeBaseForScreenCounter(SimModel::KestraF, 65517), -1) << "also the roll counter";
    EXPECT_EQ(kv::sim::SimModelForPrefix("qzdva"), SimModel::KestraF);
    EXPECT_EQ(kv::sim::SimModelForPrefix("qzdev"), SimModel::KestraE);
}

TEST_F(VARIANT_SUITE, DeviceNamesCarryTheModelsPrefix) {
    EXPECT_EQ(dsoSearchDevice(0), 1);
    EXPECT_EQ(kv::sdk::dsoGetDeviceName(3), kPallik ? "qzdev-3" : "qzdva-3");
    // An instrument of the other family is not found.
    kv::usb::UnregisterAllDevices();
    kv::usb::RegisterDevice(kPallik ? "qzdva-1" : "qzdev-1", std::make_shared<kv::sim::SimWireDevice>());
    EXPECT_EQ(dsoSearchDevice(1), 0);
    EXPECT_EQ(sdSearchDevice(1), 0);
}

TEST_F(VARIANT_SUITE, GroundAndOffsetLengthsAndLevels) {
    std::vector<std::uint16_t> record(600000, 7);
    dsoChannelInGND(100, record.data());
    const std::size_t grounded = kPallik ? 28672 : 31000;
    EXPECT_EQ(std::count(record.begin(), record.end(), 100), static_cast<long>(grounded));
    EXPECT_EQ(record[grounded], 7);

    std::fill(record.begin(), record.end(), 300);
    dsoChannelDataAdjustOffset(kPallik ? 255 : 256, record.data()); // the build's mid level: no change
    EXPECT_TRUE(std::all_of(record.begin(), record.end(), [](std::uint16_t v) { return v == 300; }));
    dsoChannelDataAdjustOffset(250, record.data());
    const std::size_t adjusted = kPallik ? 14336 : 524288;
    EXPECT_EQ(record[0], kPallik ? 305 : 306);
    EXPECT_EQ(record[adjusted - 1], record[0]);
    EXPECT_EQ(record[adjusted], 300);
}

TEST_F(VARIANT_SUITE, PeriodWalkUsesTheMidLevel) {
    // A record resting at 256 starts high in the Pallik build (above 255) and low in the Cordun
    // build (not above 256); a rise to 265 then counts only in Cordun.
    std::vector<std::uint16_t> record(20000, 256);
    for (int i = 4001; i < 8000; ++i)
        record[i] = 265;
    for (int i = 8001; i < 12000; ++i)
        record[i] = 200;
    for (int i = 12001; i < 20000; ++i)
        record[i] = 265;
    std::uint16_t out[2] = {0, 0};
    dsoGetPointsNumberInPeriod(out, record.data());
    if (kPallik) {
        EXPECT_EQ(out[0], 12001);
        EXPECT_EQ(out[1], 0);
    } else {
        EXPECT_EQ(out[0], 4001);
        EXPECT_EQ(out[1], 12001);
    }
}

TEST_F(VARIANT_SUITE, RateCommandsFollowTheModelsTables) {
    std::uint16_t settings[7] = {0, 2, 22, 50, 1, 10, 0};
    dev->Instrument().SetMemoryCode(1);
    EXPECT_EQ(dsoSetTriggerAndSampleRate2(0, 0, 0, settings), 1);
    auto clock = Commands(0x0C).back();
    const int counter = clock[2] | clock[3] << 8;
    EXPECT_EQ(counter, kPallik ? 63037 : 63525);
    if (!kPallik) {
        EXPECT_EQ(dev->Instrument().TimeBaseIndex(), 22) << "the Kestra-F simulator knows its own counter";
    }

    // Pallik takes every selector up to 99 as the 10240-point record.
    settings[2] = 14;
    settings[5] = 50;
    dsoSetTriggerAndSampleRate2(0, 0, 0, settings);
    clock = Commands(0x0C).back();
    EXPECT_EQ(clock[2] | clock[3] << 8, kPallik ? 65532 : 0);
    settings[5] = 100;
    dsoSetTriggerAndSampleRate2(0, 0, 0, settings);
    EXPECT_EQ(Commands(0x0C).back()[2], 0);

    // The override flag: Pallik records "both channels" in the caller's block.
    settings[1] = 0;
    settings[2] = 5;
    EXPECT_EQ(dsoSetTriggerAndSampleRate(0, 0, 1, settings, 0, 0, 0, 0), 1);
    EXPECT_EQ(settings[1], kPallik ? 2 : 0);
    const auto trig = Commands(0x0E).back();
    EXPECT_EQ((trig[2] >> 1) & 3, 2);
    EXPECT_EQ(trig[2] & 1, kPallik ? 1 : 0) << "time-base flag from the stored selector";
    settings[1] = 0;
    dsoSetTriggerAndSampleRate(0, 0, 0, settings, 0, 0, 0, 0);
    EXPECT_EQ(settings[1], 0);
}

TEST_F(VARIANT_SUITE, TdcCountPacketSize) {
    dev->SetHighSpeed(false);
    dev->Instrument().SetTdcCount(1234);
    std::uint32_t count = 0;
    ASSERT_EQ(dsoGetTDCData(0, &count), 1);
    EXPECT_EQ(count, 1234u);
    std::uint32_t lastRead = 0;
    for (const auto& r : dev->Log())
        if (r.code == kv::usb::kIoctlBulkRead)
            lastRead = r.length;
    EXPECT_EQ(lastRead, kPallik ? 512u : 64u);
}

TEST_F(VARIANT_SUITE, DeepRecordReadLengthAndTrailer) {
    const std::uint32_t deep = kPallik ? 14336 : 524288;
    std::vector<std::uint16_t> a(2 * deep + 4, 0xBEEF), b(2 * deep + 4, 0xBEEF);
    const std::uint16_t settings[7] = {0, 2, 12, 50, 2, 0, 0};
    dev->Instrument().SetMemoryCode(2);
    EXPECT_EQ(dsoGetChannelData(0, 6, 6, 50, a.data(), b.data(), settings, deep), 0)
        << "address past the record";
    EXPECT_EQ(a[0], 0xBEEF);
    ASSERT_EQ(dsoGetChannelData(0, 6, 6, 50, a.data(), b.data(), settings, deep - 1), 1);
    EXPECT_EQ(a[2 * deep], 12);
    EXPECT_EQ(a[2 * deep + 2], 50);
    std::uint32_t streamBytes = 0;
    for (const auto& r : dev->Log())
        if (r.code == kv::usb::kIoctlBulkRead)
            streamBytes += r.length;
    EXPECT_GE(streamBytes, 4 * deep);
    EXPECT_LT(streamBytes, 4 * deep + 2048);

    std::vector<std::uint16_t> copy(deep + 1, 1);
    const std::uint16_t slow[7] = {0, 2, 20, 50, 2, 0, 0};
    dsoChannelDataBuffer(slow, 0, copy.data(), a.data());
    EXPECT_EQ(copy[deep - 1], a[deep - 1]);
    EXPECT_EQ(copy[deep], 1);
}

constexpr std::uint16_t kLayout[7] = {520, 300, 10, 10, 10, 10, 0};

class WhiteCanvas : public Canvas {
public:
    WhiteCanvas() : Canvas(520, 300) {
        const RECT all{0, 0, 520, 300};
        HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
        FillRect(dc(), &all, white);
        DeleteObject(white);
    }
};
constexpr COLORREF kWhite = RGB(255, 255, 255);

TEST(VARIANT_PLAIN_SUITE, TraceDrawerOfTheBuild) {
    std::vector<std::uint16_t> gaps(500, 1000);
    const std::uint16_t colour[3] = {0, 200, 0};
    WhiteCanvas vectors;
    const int drawn = dsoDisplayData(vectors.dc(), kLayout, 1, gaps.data(), 0, 255, colour);
    vectors.Save(kPallik ? "pallik_trace_gaps" : "cordun_trace_gaps");
    EXPECT_EQ(drawn, 1);
    if (kPallik) {
        // No data anywhere: the whole span at the top edge (depth 1: y = 10), in black.
        EXPECT_EQ(vectors.Count(kBlack, 10, 10, 510, 11), 500);
        EXPECT_EQ(vectors.CountNot(kWhite, 0, 0, 520, 300), 500);
    } else {
        EXPECT_EQ(vectors.CountNot(kWhite, 0, 0, 520, 300), 0);
    }

    // Dots: Pallik sets all 500 points; codes at the edges in black, 700 drawn like any code.
    std::vector<std::uint16_t> record(500, 300);
    record[10] = 700;
    WhiteCanvas dots;
    dsoDisplayData(dots.dc(), kLayout, 0, record.data(), 0, 255, colour);
    if (kPallik) {
        EXPECT_EQ(dots.Count(RGB(0, 200, 0), 0, 0, 520, 300), 499);
        EXPECT_EQ(dots.Count(kBlack, 0, 0, 520, 300), 1);
        // Intensity 511 doubles the colour, held at 255 per component.
        WhiteCanvas bright;
        dsoDisplayData(bright.dc(), kLayout, 0, record.data(), 0, 511, colour);
        EXPECT_EQ(bright.Count(RGB(0, 255, 0), 0, 0, 520, 300), 499);
    }

    // Selectors above 3 draw nothing in either mode.
    WhiteCanvas none;
    EXPECT_EQ(dsoDisplayData(none.dc(), kLayout, 1, record.data(), 4, 255, colour), 0);
    EXPECT_EQ(dsoDisplayData(none.dc(), kLayout, 0, record.data(), 4, 255, colour), 0);
    EXPECT_EQ(none.CountNot(kWhite, 0, 0, 520, 300), 0);
}

#if defined(KV_SDK_MODEL_PALLIK)
TEST(VARIANT_PLAIN_SUITE, BackupDrawerIsTheStandardOne) {
    std::vector<std::uint16_t> record(500, 300);
    const std::uint16_t colour[3] = {200, 100, 50};
    WhiteCanvas backup;
    EXPECT_EQ(dsoDisplayDatabackup(backup.dc(), kLayout, 1, record.data(), 0, 511, colour), 1);
    // The standard drawer's colour, held at 255; no black edge segments.
    EXPECT_GT(backup.Count(RGB(255, 200, 100), 0, 0, 520, 300), 400);
    EXPECT_EQ(backup.Count(kBlack, 0, 0, 520, 300), 0);
    std::vector<std::uint16_t> gaps(500, 1000);
    WhiteCanvas empty;
    dsoDisplayDatabackup(empty.dc(), kLayout, 1, gaps.data(), 0, 255, colour);
    EXPECT_EQ(empty.CountNot(kWhite, 0, 0, 520, 300), 0);
}
#endif

void RecordNothing(std::uint32_t) {}

TEST_F(VARIANT_SUITE, AutosetPositionsOfTheBuild) {
    kv::sdk::g_sdSleep = &RecordNothing;
    std::uint16_t settings[7] = {0, 2, 12, 50, 1, 10, 0};
    std::uint16_t block[9] = {0, 0, 0, 0, 0, 1, 0, 1, 0}; // CH1 grounded: walks every range
    const std::uint16_t filter[5] = {0, 0, 0, 0, 0};
    std::uint16_t positions[5] = {0, 0, 0, 0, 0};
    std::uint16_t levels[66] = {};
    for (int i = 0; i < 40; ++i)
        levels[i] = (i % 2 == 0) ? 700 : 2800;
    EXPECT_EQ(sdAutoset(0, settings, block, filter, positions, levels), 1);
    kv::sdk::g_sdSleep = &kv::SleepMs;
    EXPECT_EQ(block[1], 6);
    EXPECT_EQ(positions[4], kPallik ? 255 : 256);
    EXPECT_EQ(positions[0], 128);
    // The first offset request interpolates the trigger DAC (pair 712, 2805) at the start position.
    for (const auto& r : dev->Log())
        if (r.code == kv::usb::kIoctlVendorRequest && r.setup.size() == 10 && r.setup[4] == 0xB4) {
            EXPECT_EQ(r.data[4] << 8 | r.data[5], kPallik ? 1760 : 1756);
            break;
        }
    EXPECT_EQ(kv::sdk::AutosetGroundCode(), kPallik ? 256 : 255);
}

} // namespace
