// Stages of the level formulas; see level_stages.h for what each keeps.
#include "lines/level_stages.h"

#include <algorithm>
#include <cmath>

#include "lines/geometry.h"

bool collect_marks(const float* result, int begin, int end, WorkBuffer<int>* marks, int* count) {
    *count = 0;
    if (!marks->allocate(end > begin ? static_cast<size_t>(end - begin) : 0)) return false;
    for (int i = begin; i < end; ++i)
        if (result[i] != 0.0f) (*marks)[(*count)++] = i;
    return true;
}

void compact_marks(const float* result, WorkBuffer<int>& marks, int* count) {
    int kept = 0;
    for (int t = 0; t < *count; ++t)
        if (result[marks[t]] != 0.0f) marks[kept++] = marks[t];
    *count = kept;
}

void keep_run_extremes(float* result, WorkBuffer<int>& marks, int* count) {
    for (int a = 0; a < *count; ++a) {
        const int i = marks[a];
        if (result[i] == 0.0f) continue;
        for (int b = a + 1; b < *count; ++b) {
            const int j = marks[b];
            if (result[j] == 0.0f) continue;
            const bool same_sign = (result[i] > 0.0f && result[j] > 0.0f) || (result[i] < 0.0f && result[j] < 0.0f);
            if (!same_sign) break;
            if (result[i] > result[j]) {
                result[j] = 0.0f;
            } else {
                result[i] = 0.0f;
                break;
            }
        }
    }
    compact_marks(result, marks, count);
}

bool drop_crossed_levels(float* result, WorkBuffer<int>& marks, int* count) {
    // Clearing a mark changes only marks before the ones a later walk visits,
    // so every walk sees the same sequence of later marks.
    for (int t = 0; t < *count; ++t) {
        const float level = result[marks[t]];
        int hits = 0;
        for (int k = t + 1; k + 1 < *count; ++k) {
            if (between_open(level, result[marks[k]], result[marks[k + 1]]) && ++hits > 2) {
                result[marks[t]] = 0.0f;
                break;
            }
        }
    }
    compact_marks(result, marks, count);
    return true;
}

bool build_level_list(const float* result, const WorkBuffer<int>& marks, int count, LevelList* list) {
    if (!list->entries.allocate(static_cast<size_t>(count) + 100)) return false;
    list->count = 0;
    for (int t = 0; t < count; ++t) {
        const float v = result[marks[t]];
        int p = 0;
        while (p < list->count && !(list->entries[p] > v)) ++p;
        for (int q = list->count; q > p; --q) list->entries[q] = list->entries[q - 1];
        list->entries[p] = v;
        ++list->count;
    }
    return true;
}

void relabel_by_level(float* result, int start, int data_count, const LevelList& list, float ref) {
    int j0 = 0;
    while (j0 < list.count && !(list.entries[j0] > ref)) ++j0;
    for (int i = data_count - 1; i >= start; --i) {
        if (result[i] == 0.0f) continue;
        int p = 0;
        while (p < list.count && !(list.entries[p] == result[i])) ++p;
        if (p == list.count)
            result[i] = 0.0f;
        else
            result[i] = static_cast<float>(p >= j0 ? p - j0 + 1 : p - j0);
    }
}
