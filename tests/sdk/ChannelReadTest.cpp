// Channel data read: the three read paths, rotation, scaling, calibration, trailers and faults.
#include <cmath>

#include "ChannelRead.h"
#include "SimFixture.h"

using kv::sim::Fault;
using kv::sim::FaultKind;

namespace {

std::uint16_t Pattern(int ch, std::uint32_t k) {
    return static_cast<std::uint16_t>((k * 7 + ch * 301 + 13) % 1024);
}

std::uint16_t Scaled(std::uint16_t raw, int volts) {
    static const double gains[10] = {2.8, 1.42, 1.14, 0.56, 1.42, 1.14, 0.56, 1.42, 1.14, 0.56};
    return volts > 9 ? raw : static_cast<std::uint16_t>(raw * gains[volts]);
}

std::uint16_t Extrap(int a, int b) {
    return static_cast<std::uint16_t>(std::max(0, 2 * a - b));
}

class ChannelRead : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        inst().SetSampleFunction(
            [](int ch, std::uint32_t k, std::uint32_t, std::uint32_t) { return Pattern(ch, k); });
    }
    // Wire memory code of the instrument for the library's memory code.
    void UseMemoryCode(int libraryCode) { inst().SetMemoryCode(libraryCode == 0 ? 3 : libraryCode); }
    std::uint32_t Capture(std::uint32_t trigger) {
        inst().SetTriggerAddress(trigger);
        dsoCaptureStart(0);
        dsoTriggerEnabled(0);
        std::uint32_t addr = 0;
        for (int i = 0; i < 10 && dsoGetCaptureState(0, &addr) < 4; ++i) {
        }
        dev->ClearLog();
        return addr;
    }
    static std::vector<std::uint16_t> Buffer(std::size_t n) { return std::vector<std::uint16_t>(n, 0xBEEF); }
};

} // namespace

TEST_F(ChannelRead, NormalReadAtEveryRecordLength) {
    struct Case {
        std::uint16_t memoryCode, selector;
        std::uint32_t points, trailer, trigger;
    };
    // The 512-point record (memory code 0 or 3) sits in a screen buffer, its trailer at 20480.
    for (const Case c : {Case{0, 512, 512, 20480, 700}, Case{3, 512, 512, 20480, 700},
                         Case{1, 10, 10240, 20480, 10239}, Case{2, 0, 524288, 1048576, 300000}}) {
        SCOPED_TRACE(c.points);
        UseMemoryCode(c.memoryCode);
        const std::uint32_t addr = Capture(c.trigger);
        ASSERT_EQ(addr, c.trigger);
        auto a = Buffer(c.trailer + 4), b = Buffer(c.trailer + 4);
        const std::uint16_t settings[7] = {0, 2, 12, 50, c.memoryCode, c.selector, 0};
        ASSERT_EQ(dsoGetChannelData(0, 0, 3, 42, a.data(), b.data(), settings, addr), 1);
        const std::uint32_t d = addr % c.points;
        for (std::uint32_t k = 1; k < c.points; ++k) {
            const std::uint32_t i = (d + k) % c.points;
            ASSERT_EQ(a[k], Scaled(Pattern(0, i), 0)) << k;
            ASSERT_EQ(b[k], Scaled(Pattern(1, i), 3)) << k;
        }
        EXPECT_EQ(a[0], Extrap(a[1], a[2]));
        EXPECT_EQ(b[0], Extrap(b[1], b[2]));
        EXPECT_EQ(a[c.points], 0xBEEF);
        EXPECT_EQ(std::vector<std::uint16_t>(a.end() - 4, a.end()),
                  (std::vector<std::uint16_t>{12, 0, 42, 0}));
        EXPECT_EQ(std::vector<std::uint16_t>(b.end() - 4, b.end()),
                  (std::vector<std::uint16_t>{12, 3, 42, 0}));
        const auto reads = BulkReads();
        ASSERT_EQ(reads.size(), 4 * c.points / 512);
        EXPECT_EQ(BulkWrites().back().data, Bytes({0x05, 0x00}));
    }
}

