#include "engine/UsbDevice.h"

#include "zendral/RecordingZendral.h"
#include "zendral/ZendralRegistry.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using Ords = std::vector<int>;

class UsbDeviceTest : public ::testing::Test {
protected:
    std::shared_ptr<kv::RecordingZendral> fake = std::make_shared<kv::RecordingZendral>();
    kv::ScopedZendral scope{fake};
    CUsbDevice dev;
};

TEST_F(UsbDeviceTest, StartsClearedSoTheFirstSendGoesToIndexZero) {
    EXPECT_EQ(dev.GetDeviceIndex(), 0);
    EXPECT_EQ(dev.GetDeviceCount(), 0);
    EXPECT_EQ(dev.IsSettingsSent(), 0);
    EXPECT_EQ(dev.GetCaptureStateValue(), 0);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(dev.GetStateWord(i), 0);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(dev.GetLevelWord(i), 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dev.IsPresent(i), 0);
        EXPECT_EQ(dev.GetAddress(i), 0);
        EXPECT_EQ(dev.GetAdjustmentWords()[i], 0);
    }
    EXPECT_EQ(dev.GetFftBlock().bins, 0);
    dev.SetVoltageAndCoupling(6, 6, 1, 1, nullptr);
    ASSERT_EQ(fake->calls.size(), 1u);
    EXPECT_EQ(fake->calls[0].args[0], 0);
}

TEST_F(UsbDeviceTest, CalibrationReadCodesPairsAndClampsTheHighPart) {
    fake->calibrationPairs[0] = 60; // (60, 7) -> 50 x 256 + 7
    fake->calibrationPairs[1] = 7;
    fake->calibrationPairs[2] = 3;
    fake->calibrationPairs[3] = 200;
    fake->calibrationPairs[78] = 50;
    fake->calibrationPairs[79] = 255;
    fake->calibrationPairs[80] = 9; // pair 40 lies beyond the table
    std::vector<std::int16_t> table(42, -5);
    ASSERT_EQ(dev.ReadCalibration(table.data()), 1);
    EXPECT_EQ(table[0], 12807);
    EXPECT_EQ(table[1], 3 * 256 + 200);
    EXPECT_EQ(table[2], 0);
    EXPECT_EQ(table[39], 50 * 256 + 255);
    EXPECT_EQ(table[40], -5); // the range words are not part of the read
    // The library got a cleared 128-pair buffer and the length 80.
    const kv::ZendralCall& call = fake->calls.at(0);
    EXPECT_EQ(call.ordinal, 9);
    EXPECT_EQ(call.args, (std::vector<long long>{0, 80}));
    ASSERT_EQ(call.blocks[0].size(), 256u);
    for (short v : call.blocks[0])
        ASSERT_EQ(v, 0);
}

TEST_F(UsbDeviceTest, FailedTableReadsLeaveTheirTargetsUntouched) {
    fake->readCalibrationResult = 0;
    fake->calibrationPairs[0] = 1;
    std::vector<std::int16_t> table(40, 77);
    EXPECT_EQ(dev.ReadCalibration(table.data()), 0);
    // Only the low 16 bits of the result count: 0x10000 is a failure too.
    fake->readCalibrationResult = 0x10000;
    EXPECT_EQ(dev.ReadCalibration(table.data()), 0);
    for (std::int16_t v : table)
        ASSERT_EQ(v, 77);

    dev.GetAdjustmentWords()[2] = 33;
    fake->lineCalResult = 0;
    fake->lineCalWords = {{1, 2, 3, 4}};
    EXPECT_EQ(dev.ReadLineCalData(), 0);
    EXPECT_EQ(dev.GetAdjustmentWords()[2], 33);
}

