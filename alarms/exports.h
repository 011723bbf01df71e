// The alert-file exports the host calls from formulas.
#pragma once

#include "host/formula_call.h"

extern "C" {
int TARVEX_API almtime(tagCALCINFO* ci);     // time-share chart: alert minutes marked with their type
int TARVEX_API ClearAlarm(tagCALCINFO* ci);  // empties the alert file, keeping the definitions
}