TEST_F(ChannelRead, NormalReadUses512BytePacketsOnAFullSpeedLink) {
    dev->SetHighSpeed(false);
    const std::uint32_t addr = Capture(5);
    auto a = Buffer(20484), b = Buffer(20484);
    const std::uint16_t settings[7] = {0, 2, 12, 50, 1, 10, 0};
    ASSERT_EQ(dsoGetChannelData(0, 3, 3, 0, a.data(), b.data(), settings, addr), 1);
    const auto reads = BulkReads();
    ASSERT_EQ(reads.size(), 80u);
    for (const auto& r : reads)
        ASSERT_EQ(r.length, 512u);
    EXPECT_EQ(a[1], Scaled(Pattern(0, 6), 3));
}

TEST_F(ChannelRead, GainFactorsAndTriggerAddressRange) {
    inst().SetSampleFunction(
        [](int, std::uint32_t, std::uint32_t, std::uint32_t) { return std::uint16_t{1023}; });
    auto a = Buffer(20484), b = Buffer(20484);
    const std::uint16_t settings[7] = {0, 2, 12, 50, 1, 10, 0};
    EXPECT_EQ(dsoGetChannelData(0, 0, 3, 0, a.data(), b.data(), settings, 10240), 0);
    EXPECT_TRUE(dev->Log().empty()) << "an out-of-range address sends nothing";
    EXPECT_EQ(a[1], 0xBEEF);
    ASSERT_EQ(dsoGetChannelData(0, 0, 3, 0, a.data(), b.data(), settings, 10239), 1);
    EXPECT_EQ(a[1], 2864);
    EXPECT_EQ(b[1], 572);
    ASSERT_EQ(dsoGetChannelData(0, 12, 1, 0, a.data(), b.data(), settings, 0), 1);
    EXPECT_EQ(a[1], 1023) << "an unknown range keeps the raw code";
    EXPECT_EQ(b[1], static_cast<std::uint16_t>(1023 * 1.42));
    EXPECT_EQ(kv::sdk::GainFactor(10), 0.0);
}

TEST_F(ChannelRead, AlternateTriggerWritesOneBuffer) {
    const std::uint32_t addr = Capture(100);
    auto a = Buffer(20484), b = Buffer(20484);
    const std::uint16_t settings[7] = {1, 2, 12, 50, 1, 10, 1};
    ASSERT_EQ(dsoGetChannelData(0, 3, 3, 0, a.data(), b.data(), settings, addr), 1);
    EXPECT_EQ(a[1], Scaled(Pattern(0, 101), 3));
    EXPECT_EQ(b[1], 0xBEEF);
    EXPECT_EQ(b[5000], 0xBEEF);
    EXPECT_EQ(b[0], Extrap(0xBEEF, 0xBEEF)) << "point 0 is set in both buffers";
    EXPECT_EQ(b[20481], 3);

    auto c = Buffer(20484), e = Buffer(20484);
    const std::uint16_t other[7] = {0, 2, 12, 50, 1, 10, 1};
    ASSERT_EQ(dsoGetChannelData(0, 3, 3, 0, c.data(), e.data(), other, addr), 1);
    EXPECT_EQ(c[1], 0xBEEF);
    EXPECT_EQ(e[1], Scaled(Pattern(1, 101), 3));
}

TEST_F(ChannelRead, FirstPointDoesNotWrapOnAFallingEdge) {
    // Samples after the trigger: 400 then 1000: 2 x 400 - 1000 is negative.
    inst().SetSampleFunction([](int, std::uint32_t k, std::uint32_t, std::uint32_t) {
        return static_cast<std::uint16_t>(k == 1 ? 400 : (k == 2 ? 1000 : 500));
    });
    auto a = Buffer(20484), b = Buffer(20484);
    const std::uint16_t settings[7] = {0, 2, 12, 50, 1, 10, 0};
    ASSERT_EQ(dsoGetChannelData(0, 3, 3, 0, a.data(), b.data(), settings, 0), 1);
    EXPECT_EQ(a[1], 224);
    EXPECT_EQ(a[2], 560);
    EXPECT_EQ(a[0], 0);
    EXPECT_EQ(kv::sdk::Extrapolate(40000, 10), 65535);
}

