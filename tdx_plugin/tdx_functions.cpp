// The TDX front end over the trend-line routines: the function table and the
// call record made from the terminal's three input series.
#include "tdx_plugin/tdx_functions.h"

#include <cmath>

#include "lines/formulas.h"
#include "lines/work_buffer.h"

const TdxFunction kTdxFunctions[] = {
#define TDX_FUNCTION(number, name, routine, c) {number, #name, routine, TdxInputC::c},
#include "tdx_plugin/tdx_function_list.h"
#undef TDX_FUNCTION
};

const int kTdxFunctionCount = sizeof(kTdxFunctions) / sizeof(kTdxFunctions[0]);

namespace {

// Index of the first finite value: bars before a series has a value (the
// first bars of an average) are not yet valid when they hold no number.
int first_finite(const float* a, int count) {
    int i = 0;
    while (i < count && !std::isfinite(a[i])) ++i;
    return i;
}

// An input's value on the last bar (a constant arrives as `count` equal values).
const float* last_value(const float* v, int count) { return v ? &v[count - 1] : nullptr; }

void fill_zero(float* out, int from, int to) {
    for (int i = from; i < to; ++i) out[i] = 0.0f;
}

}  // namespace

void run_tdx_function(const TdxFunction& f, int count, float* out, const float* a, const float* b,
                      const float* c) {
    if (count < 1 || out == nullptr) return;
    fill_zero(out, 0, count);
    if (a == nullptr) return;
    const int start = first_finite(a, count);
    if (start == count) return;
    // The routines search the closes when parameter 1 is a series; here the
    // series is all the terminal gives, so it is every price of the bars.
    WorkBuffer<BarRecord> bars;
    if (!bars.allocate(static_cast<size_t>(count))) return;
    for (int i = 0; i < count; ++i) bars[i].open = bars[i].high = bars[i].low = bars[i].close = a[i];

    static const float kLookBack = kTdxDefaultLookBack;
    tagCALCINFO ci{};
    ci.stock_label = "";
    ci.data_count = count;
    ci.bars = bars.data.get();
    ci.param1_start = start;
    ci.param1 = a;
    ci.param2 = last_value(b, count);
    if (f.c == TdxInputC::kLookBack) {
        ci.param4 = last_value(c, count);
    } else {
        ci.param3 = last_value(c, count);
        ci.param4 = &kLookBack;
    }
    ci.result = out;
    ci.period = 0;  // the terminal does not say; no period is refused
    const int first = f.routine(ci);
    // Slots before the first valid index carry no label for the host.
    fill_zero(out, 0, first < 0 ? count : first);
}
