// Tline and TlineLow: the staircases of successively higher peaks and lower
// troughs, walked back from the last bar. Each step searches from `n` bars
// before the last anchor; a step that does not clear the previous level by
// the ratio takes over that level's label instead of opening a new one.
#include <cstdint>

#include "common/log.h"
#include "lines/formulas.h"
#include "lines/geometry.h"
#include "lines/line_params.h"
#include "lines/single_precision.h"
#include "lines/work_buffer.h"

namespace {

// Sets result[start .. data_count - 1] to 0.
void clear_from(const tagCALCINFO& ci, int start) {
    for (int i = start; i < ci.data_count; ++i) ci.result[i] = 0.0f;
}

}  // namespace

int peak_staircase(const tagCALCINFO& ci) {
    LineSetup s;
    if (!read_line_setup(ci, kTlineRules, &s)) return -1;
    // With param2 below 5 the search window is wider than the step back, so
    // the search may hand back a bar the walk has already taken; when
    // parameter 1 is not the closes that repeats for ever. The walk stops at
    // the first bar handed back a second time.
    WorkBuffer<bool> taken;
    if (!taken.allocate(static_cast<size_t>(ci.data_count))) {
        log_line(" Tline 申请内存失败");
        return -1;
    }
    clear_from(ci, ci.param1_start);

    const float last = ci.param1[ci.data_count - 1];
    float thr = 0.0f;
    int count = 0;
    int prev = -1;
    int e = ci.data_count - s.n - 1;
    do {
        const int idx = find_peak(ci, thr, e);
        if (idx <= 0 || ci.data_count - idx >= s.maxback) break;
        if (taken[idx]) break;
        taken[idx] = true;
        if (ci.param1[idx] > single(thr * s.ratio)) {
            ++count;
        } else if (prev > 0) {
            ci.result[prev] = 0.0f;  // the older peak takes over this label
        }
        ci.result[idx] = static_cast<float>(count);
        thr = ci.param1[idx];
        e = idx - s.n;
        prev = idx;
    } while (single(last * 10.0f) > thr);

    if (count == 0) ci.result[0] = 1.0f;
    return ci.param1_start;
}

int trough_staircase(const tagCALCINFO& ci) {
    LineSetup s;
    if (!read_line_setup(ci, kTlineLowRules, &s)) return -1;
    clear_from(ci, ci.param1_start);

    const float last = ci.param1[ci.data_count - 1];
    float thr = last;
    int count = 0;
    int prev = -1;
    int e = ci.data_count - s.n - 1;
    // The step back equals the search's half-window here, so every search
    // returns a bar before the previous one and the walk always ends.
    do {
        const float below = single(thr / s.ratio);
        const int idx = find_trough(ci, below, e);
        if (idx <= 0 || ci.data_count - idx >= s.maxback) break;
        const bool far_back = prev > 0 && static_cast<int64_t>(prev) - idx > 2 * static_cast<int64_t>(s.n);
        if (below > ci.param1[idx] || far_back) {
            ++count;
        } else if (prev > 0) {
            ci.result[prev] = 0.0f;
        }
        ci.result[idx] = static_cast<float>(count);
        thr = ci.param1[idx];
        e = idx - s.n;
        prev = idx;
    } while (last > thr);

    return count == 0 ? -1 : ci.param1_start;
}
