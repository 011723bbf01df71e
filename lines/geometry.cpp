// The searches of the trend-line formulas, exactly as the formulas rely on
// them: the half-window minimum of 5, the guards against the start of the
// data, windows that stop at the last bar, and the tie rules (the latest bar
// of a plateau, the earliest of equal fallback extremes). Index arithmetic is
// done in 64 bits so that no parameter value can overflow it.
#include "lines/geometry.h"

#include <algorithm>
#include <cstdint>

#include "host/formula_call.h"

namespace {

// Value compared by the searches: the close when parameter 1 is a series,
// else the high (peaks) or the low (troughs).
float peak_value(const tagCALCINFO& ci, int64_t i) {
    return ci.param1_start >= 0 ? ci.bars[i].close : ci.bars[i].high;
}
float trough_value(const tagCALCINFO& ci, int64_t i) {
    return ci.param1_start >= 0 ? ci.bars[i].close : ci.bars[i].low;
}

int64_t first_index(const tagCALCINFO& ci) { return ci.param1_start >= 0 ? ci.param1_start : 0; }

// One past the last index of a range that would end just before `end`,
// stopped at the last bar.
int64_t range_end(const tagCALCINFO& ci, int64_t end) { return std::min<int64_t>(end, ci.data_count); }

// Shared shape of both searches; `better(p, q)` is "p beats q" (> for peaks,
// < for troughs), `value` reads the series.
template <typename Value, typename Better>
int search(const tagCALCINFO& ci, float x, int anchor, bool is_peak, Value value, Better better) {
    if (ci.data_count < 1) return -1;
    const int64_t w = half_window(ci);
    const int64_t a = anchor;
    const int64_t start = first_index(ci);
    const bool too_early = is_peak ? a - w < ci.param1_start : a - w <= start;
    if (too_early) return -1;
    const int64_t hi = std::min<int64_t>(a + w, ci.data_count - 1);
    if (hi < a - w + 3) return -1;

    // Earliest best value of start .. below a + w (clipped); no threshold.
    auto best_of_range = [&]() {
        const int64_t end = range_end(ci, a + w);
        int64_t best = start;
        for (int64_t i = start + 1; i < end; ++i)
            if (better(value(ci, i), value(ci, best))) best = i;
        return best;
    };
    if (a < start + w) return static_cast<int>(best_of_range());

    for (int64_t k = std::min<int64_t>(a, ci.data_count - 1); k >= start + w + 1; --k) {
        const float vk = value(ci, k);
        if (!better(vk, x)) continue;
        const int64_t end = range_end(ci, k + w);
        bool beaten = false;
        // Neighbours after k first: on a rising or falling stretch they decide soonest.
        for (int64_t i = k + 1; i < end && !beaten; ++i) beaten = better(value(ci, i), vk);
        for (int64_t i = k - w; i < k && !beaten; ++i) beaten = better(value(ci, i), vk);
        if (!beaten) return static_cast<int>(k);
    }
    const int64_t m = best_of_range();
    return better(value(ci, m), x) ? static_cast<int>(m) : 0;
}

// Shared window test of is_local_max / is_local_min.
template <typename Beats>
bool local_extreme(const tagCALCINFO& ci, int k, Beats beats) {
    if (!is_bar_index(ci, k)) return false;
    const int64_t w = half_window(ci);
    const int64_t lo = std::max<int64_t>({static_cast<int64_t>(k) - w, ci.param1_start, 0});
    const int64_t hi = std::min<int64_t>(static_cast<int64_t>(k) + w, ci.data_count - 1);
    if (hi < lo + 3) return false;
    const float pk = ci.param1[k];
    for (int64_t j = lo; j <= hi; ++j)
        if (j != k && beats(ci.param1[j], pk)) return false;
    return true;
}

bool greater(float p, float q) { return p > q; }
bool less(float p, float q) { return p < q; }

}  // namespace

int half_window(const tagCALCINFO& ci) {
    const int w = truncate_to_int(ci.param2[0]);
    return w < 5 ? 5 : w;
}

// The comparisons are passed as lambdas so that the loops inline them.
int find_peak(const tagCALCINFO& ci, float x, int a) {
    return search(ci, x, a, true, [](const tagCALCINFO& c, int64_t i) { return peak_value(c, i); },
                  [](float p, float q) { return greater(p, q); });
}

int find_trough(const tagCALCINFO& ci, float x, int a) {
    return search(ci, x, a, false, [](const tagCALCINFO& c, int64_t i) { return trough_value(c, i); },
                  [](float p, float q) { return less(p, q); });
}

bool is_local_max(const tagCALCINFO& ci, int k) {
    return local_extreme(ci, k, [](float p, float q) { return greater(p, q); });
}

bool is_local_min(const tagCALCINFO& ci, int k) {
    return local_extreme(ci, k, [](float p, float q) { return less(p, q); });
}

bool between_open(float a, float b, float c) {
    if (c > b) return a > b && c > a;
    return a > c && b > a;
}
