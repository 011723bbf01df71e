// The trend-line exports as the host calls them: thin shims over the plain
// routines of lines/formulas.h and the TDX line-file writer.
#pragma once

#include "host/formula_call.h"

extern "C" {
int TARVEX_API Tline(tagCALCINFO* ci);       // peak staircase labels; returns param1_start
int TARVEX_API TlineLow(tagCALCINFO* ci);    // trough staircase labels; -1 when none counted
int TARVEX_API TlineAll(tagCALCINFO* ci);    // ranked levels from bar extremes
int TARVEX_API TLineS(tagCALCINFO* ci);      // ranked levels on the parameter-1 series
int TARVEX_API TlineNear(tagCALCINFO* ci);   // numbered recent extremes
int TARVEX_API TDXlineAll(tagCALCINFO* ci);  // TlineAll, nearest levels into the TDX line file
}
