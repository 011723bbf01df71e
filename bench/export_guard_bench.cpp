// The cost of the export guard: every entry point copies the host's result
// series, runs its routine on the copy and copies it back. Measured on the
// cheapest export (systime, which writes one slot) and on a trend-line
// formula, guarded and unguarded, at 1 000, 10 000 and 100 000 bars; compare
// the pairs within one run.
#include <benchmark/benchmark.h>

#include <vector>

#include "formulas/exports.h"
#include "host/export_guard.h"
#include "lines/exports.h"

namespace {

struct GuardChart {
    std::vector<BarRecord> bars;
    std::vector<float> closes, result;
    float p2 = 5.0f, p4 = 240.0f;
    tagCALCINFO ci{};
    explicit GuardChart(int n) : bars(n), closes(n), result(n) {
        for (int i = 0; i < n; ++i) {
            float c = 10.0f + static_cast<float>((i * 7) % 11);
            bars[i] = BarRecord{1704153600 + 86400 * i, c, c + 1, c - 1, c, 1000, c * 1000, 0};
            closes[i] = c;
        }
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

template <int (*Call)(tagCALCINFO*)>
void run(benchmark::State& state) {
    GuardChart chart(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(Call(&chart.ci));
}

BENCHMARK_TEMPLATE(run, systime)->Name("systime_guarded")->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK_TEMPLATE(run, unguarded::systime)->Name("systime_unguarded")->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK_TEMPLATE(run, TlineAll)->Name("TlineAll_guarded")->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK_TEMPLATE(run, unguarded::TlineAll)->Name("TlineAll_unguarded")->Arg(1000)->Arg(10000)->Arg(100000);

}  // namespace
