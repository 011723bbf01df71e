// Formula utilities reached from the host: the clock exports.
#pragma once

#include "host/formula_call.h"

extern "C" {
int TARVEX_API systime(tagCALCINFO* ci);  // last slot: HHMMSS
int TARVEX_API minutes(tagCALCINFO* ci);  // last slot: trading minute
int TARVEX_API time0(tagCALCINFO* ci);    // every slot: minute of the day; returns 0
int TARVEX_API SumSec(tagCALCINFO* ci);   // does nothing; returns -1
int TARVEX_API msg(tagCALCINFO* ci);      // does nothing; returns 0
}
