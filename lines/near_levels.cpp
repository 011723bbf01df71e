// TlineNear: the recent peaks and troughs, near-equal levels merged, numbered
// 1, 2 ... from the last bar back. Troughs and peaks are first numbered in
// the order the walks find them; only whether a slot is positive matters to
// the merges, and the final numbering replaces those counts. The merges keep
// the marks sorted by value (near_merge.h), so they cost O(M log M) in the
// number of marks rather than one pass over the bars per mark.
#include "common/log.h"
#include "lines/formulas.h"
#include "lines/level_stages.h"
#include "lines/line_params.h"
#include "lines/near_merge.h"
#include "lines/walk_search.h"

namespace {

// Marks of result[begin .. end - 1] and their parameter values; false when
// the arrays cannot be allocated.
bool gather(const tagCALCINFO& ci, int begin, int end, WorkBuffer<int>* marks, WorkBuffer<float>* values,
            int* count) {
    if (!collect_marks(ci.result, begin, end, marks, count)) return false;
    if (!values->allocate(static_cast<size_t>(*count))) return false;
    for (int t = 0; t < *count; ++t) (*values)[t] = ci.param1[(*marks)[t]];
    return true;
}

// Forward merge over the working range: each mark, in ascending order,
// clears every later mark whose value is within the ratio of its own.
bool merge_forward(const tagCALCINFO& ci, const LineSetup& s) {
    WorkBuffer<int> marks;
    WorkBuffer<float> values;
    int count = 0;
    NearIndex index;
    if (!gather(ci, s.start, ci.data_count - s.n, &marks, &values, &count) ||
        !build_near_index(values.data.get(), count, &index))
        return false;
    for (int t = 0; t < count; ++t) {
        erase_entry(&index, t);
        if (ci.result[marks[t]] == 0.0f) continue;
        clear_near(&index, s.ratio, values[t], [&](int later) { ci.result[marks[later]] = 0.0f; });
    }
    return true;
}

// Backward merge: each mark h from data_count - n down to start + 2 clears
// the earlier marks up to h - 2 within the ratio of its value; the bar just
// before h is not compared.
bool merge_backward(const tagCALCINFO& ci, const LineSetup& s) {
    WorkBuffer<int> marks;
    WorkBuffer<float> values;
    int count = 0;
    NearIndex index;
    if (!gather(ci, s.start, ci.data_count - s.n + 1, &marks, &values, &count) ||
        !build_near_index(values.data.get(), count, &index))
        return false;
    int top = count - 1;  // marks above top have left the index
    for (int t = count - 1; t >= 0; --t) {
        const int h = marks[t];
        while (top >= 0 && marks[top] > h - 2) erase_entry(&index, top--);
        if (h < s.start + 2 || ci.result[h] == 0.0f) continue;
        clear_near(&index, s.ratio, values[t], [&](int earlier) { ci.result[marks[earlier]] = 0.0f; });
    }
    return true;
}

}  // namespace

int near_levels(const tagCALCINFO& ci) {
    LineSetup s;
    if (!read_line_setup(ci, kTlineNearRules, &s)) return -1;
    const int start = s.start;
    for (int i = start; i < ci.data_count; ++i) ci.result[i] = 0.0f;

    WalkSearch troughs, peaks;
    if (!start_walk_search(ci, false, 20000.0f, &troughs) || !start_walk_search(ci, true, 0.0f, &peaks)) {
        log_line(" TlineNear 申请内存失败");
        return -1;
    }
    int count = 0;
    for (int e = ci.data_count - s.n - 1;;) {
        const int idx = walk_search(ci, &troughs, e);
        if (idx <= 0 || ci.data_count - idx >= s.maxback) break;
        ci.result[idx] = static_cast<float>(++count);
        e = idx - s.n;
    }
    for (int e = ci.data_count - s.n - 1;;) {
        const int idx = walk_search(ci, &peaks, e);
        if (idx <= 0 || ci.data_count - idx >= s.maxback) break;
        ci.result[idx] = static_cast<float>(++count);
        e = idx - s.n;
    }

    if (!merge_forward(ci, s) || !merge_backward(ci, s)) {
        log_line(" TlineNear 申请内存失败");
        return -1;
    }

    int n = 0;
    for (int i = ci.data_count - 1; i >= start; --i)
        if (ci.result[i] > 0.0f) ci.result[i] = static_cast<float>(++n);
    return ci.param1_start;
}
