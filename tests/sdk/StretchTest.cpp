// Record stretching: geometry, the three rules at every factor the callers use, and the records
// at the edges of the source.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "Stretch.h"
#include "Tessel.h"

using kv::sdk::dsoStretchData;
using kv::sdk::GeometryFor;

namespace {

using Record = std::vector<std::uint16_t>;

Record Source(std::uint16_t (*f)(int)) {
    Record r(10240); // exactly the source length: reads past it are caught by the sanitizer
    for (int k = 0; k < 10240; ++k)
        r[k] = f(k);
    return r;
}

struct Block {
    std::uint16_t w[7];
};

Block Settings(std::uint16_t timeBase, std::uint16_t position, std::uint16_t channels = 1,
               std::uint16_t alternate = 0) {
    return Block{{0, channels, timeBase, position, 1, 10, alternate}};
}

std::uint16_t Slow(int k) {
    return static_cast<std::uint16_t>(256 + 200 * std::sin(2 * M_PI * k / 64.0));
}

} // namespace

TEST(Stretch, GeometryFollowsTimeBaseAndPosition) {
    auto g = GeometryFor(Settings(4, 100).w);
    EXPECT_EQ(g.length, 40000u);
    EXPECT_EQ(g.sourceTrigger, 10239u);
    EXPECT_EQ(g.outputTrigger, 29999u);
    g = GeometryFor(Settings(0, 50).w);
    EXPECT_EQ(g.sourceTrigger, 5120u);
    EXPECT_EQ(g.outputTrigger, 20000u);
    g = GeometryFor(Settings(5, 0).w);
    EXPECT_EQ(g.length, 10240u);
    EXPECT_EQ(g.outputTrigger, 0u);
    g = GeometryFor(Settings(7, 33).w);
    EXPECT_EQ(g.sourceTrigger, 3379u); // trunc(33 x 102.4)
    EXPECT_EQ(g.outputTrigger, 3379u);
    // Positions past 100 would put b and d beyond both records.
    EXPECT_EQ(GeometryFor(Settings(2, 150).w).outputTrigger, 29999u);
    EXPECT_EQ(GeometryFor(Settings(2, 6554).w).outputTrigger, 10000u);
    EXPECT_EQ(GeometryFor(Settings(8, 65535).w).sourceTrigger, 0u);
}

TEST(Stretch, StepRuleRepeatsEachPoint) {
    const Record src = Source([](int k) { return static_cast<std::uint16_t>(k % 500); });
    Record dst(10240, 0xBEEF);
    dsoStretchData(0, 2.0, dst.data(), src.data(), Settings(9, 0).w);
    for (int k = 0; k < 5120; ++k) {
        ASSERT_EQ(dst[2 * k], src[k]) << k;
        ASSERT_EQ(dst[2 * k + 1], src[k]) << k;
    }
    // Before the trigger the source is walked backwards from b.
    Record dst2(10240, 0xBEEF);
    dsoStretchData(0, 4.0, dst2.data(), src.data(), Settings(8, 50).w);
    EXPECT_EQ(dst2[5120], src[5120]);
    EXPECT_EQ(dst2[5119], src[5120]); // 1/4 truncates to 0
    EXPECT_EQ(dst2[5116], src[5119]);
    EXPECT_EQ(dst2[0], src[5120 - 1280]);
}

TEST(Stretch, StepRuleKeepsSourceIndexesInsideTheRecord) {
    const Record src = Source([](int k) { return static_cast<std::uint16_t>(k / 40); });
    Record dst(40000, 0xBEEF);
    // Position 100 below index 5: 10001 points after the trigger at factor 100 would read 100
    // points past the source.
    dsoStretchData(0, 100.0, dst.data(), src.data(), Settings(4, 100).w);
    for (int i = 29999; i < 40000; ++i)
        ASSERT_EQ(dst[i], src[10239]) << i;
    EXPECT_EQ(dst[29999 - 100], src[10238]);
}

TEST(Stretch, LinearRuleDrawsStraightLines) {
    // A ramp of slope 2 stretched by 2 is a ramp of slope 1 on both sides of the trigger.
    const Record src = Source([](int k) { return static_cast<std::uint16_t>(2 * k); });
    Record dst(10240, 0xBEEF);
    dsoStretchData(2, 2.0, dst.data(), src.data(), Settings(9, 50).w);
    for (int j = 1; j < 10240; ++j)
        ASSERT_EQ(dst[j], j + 5120) << j;
    EXPECT_EQ(dst[0], dst[1]);
    // Truncated: halfway between 0 and 1 (and 1 and 0) is 0.
    const Record flat = Source([](int k) { return static_cast<std::uint16_t>(k % 2); });
    dsoStretchData(2, 2.0, dst.data(), flat.data(), Settings(9, 0).w);
    EXPECT_EQ(dst[0], dst[1]);
    EXPECT_EQ(dst[2], 1);
    EXPECT_EQ(dst[3], 0);
    EXPECT_EQ(dst[4], 0);
}