TEST_F(UsbDeviceTest, CalibrationWriteSplitsEntriesAndRoundTrips) {
    std::vector<std::uint16_t> table(42, 0);
    table[0] = 12807;
    table[39] = 0x1234;
    table[40] = 0xFFFF; // range words never travel
    EXPECT_EQ(dev.WriteCalibration(table.data()), 1);
    const kv::ZendralCall& call = fake->calls.at(0);
    EXPECT_EQ(call.ordinal, 10);
    EXPECT_EQ(call.args, (std::vector<long long>{0, 80}));
    const std::vector<short>& pairs = call.blocks[0];
    EXPECT_EQ(pairs[0], 50);
    EXPECT_EQ(pairs[1], 7);
    EXPECT_EQ(pairs[78], 0x12);
    EXPECT_EQ(pairs[79], 0x34);
    for (size_t i = 80; i < pairs.size(); ++i)
        ASSERT_EQ(pairs[i], 0);

    // What was written reads back unchanged (entries of at most 50 x 256 + 255).
    std::copy(pairs.begin(), pairs.end(), fake->calibrationPairs.begin());
    std::vector<std::int16_t> back(40, -1);
    ASSERT_EQ(dev.ReadCalibration(back.data()), 1);
    EXPECT_EQ(back[0], 12807);
    EXPECT_EQ(back[39], 0x1234);

    fake->results[10] = 0x20000;
    EXPECT_EQ(dev.WriteCalibration(table.data()), 0);
}

TEST_F(UsbDeviceTest, AdjustmentWordsMapUnsetToZero) {
    fake->lineCalWords = {{0x1FF, 0x1FE, 5, 0x1FF}};
    ASSERT_EQ(dev.ReadLineCalData(), 1);
    const std::int16_t* w = dev.GetAdjustmentWords();
    EXPECT_EQ(w[0], 0);
    EXPECT_EQ(w[1], 0x1FE);
    EXPECT_EQ(w[2], 5);
    EXPECT_EQ(w[3], 0);
    EXPECT_EQ(dev.WriteLineCalData(), 1);
    EXPECT_EQ(fake->calls.back().ordinal, 15);
    EXPECT_EQ(fake->calls.back().blocks[0], (std::vector<short>{0, 0x1FE, 5, 0}));
}

TEST_F(UsbDeviceTest, ScanFindsIndexesOneAndThreeAndReadsOnlyTheirAddresses) {
    fake->searchResults = {{0, 1, 0, 0x8001}};
    fake->addresses = {{11, 22, 33, 44}};
    EXPECT_EQ(dev.ScanDevices(), 2);
    EXPECT_EQ(fake->Ordinals(), (Ords{8, 8, 20, 8, 8, 20}));
    EXPECT_EQ(fake->calls[2].args[0], 1);
    EXPECT_EQ(fake->calls[5].args[0], 3);
    EXPECT_EQ(dev.GetDeviceCount(), 2);
    EXPECT_EQ(dev.IsPresent(0), 0);
    EXPECT_EQ(dev.IsPresent(1), 1);
    EXPECT_EQ(dev.IsPresent(2), 0);
    EXPECT_EQ(dev.IsPresent(3), 1);
    EXPECT_EQ(dev.GetAddress(0), 0);
    EXPECT_EQ(dev.GetAddress(1), 22);
    EXPECT_EQ(dev.GetAddress(3), 44);

    // A later scan that finds nothing clears the presence flags (0x10000 is "absent").
    fake->searchResults = {{0, 0x10000, 0, 0}};
    EXPECT_EQ(dev.ScanDevices(), 0);
    EXPECT_EQ(dev.IsPresent(1), 0);
    EXPECT_EQ(dev.IsPresent(3), 0);
}