namespace {
// Expected double-rate buffer of the selected channel (before points 0 and 1 are extrapolated).
std::vector<std::uint16_t> DoubleRateExpected(std::uint32_t d, std::uint32_t trigger, int volts, int cal,
                                              std::uint32_t position) {
    const std::uint32_t n2 = 2 * d;
    std::vector<std::uint16_t> rotated(n2, 0);
    for (std::uint32_t j = 1; j < n2; ++j) {
        const std::uint64_t i = (2ull * trigger + j) % n2;
        const std::uint32_t k = static_cast<std::uint32_t>(i / 2);
        std::uint16_t code = Scaled(Pattern(i % 2 == 0 ? 0 : 1, k), volts);
        if (i % 2 == 0)
            code = kv::sdk::CorrectConverterA(code, cal);
        rotated[j] = code;
    }
    const std::uint32_t p = std::min<std::uint32_t>(position, 100);
    const long o = static_cast<long>(std::floor(p * (2.0 * d) / 100.0)) - (p > 0 ? 1 : 0);
    const long n = static_cast<long>(std::floor(p * static_cast<double>(d) / 100.0)) - (p > 0 ? 1 : 0);
    std::vector<std::uint16_t> out(rotated);
    for (std::uint32_t i = 0; i < d; ++i)
        out[i] = rotated[o - n + i];
    return out;
}
} // namespace

TEST_F(ChannelRead, DoubleRateInterleavesRotatesAndWindows) {
    // High trigger addresses need the rotation taken modulo 2D; positions above 100 count as 100.
    for (std::uint32_t trigger : {0u, 4321u, 10239u}) {
        for (std::uint16_t position : {0, 50, 100, 150}) {
            SCOPED_TRACE(testing::Message() << trigger << " " << position);
            auto a = Buffer(20484), b = Buffer(20484);
            const std::uint16_t settings[7] = {0, 0, 5, position, 1, 10, 0};
            ASSERT_EQ(dsoGetChannelData(0, 4, 9, 7, a.data(), b.data(), settings, trigger), 1);
            auto expected = DoubleRateExpected(10240, trigger, 4, 0, position);
            expected[1] = Extrap(expected[2], expected[3]);
            expected[0] = Extrap(expected[1], expected[2]);
            ASSERT_EQ(std::vector<std::uint16_t>(a.begin(), a.begin() + 20480), expected);
            EXPECT_EQ(std::vector<std::uint16_t>(a.end() - 4, a.end()),
                      (std::vector<std::uint16_t>{5, 4, 7, 1}));
            EXPECT_EQ(b[2], 0xBEEF);
            EXPECT_EQ(b[20483], 1);
        }
    }
    const auto w = kv::sdk::WindowFor(50, 10240);
    EXPECT_EQ(w.o, 10239u);
    EXPECT_EQ(w.n, 5119u);
    EXPECT_EQ(kv::sdk::WindowFor(100, 524288).o, 1048575u);
    EXPECT_EQ(kv::sdk::WindowFor(100, 524288).n, 524287u);
}

