// Stages of the level formulas; see level_stages.h for what each keeps.
// The crossing count, the level list and the relabelling use sorting and
// binary search where a plain pairwise walk would grow with the square of
// the number of marks; each gives exactly the walk's result.
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

namespace {

// Fenwick tree over value ranks: add over a range of ranks, read one rank.
struct RankCounter {
    WorkBuffer<int> tree;
    int n = 0;
    bool init(int ranks) {
        n = ranks;
        return tree.allocate(static_cast<size_t>(ranks) + 2);
    }
    void add_from(int rank, int delta) {
        for (int i = rank + 1; i <= n + 1; i += i & -i) tree[i] += delta;
    }
    // Ranks first .. last (inclusive) gain one.
    void add_range(int first, int last) {
        if (first > last) return;
        add_from(first, 1);
        add_from(last + 1, -1);
    }
    int at(int rank) const {
        int sum = 0;
        for (int i = rank + 1; i > 0; i -= i & -i) sum += tree[i];
        return sum;
    }
};

}  // namespace

bool drop_crossed_levels(float* result, WorkBuffer<int>& marks, int* count) {
    // Clearing a mark changes only marks before the ones a later walk visits,
    // so every walk sees the same sequence of later marks: level t is dropped
    // when at least three consecutive pairs after it hold it strictly between
    // their values. Those pairs are counted from the back with a Fenwick tree
    // over the ranks of the values (a NaN is never between and holds nothing).
    const int m = *count;
    WorkBuffer<float> level, ranks;
    if (!level.allocate(static_cast<size_t>(m)) || !ranks.allocate(static_cast<size_t>(m))) return false;
    int distinct = 0;
    for (int t = 0; t < m; ++t) {
        level[t] = result[marks[t]];
        if (!std::isnan(level[t])) ranks[distinct++] = level[t];
    }
    float* first = ranks.data.get();
    std::sort(first, first + distinct);
    distinct = static_cast<int>(std::unique(first, first + distinct) - first);
    auto rank_of = [&](float v) { return static_cast<int>(std::lower_bound(first, first + distinct, v) - first); };

    RankCounter pairs;
    if (!pairs.init(distinct)) return false;
    for (int t = m - 1; t >= 0; --t) {
        const int j = t + 1;  // the pair (j, j + 1) joins the walks of t and before
        if (j + 1 < m && !std::isnan(level[j]) && !std::isnan(level[j + 1]) && level[j] != level[j + 1]) {
            const int a = rank_of(level[j]), b = rank_of(level[j + 1]);
            pairs.add_range(std::min(a, b) + 1, std::max(a, b) - 1);
        }
        if (!std::isnan(level[t]) && pairs.at(rank_of(level[t])) > 2) result[marks[t]] = 0.0f;
    }
    compact_marks(result, marks, count);
    return true;
}

bool build_level_list(const float* result, const WorkBuffer<int>& marks, int count, LevelList* list) {
    if (!list->entries.allocate(static_cast<size_t>(count) + 100)) return false;
    list->count = count;
    list->sorted = true;
    for (int t = 0; t < count; ++t) {
        list->entries[t] = result[marks[t]];
        if (std::isnan(list->entries[t])) list->sorted = false;
    }
    float* first = list->entries.data.get();
    if (list->sorted) {
        // Inserting each value after all entries not greater than it is a
        // stable sort; equal values are indistinguishable.
        std::sort(first, first + count);
        return true;
    }
    // A NaN is greater than nothing and nothing is greater than it, so the
    // list is not ordered: insert one by one as the rule says.
    for (int t = 0; t < count; ++t) {
        const float v = result[marks[t]];
        int p = 0;
        while (p < t && !(first[p] > v)) ++p;
        for (int q = t; q > p; --q) first[q] = first[q - 1];
        first[p] = v;
    }
    return true;
}

namespace {

// First position whose entry equals v, or list.count.
int position_of(const LevelList& list, float v) {
    const float* first = list.entries.data.get();
    if (list.sorted) {
        const float* p = std::lower_bound(first, first + list.count, v);
        return p != first + list.count && *p == v ? static_cast<int>(p - first) : list.count;
    }
    int p = 0;
    while (p < list.count && !(first[p] == v)) ++p;
    return p;
}

}  // namespace

void relabel_by_level(float* result, int start, int data_count, const LevelList& list, float ref) {
    int j0 = 0;
    if (list.sorted) {
        const float* first = list.entries.data.get();
        j0 = static_cast<int>(std::upper_bound(first, first + list.count, ref) - first);
        if (std::isnan(ref)) j0 = list.count;
    } else {
        while (j0 < list.count && !(list.entries[j0] > ref)) ++j0;
    }
    for (int i = data_count - 1; i >= start; --i) {
        if (result[i] == 0.0f) continue;
        const int p = position_of(list, result[i]);
        if (p == list.count)
            result[i] = 0.0f;
        else
            result[i] = static_cast<float>(p >= j0 ? p - j0 + 1 : p - j0);
    }
}
