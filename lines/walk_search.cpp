// Remembering searches of the fixed-threshold walks; see walk_search.h.
#include "lines/walk_search.h"

#include <algorithm>

#include "lines/geometry.h"

namespace {

float value_of(const tagCALCINFO& ci, bool peak, int64_t i) {
    if (ci.param1_start >= 0) return ci.bars[i].close;
    return peak ? ci.bars[i].high : ci.bars[i].low;
}

// Whether p beats q in the direction of the search (ordered: NaN never does).
bool beats(bool peak, float p, float q) { return peak ? p > q : p < q; }

int64_t first_index(const tagCALCINFO& ci) { return ci.param1_start >= 0 ? ci.param1_start : 0; }

// Earliest best value of start .. last (start itself when the range is empty).
int64_t best_of_prefix(const tagCALCINFO& ci, WalkSearch* s, int64_t last) {
    const int64_t start = first_index(ci);
    if (last < start) return start;
    for (int64_t t = s->prefix_done + 1; t <= last; ++t) {
        const int64_t prev = t == start ? start : s->best_upto[t - 1];
        s->best_upto[t] = static_cast<int>(beats(s->peak, value_of(ci, s->peak, t), value_of(ci, s->peak, prev)) ? t : prev);
    }
    s->prefix_done = std::max(s->prefix_done, last);
    return s->best_upto[last];
}

// Whether bar k is above the threshold and not beaten in its window.
bool qualifies(const tagCALCINFO& ci, const WalkSearch& s, int64_t k, int64_t w) {
    const float vk = value_of(ci, s.peak, k);
    if (!beats(s.peak, vk, s.x)) return false;
    const int64_t end = std::min<int64_t>(k + w, ci.data_count);
    for (int64_t i = k + 1; i < end; ++i)
        if (beats(s.peak, value_of(ci, s.peak, i), vk)) return false;
    for (int64_t i = k - w; i < k; ++i)
        if (beats(s.peak, value_of(ci, s.peak, i), vk)) return false;
    return true;
}

}  // namespace

bool start_walk_search(const tagCALCINFO& ci, bool peak, float x, WalkSearch* search) {
    search->peak = peak;
    search->x = x;
    const int64_t start = first_index(ci);
    search->empty_top = start + half_window(ci);  // lo - 1: nothing known yet
    search->prefix_done = start - 1;
    return search->best_upto.allocate(ci.data_count > 0 ? static_cast<size_t>(ci.data_count) : 0);
}

int walk_search(const tagCALCINFO& ci, WalkSearch* s, int anchor) {
    if (ci.data_count < 1) return -1;
    const int64_t w = half_window(ci);
    const int64_t a = anchor;
    const int64_t start = first_index(ci);
    const bool too_early = s->peak ? a - w < ci.param1_start : a - w <= start;
    if (too_early) return -1;
    const int64_t hi = std::min<int64_t>(a + w, ci.data_count - 1);
    if (hi < a - w + 3) return -1;

    const int64_t end = std::min<int64_t>(a + w, ci.data_count);
    if (a < start + w) return static_cast<int>(best_of_prefix(ci, s, end - 1));

    const int64_t top = std::min<int64_t>(a, ci.data_count - 1);
    if (top > s->empty_top) {
        // Below empty_top + 1 an earlier scan has found nothing.
        for (int64_t k = top; k > s->empty_top; --k)
            if (qualifies(ci, *s, k, w)) return static_cast<int>(k);
        s->empty_top = top;
    }
    const int64_t m = best_of_prefix(ci, s, end - 1);
    return beats(s->peak, value_of(ci, s->peak, m), s->x) ? static_cast<int>(m) : 0;
}
