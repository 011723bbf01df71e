// Template part of near_merge.h.
#pragma once

#include <cmath>

#include "lines/single_precision.h"

// The first position at or after p (the last at or before p) whose entry is
// still in the index; index->size (-1) when there is none.
int live_at_or_after(NearIndex* index, int p);
int live_at_or_before(NearIndex* index, int p);

template <typename Cleared>
void clear_near(NearIndex* index, float ratio, float anchor, Cleared cleared) {
    if (!(single(ratio - 1.0f) > 0.0f)) return;  // no value can pass
    auto passes = [&](int e) { return within_ratio(ratio, index->value[e], anchor); };
    auto take = [&](int p) {
        const int e = index->by_value[p];
        erase_entry(index, e);
        cleared(e);
    };
    if (!std::isfinite(anchor) || anchor == 0.0f) {
        for (int p = live_at_or_after(index, 0); p < index->size; p = live_at_or_after(index, p + 1))
            if (passes(index->by_value[p])) take(p);
        return;
    }
    // First position whose value is not below the anchor.
    int lo = 0, hi = index->size;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (index->value[index->by_value[mid]] < anchor)
            lo = mid + 1;
        else
            hi = mid;
    }
    for (int p = live_at_or_after(index, lo); p < index->size && passes(index->by_value[p]);
         p = live_at_or_after(index, p + 1))
        take(p);
    for (int p = live_at_or_before(index, lo - 1); p >= 0 && passes(index->by_value[p]);
         p = live_at_or_before(index, p - 1))
        take(p);
}
