// TlineNear: the recent peaks and troughs, near-equal levels merged, numbered
// 1, 2 ... from the last bar back. Troughs and peaks are first numbered in
// the order the walks find them; only whether a slot is positive matters to
// the merges, and the final numbering replaces those counts.
#include "lines/formulas.h"
#include "lines/geometry.h"
#include "lines/line_params.h"
#include "lines/single_precision.h"

int near_levels(const tagCALCINFO& ci) {
    LineSetup s;
    if (!read_line_setup(ci, kTlineNearRules, &s)) return -1;
    const int start = s.start;
    const int range_end = ci.data_count - s.n;  // one past the working range
    for (int i = start; i < ci.data_count; ++i) ci.result[i] = 0.0f;

    int count = 0;
    for (int e = ci.data_count - s.n - 1;;) {
        const int idx = find_trough(ci, 20000.0f, e);
        if (idx <= 0 || ci.data_count - idx >= s.maxback) break;
        ci.result[idx] = static_cast<float>(++count);
        e = idx - s.n;
    }
    for (int e = ci.data_count - s.n - 1;;) {
        const int idx = find_peak(ci, 0.0f, e);
        if (idx <= 0 || ci.data_count - idx >= s.maxback) break;
        ci.result[idx] = static_cast<float>(++count);
        e = idx - s.n;
    }

    // Forward merge: a later level within the ratio of an earlier one goes.
    for (int i = start; i < range_end; ++i) {
        if (ci.result[i] == 0.0f) continue;
        for (int j = i + 1; j < range_end; ++j)
            if (ci.result[j] > 0.0f && within_ratio(s.ratio, ci.param1[j], ci.param1[i])) ci.result[j] = 0.0f;
    }
    // Backward merge: an earlier level within the ratio of a later one goes,
    // except the bar just before it.
    for (int h = ci.data_count - s.n; h >= start + 2; --h) {
        if (ci.result[h] == 0.0f) continue;
        for (int i = start; i <= h - 2; ++i)
            if (ci.result[i] > 0.0f && within_ratio(s.ratio, ci.param1[i], ci.param1[h])) ci.result[i] = 0.0f;
    }

    int n = 0;
    for (int i = ci.data_count - 1; i >= start; --i)
        if (ci.result[i] > 0.0f) ci.result[i] = static_cast<float>(++n);
    return ci.param1_start;
}
