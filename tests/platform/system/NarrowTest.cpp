// The one narrowing rule of the program and the client library: truncation toward zero, then
// saturation at the target type's ends, NaN as 0; and the saturation of wide integers.
#include "system/Narrow.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

} // namespace

TEST(Narrow, TruncatesTowardZeroOnBothSides) {
    EXPECT_EQ(kv::TruncSat<std::int16_t>(2.9), 2);
    EXPECT_EQ(kv::TruncSat<std::int16_t>(-2.9), -2); // not -3: no flooring
    EXPECT_EQ(kv::TruncSat<std::int16_t>(-0.5), 0);
    EXPECT_EQ(kv::TruncSat<std::int16_t>(511.999999), 511); // no rounding up
    EXPECT_EQ(kv::TruncSat<int>(-123456.75), -123456);
    EXPECT_EQ(kv::TruncSat<std::uint16_t>(65534.99), 65534);
    EXPECT_EQ(kv::TruncSat<std::int64_t>(-7.5), -7);
}

TEST(Narrow, SaturatesAtTheEndsOfEachType) {
    EXPECT_EQ(kv::TruncSat<std::int16_t>(32767.9), 32767);
    EXPECT_EQ(kv::TruncSat<std::int16_t>(32768.0), 32767);
    EXPECT_EQ(kv::TruncSat<std::int16_t>(-32768.9), -32768);
    EXPECT_EQ(kv::TruncSat<std::int16_t>(-40000.0), -32768);
    EXPECT_EQ(kv::TruncSat<std::int16_t>(1e300), 32767);
    EXPECT_EQ(kv::TruncSat<std::int16_t>(-kInf), -32768);
    EXPECT_EQ(kv::TruncSat<int>(2147483646.9), 2147483646);
    EXPECT_EQ(kv::TruncSat<int>(2147483647.5), std::numeric_limits<int>::max());
    EXPECT_EQ(kv::TruncSat<int>(-2147483648.7), std::numeric_limits<int>::min());
    EXPECT_EQ(kv::TruncSat<int>(kInf), std::numeric_limits<int>::max());
    // Unsigned targets: anything below zero pins at 0 rather than wrapping to the top.
    EXPECT_EQ(kv::TruncSat<std::uint16_t>(-1.5), 0);
    EXPECT_EQ(kv::TruncSat<std::uint16_t>(70000.0), 65535);
}

TEST(Narrow, NaNGivesZero) {
    EXPECT_EQ(kv::TruncSat<std::int16_t>(kNaN), 0);
    EXPECT_EQ(kv::TruncSat<int>(kNaN), 0);
    EXPECT_EQ(kv::TruncSat<std::uint16_t>(-kNaN), 0);
}

TEST(Narrow, WideIntegersSaturate) {
    EXPECT_EQ(kv::Saturate<std::int16_t>(32767), 32767);
    EXPECT_EQ(kv::Saturate<std::int16_t>(32768), 32767);
    EXPECT_EQ(kv::Saturate<std::int16_t>(-32768), -32768);
    EXPECT_EQ(kv::Saturate<std::int16_t>(-32769), -32768);
    EXPECT_EQ(kv::Saturate<std::int16_t>(-5), -5);
    EXPECT_EQ(kv::Saturate<std::uint16_t>(-1), 0);
    EXPECT_EQ(kv::Saturate<std::uint16_t>(65536), 65535);
    EXPECT_EQ(kv::Saturate<int>(std::numeric_limits<std::int64_t>::max()), std::numeric_limits<int>::max());
    EXPECT_EQ(kv::Saturate<int>(std::numeric_limits<std::int64_t>::min()), std::numeric_limits<int>::min());
}
