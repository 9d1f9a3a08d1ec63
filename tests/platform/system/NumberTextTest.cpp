// Numbers as text under a locale with a decimal comma: printed and read with ".", the caller's
// locale left as it was, other threads undisturbed. The comma locale must be installed
// (scripts/setup-deps.sh generates de_DE.UTF-8): without it these tests fail rather than pass
// without having looked.
#include "system/NumberText.h"

#include <gtest/gtest.h>

#include <atomic>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <locale.h>
#include <string>
#include <thread>

namespace {

constexpr const char* kCommaLocale = "de_DE.UTF-8";

// The process locale set to one with a decimal comma for the test's lifetime.
class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::setlocale(LC_ALL, kCommaLocale), nullptr)
            << kCommaLocale << " is not installed; scripts/setup-deps.sh generates it";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }

    // What the C library itself prints under the current locale.
    static std::string Plain(const char* format, double v) {
        char buf[64];
        std::snprintf(buf, sizeof buf, format, v);
        return buf;
    }
};

TEST_F(CommaLocale, FormatsWithAPointWhereTheLocaleWouldPutAComma) {
    EXPECT_EQ(Plain("%.2f", 1.25), "1,25"); // the locale is in force
    EXPECT_EQ(kv::FormatText("%.2f", 1.25), "1.25");
    EXPECT_EQ(kv::FormatText("%f", 1.91), "1.910000");
    EXPECT_EQ(kv::FormatText("Volt = %.3f mV", -15.7), "Volt = -15.700 mV");
    EXPECT_EQ(kv::FormatText("%.15g|%.6g|%e", 0.1, 2.5e-9, 1234.5), "0.1|2.5e-09|1.234500e+03");
    EXPECT_EQ(kv::FormatText("%d\t%lld\t%s", 1234567, -9876543210LL, "a,b"), "1234567\t-9876543210\ta,b");
    // Longer than any fixed buffer the formatter keeps.
    const std::string longText = kv::FormatText("%0400.1f", 3.5);
    EXPECT_EQ(longText.size(), 400u);
    EXPECT_EQ(longText.substr(396), "03.5");
    EXPECT_EQ(kv::FormatText("%s", ""), "");

    std::string out = "x=";
    kv::AppendFixed(out, -0.0000125, 6);
    kv::AppendFixed(out, 2.5, 1);
    EXPECT_EQ(out, "x=-0.0000132.5");
}

TEST_F(CommaLocale, TheCallersLocaleIsLeftAsItWas) {
    // A thread of a client with a locale of its own: the formatter switches the thread to the C
    // locale while it prints and puts the client's back.
    const locale_t own = newlocale(LC_ALL_MASK, kCommaLocale, static_cast<locale_t>(nullptr));
    ASSERT_NE(own, static_cast<locale_t>(nullptr));
    const locale_t before = uselocale(own);
    EXPECT_EQ(kv::FormatText("%.1f", 0.5), "0.5");
    EXPECT_EQ(uselocale(static_cast<locale_t>(nullptr)), own);
    EXPECT_EQ(Plain("%.1f", 0.5), "0,5");
    uselocale(before);
    freelocale(own);
    // The process-wide locale too.
    kv::FormatText("%f", 1.0);
    EXPECT_STREQ(std::localeconv()->decimal_point, ",");
}

TEST_F(CommaLocale, ThreadsFormatAtTheSameTimeWithoutDisturbingEachOther) {
    // One thread prints through the formatter while another prints with the C library under the
    // comma locale: each gets its own form every time.
    std::atomic<int> wrongPoints{0}, wrongCommas{0};
    std::thread formatter([&] {
        for (int i = 0; i < 20000; ++i)
            if (kv::FormatText("%.1f", i + 0.5).find('.') == std::string::npos)
                ++wrongPoints;
    });
    std::thread plain([&] {
        for (int i = 0; i < 20000; ++i)
            if (Plain("%.1f", i + 0.5).find(',') == std::string::npos)
                ++wrongCommas;
    });
    formatter.join();
    plain.join();
    EXPECT_EQ(wrongPoints.load(), 0);
    EXPECT_EQ(wrongCommas.load(), 0);
}

TEST_F(CommaLocale, ReadsNumbersWithAPoint) {
    double v = 0;
    std::string_view rest;
    EXPECT_TRUE(kv::ParseDouble(" \t+1.5V", v, &rest));
    EXPECT_EQ(v, 1.5);
    EXPECT_EQ(rest, "V");
    // A comma ends the number: "1,5" is one, then the rest.
    EXPECT_TRUE(kv::ParseDouble("1,5", v, &rest));
    EXPECT_EQ(v, 1.0);
    EXPECT_EQ(rest, ",5");
    EXPECT_TRUE(kv::ParseDouble("-2.5e-3", v));
    EXPECT_EQ(v, -2.5e-3);
    EXPECT_TRUE(kv::ParseDouble("-1e999", v));
    EXPECT_EQ(v, -std::numeric_limits<double>::infinity());
    EXPECT_FALSE(kv::ParseDouble("", v));
    EXPECT_FALSE(kv::ParseDouble("V1", v));
    EXPECT_EQ(v, 0.0);

    long long n = 0;
    EXPECT_TRUE(kv::ParseInteger("  +10240", n));
    EXPECT_EQ(n, 10240);
    EXPECT_TRUE(kv::ParseInteger("-99999999999999999999", n));
    EXPECT_EQ(n, std::numeric_limits<long long>::min());
    EXPECT_FALSE(kv::ParseInteger("x", n));
}

} // namespace
