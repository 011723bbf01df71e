// The data-file exports the host resolves: self-data histories, day files
// and value files. Each is a thin shim over the routines of datafiles/.
#pragma once

#include "host/formula_call.h"

extern "C" {
int TARVEX_API savedata(tagCALCINFO* ci);          // merge the current value into the dated history
int TARVEX_API savedataR(tagCALCINFO* ci);         // the same store as savedata
int TARVEX_API SAVEDATA_CAPITAL(tagCALCINFO* ci);  // the fixed three-record file
int TARVEX_API saveS(tagCALCINFO* ci);             // parameter-1 series into a self-data file
int TARVEX_API saveDay(tagCALCINFO* ci);           // bar times and closes into the day file
int TARVEX_API ReadData(tagCALCINFO* ci);          // self-data values lined up with the bars
int TARVEX_API readfile(tagCALCINFO* ci);          // bare floats into the slots before the last

// Not a formula function: one dated value into the named self-data file
// (the alarm bridge and other programs call it). 0 on success, -1 on failure.
int TARVEX_API savedata0(char* name, long time, char* code, float value);
}
