// Peak and trough searches over one call record, the window tests on the
// parameter-1 series and the open-interval test that the trend-line formulas
// are built on. They read the record only: no state, no allocation. Every
// comparison is a single-precision ordered one, so a NaN never passes a test,
// and no index outside 0 .. data_count - 1 is ever read.
#pragma once

#include "host/call_record.h"

// Half-window of the searches: param2[0] truncated toward zero, at least 5.
// The caller has checked that param2 is present.
int half_window(const tagCALCINFO& ci);

// Latest bar at or before anchor `a` whose value (close when parameter 1 is a
// series, else high) is above `x` and not exceeded in its window of w bars
// before and w - 1 after; falls back to the earliest greatest value when none
// is. Returns the index, 0 when nothing qualifies, -1 when the anchor is too
// close to the start of the data (or the record has no bars).
int find_peak(const tagCALCINFO& ci, float x, int a);

// The mirror of find_peak for troughs (close or low below `x`, not undercut
// in the window), with its own stricter guard against the start of the data.
int find_trough(const tagCALCINFO& ci, float x, int a);

// Whether param1[k] is not exceeded (not undercut) by any value of its window
// k - w .. k + w, clipped to the series; false when the clipped window holds
// fewer than four values or k is not a bar.
bool is_local_max(const tagCALCINFO& ci, int k);
bool is_local_min(const tagCALCINFO& ci, int k);

// Whether `a` lies strictly between `b` and `c`, whichever is larger.
bool between_open(float a, float b, float c);
