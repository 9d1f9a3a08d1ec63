// Contracts that every library build keeps, compiled into the test program of each build: the
// whole level table of sdGetLevel, and what the trigger-rate commands do to the caller's capture
// settings block.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "Canvas.h"
#include "Driver.h"
#include "ModelConstants.h"
#include "SimFixture.h"
#include "Tessel.h"
#include "simulator/SimWireDevice.h"
#include "usb/UsbBus.h"

namespace {

using kv::sdk::kModel;
using kv::sdk::Model;

#if defined(KV_SDK_MODEL_PALLIK)
#define BUILD_SUITE PallikContracts
#define BUILD_PLAIN_SUITE PallikDrawing
#elif defined(KV_SDK_MODEL_CORDUN)
#define BUILD_SUITE CordunContracts
#define BUILD_PLAIN_SUITE CordunDrawing
#else
#define BUILD_SUITE TesselContracts
#define BUILD_PLAIN_SUITE TesselDrawing
#endif

class BuildFixture : public ::testing::Test {
protected:
    void SetUp() override {
        kv::usb::UnregisterAllDevices();
        dev = std::make_shared<kv::sim::SimWireDevice>();
        // The build's own device name: "qzdev-0", or "qzdva-0" for Cordun.
        kv::usb::RegisterDevice(kv::sdk::dsoGetDeviceName(0), dev);
    }
    void TearDown() override {
        kv::usb::UnregisterAllDevices();
        EXPECT_EQ(kv::usb::OpenHandleCount(), 0);
    }
    std::vector<Bytes> Commands(int code) const { return CommandsSent(*dev, code); }
    std::shared_ptr<kv::sim::SimWireDevice> dev;
};
using BUILD_SUITE = BuildFixture;

TEST_F(BUILD_SUITE, LevelTableHoldsEveryEntryAndNothingBeyond) {
    // The stored table at address 8: 40 values, high byte first. Entries 22 to 25 carry high bytes
    // of 50, 51, 0x40 and 0xFF; above 50 the high byte counts as 50.
    const std::uint8_t stored[80] = {
        0x04, 0xE2, 0x05, 0x81, 0x04, 0xD5, 0x06, 0x91, 0x02, 0x7B, 0x06, 0x96, 0x02, 0xC6, 0x0B, 0x56,
        0x04, 0xE4, 0x06, 0x70, 0x02, 0x77, 0x06, 0x74, 0x02, 0xC8, 0x0A, 0xF5, 0x04, 0xCF, 0x06, 0x82,
        0x02, 0x8B, 0x06, 0x71, 0x02, 0xAD, 0x0A, 0xAD, 0x00, 0x00, 0x0F, 0xFF, 0x32, 0x00, 0x33, 0x01,
        0x40, 0x12, 0xFF, 0xFF, 0x02, 0x72, 0x0B, 0x34, 0x04, 0xCB, 0x06, 0x5F, 0x02, 0x48, 0x06, 0x6A,
        0x02, 0x74, 0x0A, 0xCD, 0x04, 0xD5, 0x05, 0x75, 0x04, 0xD2, 0x06, 0x88, 0x02, 0x5F, 0x06, 0x9D};
    const std::array<std::uint16_t, 66> expected{
        // CH1 ranges 0..9, (low, high)
        1250, 1409, 1237, 1681, 635, 1686, 710, 2902, 1252, 1648, //
        631, 1652, 712, 2805, 1231, 1666, 651, 1649, 685, 2733,   //
        // CH2 ranges 0..9
        0, 4095, 12800, 12801, 12818, 13055, 626, 2868, 1227, 1631, //
        584, 1642, 628, 2765, 1237, 1397, 1234, 1672, 607, 1693,    //
        // the fixed part: trigger pair, two words, (170, 30) seven times, three pairs, 4095, 0
        712, 2805, 2202, 242,                                          //
        170, 30, 170, 30, 170, 30, 170, 30, 170, 30, 170, 30, 170, 30, //
        160, 30, 180, 40, 180, 90, 4095, 0};
    ASSERT_TRUE(dev->Instrument().WriteMemory(8, stored, 80));

    // One guard word on either side of the 66 entries: index -1 and index 66.
    std::vector<std::uint16_t> buffer(68, 0xBEEF);
    ASSERT_EQ(sdGetLevel(0, buffer.data() + 1), 1);
    EXPECT_EQ(buffer.front(), 0xBEEF) << "entry -1 written";
    EXPECT_EQ(buffer.back(), 0xBEEF) << "entry 66 written";
    for (int i = 0; i < 66; ++i)
        EXPECT_EQ(buffer[i + 1], expected[i]) << "entry " << i;

    // Another device index is refused before anything is written.
    std::vector<std::uint16_t> untouched(68, 0xBEEF);
    EXPECT_EQ(sdGetLevel(4, untouched.data() + 1), 0);
    EXPECT_EQ(untouched, std::vector<std::uint16_t>(68, 0xBEEF));
}

TEST_F(BUILD_SUITE, OverrideFlagAndTheCallersSettingsBlock) {
    // Trigger source 0, CH1 only, time base 5, position 50, memory code 1, 10240-point record.
    std::array<std::uint16_t, 7> settings{0, 0, 5, 50, 1, 10, 0};
    const std::array<std::uint16_t, 7> before = settings;
    ASSERT_EQ(dsoSetTriggerAndSampleRate(0, 0, 1, settings.data(), 0, 0, 0, 0), 1);
    // Every build sends "both channels" with the override flag...
    ASSERT_FALSE(Commands(0x0E).empty());
    EXPECT_EQ((Commands(0x0E).back()[2] >> 1) & 3, 2);
    // ...and only the Pallik build also records it in the caller's block.
    std::array<std::uint16_t, 7> after = before;
    if (kModel == Model::Pallik)
        after[1] = 2;
    EXPECT_EQ(settings, after);

    // Without the override flag the block stays as the caller left it, in every build.
    settings = before;
    ASSERT_EQ(dsoSetTriggerAndSampleRate(0, 0, 0, settings.data(), 0, 0, 0, 0), 0);
    EXPECT_EQ(settings, before);
    EXPECT_EQ((Commands(0x0E).back()[2] >> 1) & 3, 0);

    // The sd wrapper passes the caller's block itself: the same holds through it.
    ASSERT_EQ(sdSetTriggerAndSampleRate(0, 0, 1, settings.data(), 0, 0, 2), 1);
    EXPECT_EQ(settings, after);
}

TEST(BUILD_PLAIN_SUITE, TraceColourAndLayoutWordsAtTheEnds) {
    // The build's trace drawer: a flat trace at code 300 on a 500 x 511 plot lies on row 211.
    const std::uint16_t layout[7] = {500, 511, 0, 0, 0, 0, 0};
    const std::vector<std::uint16_t> flat(500, 300), highs(500, 0xFFFF);
    const std::uint16_t colour[3] = {0xFFFF, 0xFFFF, 1};
    Canvas c(500, 511);
    // 65535 x 65535 / 255 for the first two components and 65535 / 255 for the third, each held
    // at 255 inside its own byte.
    EXPECT_EQ(dsoDisplayData(c.dc(), layout, 1, flat.data(), 0, 0xFFFF, colour), 1);
    EXPECT_EQ(c.At(100, 211), RGB(255, 255, 255));
    EXPECT_EQ(dsoDisplayData(c.dc(), layout, 1, flat.data(), 0xFFFF, 0xFFFF, colour), 0);

    const std::uint16_t tops[7] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    const std::uint16_t wide[7] = {0xFFFF, 0xFFFF, 0, 0, 0, 0, 0};
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    HGDIOBJ previous = SelectObject(c.dc(), pen);
    for (const std::uint16_t* l : {tops, wide}) {
        for (std::uint16_t mode : {std::uint16_t(0), std::uint16_t(1), std::uint16_t(0xFFFF)}) {
            EXPECT_EQ(dsoDisplayData(c.dc(), l, mode, highs.data(), 3, 0xFFFF, nullptr), 1);
            EXPECT_EQ(dsoDisplayData(c.dc(), l, mode, flat.data(), 1, 0, colour), 1);
        }
    }
    EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_PEN), pen);
    SelectObject(c.dc(), previous);
    DeleteObject(pen);
}

} // namespace
