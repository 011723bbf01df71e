// Time of each trend-line formula against the number of bars: a random walk
// of 1 000, 10 000 and 100 000 day bars, window 5, the default merge ratio.
// Each formula runs with its default search depth (240 bars) and, as
// "_whole", searching the whole series (parameter 4 = bars); "_rising" does
// the same on a steadily rising series, where no bar before the last few is
// a window peak and every search falls back to the greatest value.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "lines/exports.h"

namespace {

struct BenchChart {
    std::vector<BarRecord> bars;
    std::vector<float> closes;
    std::vector<float> result;
    float p2 = 5.0f;
    float p4 = 0.0f;
    tagCALCINFO ci{};

    BenchChart(int n, bool whole, bool rising = false) : bars(n), closes(n), result(n) {
        std::mt19937 rng(42);
        std::uniform_real_distribution<float> step(-0.2f, 0.2f);
        float x = 50.0f;
        for (int i = 0; i < n; ++i) {
            x += step(rng);
            if (x < 1.0f) x = 1.0f;
            const float c = rising ? 50.0f + 0.01f * static_cast<float>(i)
                                   : static_cast<float>(static_cast<int>(x * 100.0f)) / 100.0f;
            bars[i] = BarRecord{static_cast<int32_t>(1704153600 + 86400 * i), c, c + 0.1f, c - 0.1f, c, 1000.0f,
                                c * 1000.0f, 0};
            closes[i] = c;
        }
        p4 = static_cast<float>(whole ? n : 240);
        ci.stock_label = "600000";
        ci.data_count = n;
        ci.bars = bars.data();
        ci.param1_start = 0;
        ci.param1 = closes.data();
        ci.param2 = &p2;
        ci.param4 = &p4;
        ci.result = result.data();
        ci.period = kPeriodDay;
    }
};

template <int (*Formula)(tagCALCINFO*), bool Whole, bool Rising = false>
void run(benchmark::State& state) {
    BenchChart chart(static_cast<int>(state.range(0)), Whole, Rising);
    for (auto _ : state) benchmark::DoNotOptimize(Formula(&chart.ci));
    state.SetComplexityN(state.range(0));
}

#define LINES_BENCH(fn)                                                                                        \
    BENCHMARK_TEMPLATE(run, fn, false)->Name(#fn)->Arg(1000)->Arg(10000)->Arg(100000)->Complexity();           \
    BENCHMARK_TEMPLATE(run, fn, true)->Name(#fn "_whole")->Arg(1000)->Arg(10000)->Arg(100000)->Complexity();   \
    BENCHMARK_TEMPLATE(run, fn, true, true)->Name(#fn "_rising")->Arg(1000)->Arg(10000)->Arg(100000)->Complexity();

LINES_BENCH(Tline)
LINES_BENCH(TlineLow)
LINES_BENCH(TlineAll)
LINES_BENCH(TLineS)
LINES_BENCH(TlineNear)

}  // namespace
