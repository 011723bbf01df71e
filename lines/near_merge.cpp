// The sorted candidate index of the near-equal merges.
#include "lines/near_merge.h"

#include <algorithm>

bool build_near_index(const float* values, int count, NearIndex* index) {
    const size_t n = count > 0 ? static_cast<size_t>(count) : 0;
    if (!index->value.allocate(n) || !index->by_value.allocate(n) || !index->slot_of.allocate(n) ||
        !index->next_alive.allocate(n + 1) || !index->prev_alive.allocate(n + 1))
        return false;
    int size = 0;
    for (int e = 0; e < count; ++e) {
        index->value[e] = values[e];
        index->slot_of[e] = -1;
        if (!std::isnan(values[e])) index->by_value[size++] = e;  // NaN never passes
    }
    int* first = index->by_value.data.get();
    std::sort(first, first + size, [&](int a, int b) {
        return index->value[a] < index->value[b] || (index->value[a] == index->value[b] && a < b);
    });
    for (int p = 0; p < size; ++p) index->slot_of[index->by_value[p]] = p;
    for (int p = 0; p <= size; ++p) {
        index->next_alive[p] = p;
        index->prev_alive[p] = p;
    }
    index->size = size;
    return true;
}

// Skip links with path halving: next_alive[p] == p while p is live.
int live_at_or_after(NearIndex* index, int p) {
    int* next = index->next_alive.data.get();
    while (next[p] != p) {
        next[p] = next[next[p]];
        p = next[p];
    }
    return p;
}

// prev_alive is shifted by one so that position -1 has slot 0 as its sentinel.
int live_at_or_before(NearIndex* index, int p) {
    int* prev = index->prev_alive.data.get();
    int q = p + 1;
    while (prev[q] != q) {
        prev[q] = prev[prev[q]];
        q = prev[q];
    }
    return q - 1;
}

void erase_entry(NearIndex* index, int e) {
    const int p = index->slot_of[e];
    if (p < 0) return;
    index->slot_of[e] = -1;
    index->next_alive[p] = p + 1;
    index->prev_alive[p + 1] = p;
}
