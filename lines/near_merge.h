// The near-equal merges of the level formulas: an anchor value clears every
// candidate mark whose value v passes ratio - 1 > |v / anchor - 1| (single
// precision). For a finite nonzero anchor v / anchor is monotone in v, so the
// values that pass form one run of the candidates sorted by value, and that
// run contains the anchor's own value. The index below keeps the candidates
// sorted and finds such a run by walking outward from the anchor's value,
// which makes a merge O(M log M) instead of comparing every pair. Anchors
// that are zero, infinite or NaN are compared with every candidate, exactly
// as before.
#pragma once

#include "lines/work_buffer.h"

struct NearIndex {
    WorkBuffer<float> value;      // value of entry e
    WorkBuffer<int> by_value;     // entries with a non-NaN value, sorted by (value, entry)
    WorkBuffer<int> slot_of;      // position of entry e in by_value, or -1
    WorkBuffer<int> next_alive;   // skip links: next live position at or after p (size + 1)
    WorkBuffer<int> prev_alive;   // previous live position at or before p - 1, shifted by one
    int size = 0;                 // positions in by_value
};

// Builds the index over entries 0 .. count - 1 with the given values; false
// when its arrays cannot be allocated.
bool build_near_index(const float* values, int count, NearIndex* index);

// Removes entry e (no effect when it is not in the index).
void erase_entry(NearIndex* index, int e);

// Removes every entry still in the index whose value passes the test against
// `anchor` with `ratio`, calling cleared(e) for each. The order of the calls
// is not defined; the set is exactly that of comparing each entry in turn.
template <typename Cleared>
void clear_near(NearIndex* index, float ratio, float anchor, Cleared cleared);

#include "lines/near_merge_inl.h"