TEST(Stretch, LinearRuleRepeatsTheLastSourcePoint) {
    Record src = Source([](int k) { return static_cast<std::uint16_t>(k % 300); });
    src[10239] = 444;
    Record dst(40000, 0xBEEF);
    dsoStretchData(2, 100.0, dst.data(), src.data(), Settings(4, 100).w);
    for (int i = 29999; i < 40000; ++i)
        ASSERT_EQ(dst[i], 444) << i;
    EXPECT_EQ(dst[29999 - 100], src[10238]);
    EXPECT_EQ(dst[29999 - 50], (444 + src[10238]) / 2);
    EXPECT_EQ(dst[0], dst[1]);
}

TEST(Stretch, EveryRuleKeepsTheSourceSamplesAtEveryFactor) {
    const Record src = Source(Slow);
    // Factor tables of the callers: time-base index -> factor, doubled for both channels.
    const double factors[11] = {2000, 1000, 400, 200, 100, 40, 20, 10, 4, 2, 1};
    for (int t = 0; t <= 10; ++t) {
        for (int doubled = 0; doubled < 2; ++doubled) {
            const double x = factors[t] * (doubled ? 2 : 1);
            if (x < 2)
                continue;
            for (std::uint16_t mode : {0, 2, 1}) {
                for (std::uint16_t position : {0, 37, 100}) {
                    SCOPED_TRACE(testing::Message()
                                 << "T " << t << " x " << x << " mode " << mode << " p " << position);
                    const Block s = Settings(t, position);
                    const auto g = GeometryFor(s.w);
                    Record dst(g.length, 0xBEEF);
                    dsoStretchData(mode, x, dst.data(), src.data(), s.w);
                    const long d = g.outputTrigger, b = g.sourceTrigger, L = g.length;
                    // (the linear rule copies point 1 into point 0 at the end)
                    for (long k = (mode == 2 && d == 0) ? 1 : 0; d + k * x < L && b + k < 10240; ++k)
                        ASSERT_EQ(dst[d + static_cast<long>(k * x)], src[b + k]) << "after, k " << k;
                    for (long k = 1; d - k * x >= 1 && b - k >= 0; ++k)
                        ASSERT_EQ(dst[d - static_cast<long>(k * x)], src[b - k]) << "before, k " << k;
                    // Linear and sin(x)/x reach every output point; the step rule leaves points
                    // before the start of the source as they were.
                    for (long i = 0; mode != 0 && i < L; ++i)
                        ASSERT_LT(dst[i], 600) << "unwritten or wrapped point " << i;
                }
            }
        }
    }
}

TEST(Stretch, SincRuleInterpolatesWithTheSevenPointKernel) {
    const Record src = Source(Slow);
    Record dst(10240, 0);
    const Block s = Settings(5, 50);
    dsoStretchData(1, 40.0, dst.data(), src.data(), s.w);
    // A point between two samples from the kernel's definition: the left sample and three more
    // on each side, weighted by sin(pi (t - k)) / (pi (t - k)) with pi = 3.14159.
    const int b = 5120, d = 5120;
    for (int o : {1, 13, 20, 39}) {
        const double t = o / 40.0;
        double sum = 0;
        for (int k = -3; k <= 3; ++k) {
            const double a = 3.14159 * (t - k);
            sum += src[b + 2 + k] * (std::sin(a) / a);
        }
        EXPECT_EQ(dst[d + 2 * 40 + o], static_cast<std::uint16_t>(sum)) << o;
    }
    // Close to the underlying slow sine everywhere.
    for (int j = 200; j < 10000; ++j) {
        const double k = (j - d) / 40.0 + b;
        const double expected = 256 + 200 * std::sin(2 * M_PI * k / 64.0);
        ASSERT_NEAR(dst[j], expected, 14.0) << j; // one sample off would miss by up to 19
    }
}

