// The condition of the formula exports that add the chart's security to a
// block or take it out (save2blk, del2blk).
#pragma once

#include "host/call_record.h"

// Whether the condition (param1's current value; the caller has checked it
// is present) asks to act: a number other than 0. An undefined value (NaN,
// as a formula gives on a chart too short for its references, or infinite)
// acts on no block: false, and one log line `undefined_text` with `label`.
bool condition_holds(const tagCALCINFO& ci, const char* undefined_text, const char* label);