TEST_F(ChannelRead, DoubleRatePacketsFollowLinkSpeedAndCalibration) {
    const std::uint8_t cal[4] = {0, 255, 0, 15}; // slot 3 serves volts index 0, slot 1 index 1
    inst().WriteMemory(96, cal, 4);
    dev->SetHighSpeed(false);
    auto a = Buffer(20484), b = Buffer(20484);
    // Channel selector 1 without alternate: the CH2 buffer, CH2's range.
    const std::uint16_t settings[7] = {1, 1, 8, 30, 1, 10, 0};
    ASSERT_EQ(dsoGetChannelData(0, 3, 0, 0, a.data(), b.data(), settings, 77), 1);
    EXPECT_EQ(BulkReads().size(), 40960u / 64);
    auto expected = DoubleRateExpected(10240, 77, 0, 15, 30);
    for (std::uint32_t i = 2; i < 20480; ++i)
        ASSERT_EQ(b[i], expected[i]) << i;
    EXPECT_EQ(a[5], 0xBEEF);

    // A calibration value above 200 counts as 0: codes clamp to 0..511 only.
    const std::uint16_t settings1[7] = {1, 1, 8, 30, 1, 10, 0};
    ASSERT_EQ(dsoGetChannelData(0, 3, 1, 0, a.data(), b.data(), settings1, 77), 1);
    expected = DoubleRateExpected(10240, 77, 1, 0, 30);
    for (std::uint32_t i = 2; i < 20480; ++i)
        ASSERT_EQ(b[i], expected[i]) << i;
    EXPECT_EQ(kv::sdk::CorrectConverterA(600, 0), 511);
    EXPECT_EQ(kv::sdk::CorrectConverterA(3, 5), 0);
    EXPECT_EQ(kv::sdk::CorrectConverterA(505, 15), 510);
    EXPECT_EQ(kv::sdk::CorrectConverterA(506, 15), 511);
}

TEST_F(ChannelRead, FailedCalibrationReadGivesZeroOffsets) {
    const std::uint8_t cal[4] = {0, 0, 0, 15};
    inst().WriteMemory(96, cal, 4);
    dev->InjectFault(Fault{FaultKind::Fail, kv::usb::kIoctlVendorRequest, 0, 1, 0});
    auto a = Buffer(20484), b = Buffer(20484);
    const std::uint16_t settings[7] = {0, 0, 5, 50, 1, 10, 0};
    ASSERT_EQ(dsoGetChannelData(0, 0, 0, 0, a.data(), b.data(), settings, 9), 1);
    const auto expected = DoubleRateExpected(10240, 9, 0, 0, 50);
    for (std::uint32_t i = 2; i < 20480; ++i)
        ASSERT_EQ(a[i], expected[i]) << i;
}

TEST_F(ChannelRead, DeepDoubleRateRecord) {
    UseMemoryCode(2);
    std::vector<std::uint16_t> a(1048580, 0xBEEF), b(1048580, 0xBEEF);
    const std::uint16_t settings[7] = {0, 0, 3, 100, 2, 0, 0};
    ASSERT_EQ(dsoGetChannelData(0, 2, 2, 0, a.data(), b.data(), settings, 524287), 1);
    const auto expected = DoubleRateExpected(524288, 524287, 2, 0, 100);
    for (std::uint32_t i = 2; i < 1048576; i += 997)
        ASSERT_EQ(a[i], expected[i]) << i;
    EXPECT_EQ(a[1048579], 1);
}

// Each channel is scaled by the gain of its own range: the pairs mix ranges of different gains
// (0: 2.8, 2: 1.14, 3: 0.56, 7: 1.42) in both orders, beside a pair of equal gains.
TEST_F(ChannelRead, RollModeReads256PointsWithoutTrailer) {
    inst().SetTimeBaseIndex(26);
    const std::uint16_t pairs[][2] = {{3, 9}, {0, 3}, {3, 0}, {2, 7}};
    for (bool high : {true, false}) {
        for (const auto& volts : pairs) {
            SCOPED_TRACE(::testing::Message() << "CH1 " << volts[0] << " CH2 " << volts[1]);
            dev->SetHighSpeed(high);
            dev->ClearLog();
            auto a = Buffer(20484), b = Buffer(20484);
            const std::uint16_t settings[7] = {0, 2, 26, 50, 1, 10, 0};
            ASSERT_EQ(dsoGetChannelData(0, volts[0], volts[1], 0, a.data(), b.data(), settings, 0), 1);
            EXPECT_EQ(BulkReads().size(), high ? 2u : 16u);
            for (std::uint32_t k = 0; k < 256; ++k) {
                ASSERT_EQ(a[k], Scaled(Pattern(0, k), volts[0])) << k;
                ASSERT_EQ(b[k], Scaled(Pattern(1, k), volts[1])) << k;
            }
            EXPECT_EQ(a[256], 0xBEEF);
            EXPECT_EQ(a[20480], 0xBEEF);
            EXPECT_EQ(b[256], 0xBEEF);
            EXPECT_EQ(b[20480], 0xBEEF);
        }
    }
}

