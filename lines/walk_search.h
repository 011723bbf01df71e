// find_peak and find_trough for a walk with a fixed threshold, remembering
// what earlier searches of the same walk learnt. On a steadily rising or
// falling stretch no bar is a window extreme: every plain search scans down
// to the start and then takes the best value from the start again, and the
// walk steps back one bar at a time, so the walk costs O(bars^2). Here a scan
// that found nothing marks its range as empty for every later search, and
// the earliest best value from the start is kept as a running prefix, so a
// whole walk costs O(bars x window). Every answer equals the plain search's.
#pragma once

#include <cstdint>

#include "host/call_record.h"
#include "lines/work_buffer.h"

struct WalkSearch {
    bool peak = true;
    float x = 0.0f;                 // the walk's threshold
    int64_t empty_top = 0;          // no bar of lo .. empty_top is a window extreme above x
    int64_t prefix_done = 0;        // best_upto holds start .. prefix_done
    WorkBuffer<int> best_upto;      // earliest best value of start .. t
};

// Prepares the search of peaks (or troughs) above (below) `x`; false when
// its array cannot be allocated. The caller has checked param2.
bool start_walk_search(const tagCALCINFO& ci, bool peak, float x, WalkSearch* search);

// Exactly find_peak(ci, x, a) (or find_trough) for the record and threshold
// the search was started with, in any order of anchors.
int walk_search(const tagCALCINFO& ci, WalkSearch* search, int a);
