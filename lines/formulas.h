// The five trend-line formulas as plain routines over one call record. Each
// writes its labels into ci.result and returns the first valid index, or -1
// when its parameters are refused (result then untouched) or it found nothing
// to label, as each routine states.
#pragma once

#include "host/call_record.h"

// Tline: walks back from the last bar through successively higher peaks and
// labels the steps 1, 2, 3 ...; returns param1_start.
int peak_staircase(const tagCALCINFO& ci);

// TlineLow: the same through successively lower troughs; -1 when no trough
// was counted.
int trough_staircase(const tagCALCINFO& ci);

// TlineAll: bar peaks and troughs pruned to distinct levels, labelled by
// their place above (1, 2 ...) or at and below (-1, -2 ...) the close of the
// second-to-last bar. Returns param1_start, or 0 when it is negative.
int bar_levels(const tagCALCINFO& ci);

// TLineS: the same ranking worked on the parameter-1 series.
int series_levels(const tagCALCINFO& ci);

// TlineNear: recent peaks and troughs numbered 1, 2 ... from the last bar
// back, after merging near-equal levels; returns param1_start.
int near_levels(const tagCALCINFO& ci);