TEST_F(ChannelRead, TransferFaultsLeaveTheBuffersUntouched) {
    const std::uint16_t settings[7] = {0, 2, 12, 50, 1, 10, 0};
    for (FaultKind kind : {FaultKind::Fail, FaultKind::Short}) {
        for (int skip : {0, 3, 79}) {
            auto a = Buffer(20484), b = Buffer(20484);
            dev->InjectFault(Fault{kind, kv::usb::kIoctlBulkRead, skip, 1, 0});
            EXPECT_EQ(dsoGetChannelData(0, 3, 3, 0, a.data(), b.data(), settings, 0), 0);
            EXPECT_EQ(a, Buffer(20484));
            EXPECT_EQ(b, Buffer(20484));
        }
    }
    auto a = Buffer(20484), b = Buffer(20484);
    dev->InjectFault(Fault{FaultKind::Fail, kv::usb::kIoctlBulkWrite, 0, 1, 0});
    EXPECT_EQ(dsoGetChannelData(0, 3, 3, 0, a.data(), b.data(), settings, 0), 0);
    EXPECT_EQ(a, Buffer(20484));
    dev->SetPresent(false);
    EXPECT_EQ(dsoGetChannelData(0, 3, 3, 0, a.data(), b.data(), settings, 0), 0);
    EXPECT_EQ(a, Buffer(20484));
}

TEST_F(ChannelRead, RefusedArgumentsSendNothing) {
    auto a = Buffer(20484), b = Buffer(20484);
    const std::uint16_t badMemory[7] = {0, 2, 12, 50, 4, 10, 0};
    const std::uint16_t deepUnderShortSelector[7] = {0, 2, 12, 50, 2, 10, 0};
    const std::uint16_t ok[7] = {0, 2, 12, 50, 1, 10, 0};
    EXPECT_EQ(dsoGetChannelData(0, 3, 3, 0, a.data(), b.data(), badMemory, 0), 0);
    EXPECT_EQ(dsoGetChannelData(0, 3, 3, 0, a.data(), b.data(), deepUnderShortSelector, 0), 0);
    EXPECT_EQ(dsoGetChannelData(0, 3, 3, 0, nullptr, b.data(), ok, 0), 0);
    EXPECT_EQ(dsoGetChannelData(0, 3, 3, 0, a.data(), nullptr, ok, 0), 0);
    EXPECT_EQ(dsoGetChannelData(0, 3, 3, 0, a.data(), b.data(), nullptr, 0), 0);
    EXPECT_EQ(dsoGetChannelData(4, 3, 3, 0, a.data(), b.data(), ok, 0), 0);
    EXPECT_TRUE(dev->Log().empty());
    EXPECT_EQ(a, Buffer(20484));
    // Memory codes above 3 name no record, also under the deep selector whose buffers are large.
    auto deepA = Buffer(1048580), deepB = Buffer(1048580);
    for (std::uint16_t code : {4, 7}) {
        const std::uint16_t deep[7] = {0, 2, 12, 50, code, 0, 0};
        EXPECT_EQ(dsoGetChannelData(0, 3, 3, 0, deepA.data(), deepB.data(), deep, 0), 0) << code;
    }
    EXPECT_TRUE(dev->Log().empty());
    EXPECT_EQ(deepA, Buffer(1048580));
}
