// The pruning and ranking stages of TlineAll and TLineS over the working
// range. The marks are the nonzero slots of the result series; `marks` holds
// their indices in ascending order and is compacted after each stage that
// clears some, so no stage walks the empty slots between them.
#pragma once

#include "lines/near_merge.h"
#include "lines/work_buffer.h"

// Indices of the nonzero values of result[begin .. end - 1], ascending.
// False when the index array cannot be allocated.
bool collect_marks(const float* result, int begin, int end, WorkBuffer<int>* marks, int* count);

// Drops the cleared marks from the index list.
void compact_marks(const float* result, WorkBuffer<int>& marks, int* count);

// Runs: of consecutive marks of one sign only the greatest value survives
// (the highest peak, the lowest trough as a negated value); on equal values
// the later one.
void keep_run_extremes(float* result, WorkBuffer<int>& marks, int* count);

// Crossings: a level whose value lies strictly between the values of three
// pairs of consecutive later marks is dropped. False when a working array
// cannot be allocated.
bool drop_crossed_levels(float* result, WorkBuffer<int>& marks, int* count);

// Near-equal levels: in ascending order each surviving mark i clears every
// later mark j with ratio - 1 > |value(j) / value(i) - 1|. `value(index)` is
// the compared value (the mark itself, or the parameter series). False when
// a working array cannot be allocated.
template <typename Value>
bool drop_near_levels(float* result, WorkBuffer<int>& marks, int* count, float ratio, Value value) {
    WorkBuffer<float> values;
    if (!values.allocate(static_cast<size_t>(*count))) return false;
    for (int t = 0; t < *count; ++t) values[t] = value(marks[t]);
    NearIndex index;
    if (!build_near_index(values.data.get(), *count, &index)) return false;
    for (int t = 0; t < *count; ++t) {
        erase_entry(&index, t);  // the index holds only the marks after t
        if (result[marks[t]] == 0.0f) continue;
        clear_near(&index, ratio, values[t], [&](int later) { result[marks[later]] = 0.0f; });
    }
    compact_marks(result, marks, count);
    return true;
}

// The sorted level list: every mark's value inserted in index order before
// the first entry strictly greater than it.
struct LevelList {
    WorkBuffer<float> entries;  // room for the marks and 100 more, zero-filled
    int count = 0;
    bool sorted = true;  // false when a NaN sits among the entries
};
bool build_level_list(const float* result, const WorkBuffer<int>& marks, int count, LevelList* list);

// Labels every nonzero slot from data_count - 1 down to `start` by the place
// of its value in the list: 1, 2 ... above `ref`, -1, -2 ... at or below;
// 0 when the value is not in the list.
void relabel_by_level(float* result, int start, int data_count, const LevelList& list, float ref);
