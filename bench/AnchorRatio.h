#pragma once
// A benchmark case timed against its anchor in the same run: each iteration runs the anchor, then
// the case, so both see the same machine state. The reported time is the case's (register the
// benchmark with UseManualTime()); the counters give the anchor's time and the ratio.
#include <benchmark/benchmark.h>

#include <chrono>

namespace kvbench {

template <typename Case, typename Anchor>
void RunAgainstAnchor(benchmark::State& state, Case&& subject, Anchor&& anchor) {
    using Clock = std::chrono::steady_clock;
    double subjectSeconds = 0.0, anchorSeconds = 0.0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        anchor();
        const auto t1 = Clock::now();
        subject();
        const auto t2 = Clock::now();
        const double a = std::chrono::duration<double>(t1 - t0).count();
        const double s = std::chrono::duration<double>(t2 - t1).count();
        anchorSeconds += a;
        subjectSeconds += s;
        state.SetIterationTime(s);
    }
    const auto n = static_cast<double>(state.iterations());
    if (n > 0 && anchorSeconds > 0) {
        state.counters["anchor_us"] = anchorSeconds / n * 1e6;
        state.counters["x_anchor"] = subjectSeconds / anchorSeconds;
    }
}

} // namespace kvbench
