// The alarm exports the host calls from formulas: the alert file, and the
// host's alert window.
#pragma once

#include "host/formula_call.h"

extern "C" {
int TARVEX_API almtime(tagCALCINFO* ci);     // time-share chart: alert minutes marked with their type
int TARVEX_API ClearAlarm(tagCALCINFO* ci);  // empties the alert file, keeping the definitions
int TARVEX_API AlarmOnOff(tagCALCINFO* ci);  // presses start (1) or stop (0) in the alert window
int TARVEX_API get_alarm_data(tagCALCINFO* ci);  // new alert rows into blocks and self-data
}