TEST(Stretch, SincRuleSaturatesAtStepsAndFillsPastTheRecordEnd) {
    // A full-scale step: the kernel undershoots below 0, which must not wrap into 65535-ish codes.
    const Record step = Source([](int k) { return static_cast<std::uint16_t>(k < 5125 ? 0 : 500); });
    Record dst(10240, 0xBEEF);
    dsoStretchData(1, 40.0, dst.data(), step.data(), Settings(5, 50).w);
    int zeros = 0;
    for (std::uint16_t v : dst) {
        ASSERT_LT(v, 600);
        zeros += v == 0 ? 1 : 0;
    }
    EXPECT_GT(zeros, 0) << "the undershoot saturates at 0";
    // Trigger at the last source point: the work buffer beyond the record holds the last sample
    // repeated, not unset entries.
    Record src = Source(Slow);
    std::fill(src.end() - 10, src.end(), 300);
    Record late(40000, 0);
    dsoStretchData(1, 100.0, late.data(), src.data(), Settings(4, 100).w);
    EXPECT_EQ(late[29999], 300);
    for (int i = 29999; i < 40000; ++i)
        ASSERT_NEAR(late[i], 300, 12) << i;
}

TEST(Stretch, ChannelBufferCopiesOrStretchesByTimeBase) {
    const Record src = Source([](int k) { return static_cast<std::uint16_t>(k % 512); });
    // Index 10: one channel or alternate trigger copies; both channels stretch by 2.
    Record dst(10241, 0xBEEF);
    Block s{{0, 1, 10, 50, 1, 10, 0}};
    dsoChannelDataBuffer(s.w, 0, dst.data(), src.data());
    EXPECT_TRUE(std::equal(src.begin(), src.end(), dst.begin()));
    EXPECT_EQ(dst[10240], 0xBEEF);
    s.w[1] = 2;
    s.w[6] = 1;
    dsoChannelDataBuffer(s.w, 0, dst.data(), src.data());
    EXPECT_TRUE(std::equal(src.begin(), src.end(), dst.begin()));
    s.w[6] = 0;
    dsoChannelDataBuffer(s.w, 0, dst.data(), src.data());
    EXPECT_EQ(dst[5120], src[5120]);
    EXPECT_EQ(dst[5122], src[5121]);
    EXPECT_EQ(dst[5121], (src[5120] + src[5121]) / 2);
    // Above 10: the 10240-point record, or the deep record for any other selector.
    Record deepSrc(524288), deepDst(524289, 0xBEEF);
    for (std::size_t i = 0; i < deepSrc.size(); ++i)
        deepSrc[i] = static_cast<std::uint16_t>(i * 7);
    Block slow{{0, 2, 11, 50, 2, 0, 0}};
    dsoChannelDataBuffer(slow.w, 0, deepDst.data(), deepSrc.data());
    EXPECT_TRUE(std::equal(deepSrc.begin(), deepSrc.end(), deepDst.begin()));
    EXPECT_EQ(deepDst[524288], 0xBEEF);
    slow.w[5] = 10;
    std::fill(deepDst.begin(), deepDst.end(), 0xBEEF);
    dsoChannelDataBuffer(slow.w, 0, deepDst.data(), deepSrc.data());
    EXPECT_EQ(deepDst[10239], deepSrc[10239]);
    EXPECT_EQ(deepDst[10240], 0xBEEF);
    // Below 5 the client's mode picks the rule: step keeps plateaus, linear does not.
    Record wide(40000);
    Block fast{{0, 1, 4, 50, 1, 10, 0}};
    dsoChannelDataBuffer(fast.w, 0, wide.data(), src.data());
    EXPECT_EQ(wide[20000 + 150], src[5121]);
    dsoChannelDataBuffer(fast.w, 2, wide.data(), src.data());
    EXPECT_EQ(wide[20000 + 150], src[5121] + 0); // one step of 1 over 100 points truncates
    EXPECT_EQ(wide[20000 + 50], src[5120]);
    // Null arguments write nothing.
    dsoChannelDataBuffer(nullptr, 0, wide.data(), src.data());
    dsoChannelDataBuffer(fast.w, 0, nullptr, src.data());
}

TEST(Stretch, FftBufferDoublesOnItsOwnCondition) {
    const Record src = Source([](int k) { return static_cast<std::uint16_t>(k % 512); });
    Record dst(10240, 0xBEEF);
    // Both channels with alternate trigger still doubles here (unlike the channel buffer).
    Block s{{0, 2, 12, 50, 1, 10, 1}};
    dsoFFTBuffer(s.w, 5, dst.data(), src.data());
    EXPECT_EQ(dst[5120 + 80], src[5121]);
    EXPECT_EQ(dst[5120 + 40], (src[5120] + src[5121]) / 2);
    s.w[0] = 2; // trigger source 2: factor 40
    dsoFFTBuffer(s.w, 5, dst.data(), src.data());
    EXPECT_EQ(dst[5120 + 40], src[5121]);
    Record untouched(10240, 0xBEEF);
    dsoFFTBuffer(s.w, 4, untouched.data(), src.data());
    EXPECT_EQ(untouched[5000], 0xBEEF);
}
