// TlineAll and TLineS: horizontal support and resistance levels. Both mark
// peaks (positive) and troughs (negated) in the result series, prune them in
// fixed stages over the working range (start .. data_count - n - 1) and then
// label each remaining anchor by the place of its level above or below a
// reference price. While they work, the result series is their mark array.
#include <algorithm>
#include <cmath>

#include "common/log.h"
#include "host/formula_call.h"
#include "lines/formulas.h"
#include "lines/geometry.h"
#include "lines/level_stages.h"
#include "lines/line_params.h"
#include "lines/walk_search.h"
#include "lines/work_buffer.h"

namespace {

const char kAllocFailed[] = " TlineAll 申请内存失败";

// Marks of the walks: troughs then peaks, back from `n` bars before the last
// bar while the bar is within maxback. A peak on a trough's bar replaces it.
// `trough_mark` / `peak_mark` give the value stored for a bar. The searches
// are find_trough(20000) and find_peak(0), answered by walk searches that
// remember what the walk has scanned. False when their arrays cannot be
// allocated.
template <typename TroughMark, typename PeakMark>
bool mark_walks(const tagCALCINFO& ci, const LineSetup& s, TroughMark trough_mark, PeakMark peak_mark) {
    WalkSearch troughs, peaks;
    if (!start_walk_search(ci, false, 20000.0f, &troughs) || !start_walk_search(ci, true, 0.0f, &peaks)) return false;
    for (int e = ci.data_count - s.n - 1;;) {
        const int idx = walk_search(ci, &troughs, e);
        if (idx <= 0 || ci.data_count - idx >= s.maxback) break;
        ci.result[idx] = trough_mark(idx);
        e = idx - s.n;
    }
    for (int e = ci.data_count - s.n - 1;;) {
        const int idx = walk_search(ci, &peaks, e);
        if (idx <= 0 || ci.data_count - idx >= s.maxback) break;
        ci.result[idx] = peak_mark(idx);
        e = idx - s.n;
    }
    return true;
}

// The pruning and ranking stages shared by both formulas; `near_value(i)` is
// the value the near-equal stage compares. Returns false (after logging) when
// a working array cannot be allocated.
template <typename NearValue>
bool prune_and_rank(const tagCALCINFO& ci, const LineSetup& s, float ref, NearValue near_value) {
    const int range_end = ci.data_count - s.n;  // one past the working range
    WorkBuffer<int> marks;
    int count = 0;
    if (!collect_marks(ci.result, s.start, range_end, &marks, &count)) {
        log_line(kAllocFailed);
        return false;
    }
    keep_run_extremes(ci.result, marks, &count);
    for (int t = 0; t < count; ++t) ci.result[marks[t]] = std::fabs(ci.result[marks[t]]);
    if (!drop_crossed_levels(ci.result, marks, &count)) {
        log_line(kAllocFailed);
        return false;
    }
    if (!drop_near_levels(ci.result, marks, &count, s.ratio, near_value)) {
        log_line(kAllocFailed);
        return false;
    }
    LevelList list;
    if (!build_level_list(ci.result, marks, count, &list)) {
        log_line(kAllocFailed);
        return false;
    }
    relabel_by_level(ci.result, s.start, ci.data_count, list, ref);
    return true;
}

}  // namespace

int bar_levels(const tagCALCINFO& ci) {
    LineSetup s;
    if (!read_line_setup(ci, kTlineAllRules, &s)) return -1;
    const bool closes = ci.param1_start >= 0;
    const int sel = closes ? 0 : truncate_to_int(ci.param1[0]);
    for (int i = 0; i < ci.data_count; ++i) ci.result[i] = 0.0f;
    const bool walked = mark_walks(
        ci, s, [&](int i) { return -(closes ? ci.bars[i].close : ci.bars[i].low); },
        [&](int i) { return sel != 0 ? ci.bars[i].high : ci.bars[i].close; });
    if (!walked) {
        log_line(kAllocFailed);
        return -1;
    }
    const float ref = ci.bars[ci.data_count - 2].close;
    if (!prune_and_rank(ci, s, ref, [&](int i) { return ci.result[i]; })) return -1;
    return s.start;
}

int series_levels(const tagCALCINFO& ci) {
    LineSetup s;
    if (!read_line_setup(ci, kTLineSRules, &s)) return -1;
    for (int i = s.start; i < ci.data_count; ++i) {
        if (is_local_max(ci, i))
            ci.result[i] = ci.param1[i];
        else if (is_local_min(ci, i))
            ci.result[i] = -ci.param1[i];
        else
            ci.result[i] = 0.0f;
    }
    if (!mark_walks(ci, s, [&](int i) { return -ci.param1[i]; }, [&](int i) { return ci.param1[i]; })) {
        log_line(kAllocFailed);
        return -1;
    }
    const float ref = ci.param1[ci.data_count - 2];
    if (!prune_and_rank(ci, s, ref, [&](int i) { return ci.param1[i]; })) return -1;
    return ci.param1_start;
}
