// The sin(x)/x stretch against a literal evaluation of the rule: a zeroed 60000-entry work
// buffer, the known samples every x entries (source indexes clamped to the record), each gap
// point the truncated and saturated sum of seven neighbours times sin(pi (t - k)) / (pi (t - k))
// with pi = 3.14159, both halves mirrored about the trigger. The library keeps its work buffer
// and kernels between calls, so cases run in an order that switches factors back and forth.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "Stretch.h"

namespace {

using Record = std::vector<std::uint16_t>;

constexpr std::int64_t kWork = 60000;

struct Stretch {
    std::uint16_t timeBase, position;
    double factor;
};

// Output length, source and output trigger indexes from the time base and position.
void Geometry(const Stretch& s, std::int64_t* L, std::int64_t* b, std::int64_t* d) {
    const int p = s.position >= 6554 ? 0 : std::min<int>(s.position, 100);
    *b = p == 100 ? 10239 : static_cast<std::int64_t>(p * 102.4);
    if (s.timeBase >= 5) {
        *L = 10240;
        *d = *b;
    } else {
        *L = 40000;
        *d = p == 100 ? 29999 : 10000 + p * 200;
    }
}

Record Reference(const Record& src, const Stretch& s) {
    std::int64_t L = 0, b = 0, d = 0;
    Geometry(s, &L, &b, &d);
    const double x = s.factor;
    std::vector<std::uint16_t> W(kWork);
    const auto get = [&](std::int64_t i) -> double { return i >= 0 && i < kWork ? W[i] : 0; };
    const auto put = [&](std::int64_t i, std::uint16_t v) {
        if (i >= 0 && i < kWork)
            W[i] = v;
    };
    const auto source = [&](std::int64_t i) { return src[std::clamp<std::int64_t>(i, 0, 10239)]; };
    const auto half = [&](std::int64_t extent, std::int64_t (*index)(std::int64_t, std::int64_t)) {
        std::fill(W.begin(), W.end(), std::uint16_t{0});
        for (std::int64_t i = 0; i < static_cast<double>(extent) / x + 6; ++i)
            put(static_cast<std::int64_t>(i * x), source(index(b, i)));
        for (auto h = static_cast<std::int64_t>(3 * x); h <= 3 * x + extent;
             h = static_cast<std::int64_t>(h + x))
            for (std::int64_t o = 1; o < x; ++o) {
                const double t = o / x;
                double sum = 0;
                for (int k = -3; k <= 3; ++k) {
                    const double a = 3.14159 * (t - k);
                    sum += get(h + static_cast<std::int64_t>(k * x)) * (std::sin(a) / a);
                }
                put(h + o, static_cast<std::uint16_t>(std::clamp(std::trunc(sum), 0.0, 65535.0)));
            }
    };
    Record out(static_cast<std::size_t>(L), 0xDEAD);
    const auto first = static_cast<std::int64_t>(3 * x);
    half(L - d, [](std::int64_t trigger, std::int64_t i) { return trigger + i - 3; });
    for (std::int64_t l = 0; l < L - d; ++l)
        out[d + l] = static_cast<std::uint16_t>(get(first + l));
    if (d != 0) {
        half(d, [](std::int64_t trigger, std::int64_t i) { return trigger + 3 - i; });
        for (std::int64_t i = 0; i <= d; ++i)
            out[d - i] = static_cast<std::uint16_t>(get(first + i));
    }
    return out;
}

Record Library(const Record& src, const Stretch& s) {
    std::int64_t L = 0, b = 0, d = 0;
    Geometry(s, &L, &b, &d);
    Record out(static_cast<std::size_t>(L), 0xDEAD);
    const std::uint16_t settings[7] = {0, 1, s.timeBase, s.position, 1, 10, 0};
    kv::sdk::dsoStretchData(1, s.factor, out.data(), src.data(), settings);
    return out;
}

// A slow sine with full-scale steps (the kernel overshoots and saturates at them) and codes
// above the screen range, as gain-scaled records carry.
Record Source() {
    Record r(10240);
    for (int k = 0; k < 10240; ++k)
        r[k] = static_cast<std::uint16_t>(256 + 200 * std::sin(k / 9.0) + ((k / 700) % 3 == 0 ? 0 : 250) +
                                          (k % 2900 == 0 ? 60000 : 0));
    return r;
}

void ExpectSame(const Record& got, const Record& want, const Stretch& s) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        ASSERT_EQ(got[i], want[i]) << "index " << i << ", factor " << s.factor << ", time base " << s.timeBase
                                   << ", position " << s.position;
}

TEST(SincStretchGolden, EveryPointMatchesTheRuleAcrossFactorsPositionsAndTimeBases) {
    const Record src = Source();
    const Stretch cases[] = {
        {0, 50, 4000},  {4, 50, 100}, {0, 50, 4000}, {1, 0, 1000}, {5, 37, 40}, {3, 100, 200},
        {2, 6554, 400}, {5, 150, 80}, {0, 99, 2000}, {9, 50, 2.5}, {5, 0, 40},  {4, 100, 100},
    };
    for (const Stretch& s : cases)
        ExpectSame(Library(src, s), Reference(src, s), s);
}

TEST(SincStretchGolden, ThreadsWithTheirOwnFactorsGetTheirOwnRecords) {
    const Record src = Source();
    const Stretch a{0, 50, 4000}, b{4, 20, 100};
    const Record wantA = Reference(src, a), wantB = Reference(src, b);
    Record gotA, gotB;
    std::thread ta([&] {
        for (int i = 0; i < 5; ++i)
            gotA = Library(src, a);
    });
    std::thread tb([&] {
        for (int i = 0; i < 5; ++i)
            gotB = Library(src, b);
    });
    ta.join();
    tb.join();
    ExpectSame(gotA, wantA, a);
    ExpectSame(gotB, wantB, b);
}

} // namespace