TEST_F(UsbDeviceTest, PresenceAndEveryCallUseTheChosenIndex) {
    fake->searchResults = {{0, 0, 1, 0}};
    EXPECT_EQ(dev.IsDevicePresent(), 0);
    ASSERT_TRUE(dev.SetDeviceIndex(2));
    EXPECT_EQ(dev.IsDevicePresent(), 1);
    // Out-of-range indexes are refused and change nothing.
    EXPECT_FALSE(dev.SetDeviceIndex(4));
    EXPECT_FALSE(dev.SetDeviceIndex(-1));
    EXPECT_EQ(dev.GetDeviceIndex(), 2);
    fake->ClearCalls();
    EXPECT_EQ(dev.ReadDeviceAddress(4), 0);
    EXPECT_EQ(dev.ReadDeviceAddress(-1), 0);
    EXPECT_TRUE(fake->calls.empty());
    dev.CaptureStart();
    dev.TriggerEnabled();
    dev.ForceTrigger();
    dev.SetFilter(1, 0, 1);
    dev.SelectTdc(2);
    EXPECT_EQ(fake->Ordinals(), (Ords{6, 7, 1, 13, 23}));
    for (const kv::ZendralCall& c : fake->calls)
        EXPECT_EQ(c.args[0], 2);
    EXPECT_EQ(fake->calls[3].args, (std::vector<long long>{2, 1, 0, 1}));
    // Ordinal 21 takes the caller's two arguments and no device index.
    fake->ClearCalls();
    dev.SetDeviceAddress(1, 200);
    EXPECT_EQ(fake->calls.at(0).args, (std::vector<long long>{1, 200}));
}

TEST_F(UsbDeviceTest, TriggerAndSampleRateSendsThreeOrdinals) {
    std::int16_t other[6] = {1, 2, 20, 50, 3, 0};
    dev.SetTriggerAndSampleRate(1, 1, other, 1, 4, 2000);
    EXPECT_EQ(fake->Ordinals(), (Ords{3, 33, 34}));
    EXPECT_EQ(fake->calls[0].args, (std::vector<long long>{0, 1, 1, 1, 4, 2000}));
    EXPECT_EQ(fake->calls[1].args, (std::vector<long long>{0, 1, 1}));
    EXPECT_EQ(fake->calls[2].args, (std::vector<long long>{0, 1, 1}));
    for (const kv::ZendralCall& c : fake->calls)
        EXPECT_EQ(c.blocks[0], (std::vector<short>{1, 2, 20, 50, 3, 0}));
}

TEST_F(UsbDeviceTest, SetOffsetAlwaysPassesTheDevicesOwnLevelBlock) {
    dev.SetLevelWord(kv::kLevelCh1Position, 128);
    dev.SetLevelWord(kv::kLevelExtTrigger, 256);
    dev.SetLevelWord(7, 999); // outside the block: ignored
    std::int16_t foreign[5] = {1, 2, 3, 4, 5};
    std::vector<std::int16_t> calibration(82, 0);
    calibration[0] = 12807;
    calibration[41] = 1409;
    dev.SetOffset(foreign, 6, 7, 1, calibration.data());
    const kv::ZendralCall& c = fake->calls.at(0);
    EXPECT_EQ(c.ordinal, 5);
    EXPECT_EQ(c.args, (std::vector<long long>{0, 6, 7, 1}));
    EXPECT_EQ(c.blocks[0], (std::vector<short>{128, 0, 0, 0, 256}));
    ASSERT_EQ(c.blocks[1].size(), 42u);
    EXPECT_EQ(c.blocks[1][0], 12807);
    EXPECT_EQ(c.blocks[1][41], 1409);
}

TEST_F(UsbDeviceTest, CaptureStateAndChannelReadCarryTheStateBlock) {
    fake->captureStates = {1, 5};
    EXPECT_EQ(dev.GetCaptureState(), 1);
    EXPECT_EQ(dev.GetCaptureState(), 5);
    EXPECT_EQ(dev.GetCaptureStateValue(), 5);
    dev.SetStateWord(kv::kStateTimeBase, 13);
    dev.SetStateWord(kv::kStateRecordLength, 1);
    fake->sampleValue = 300;
    std::vector<std::int16_t> ch1(100, 0), ch2(100, 0);
    dev.GetChannelData(6, 8, ch1.data(), ch2.data(), 100);
    const kv::ZendralCall& c = fake->calls.back();
    EXPECT_EQ(c.ordinal, 16);
    EXPECT_EQ(c.args, (std::vector<long long>{0, 6, 8, 100, 5}));
    EXPECT_EQ(c.blocks[0], (std::vector<short>{0, 0, 13, 0, 1, 0}));
    EXPECT_EQ(ch1[99], 300);
    EXPECT_EQ(ch2[0], 300);
}

} // namespace
