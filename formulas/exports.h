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

// Host and security queries, the tick-flow sum and the SQLite print-out.
extern "C" {
int TARVEX_API is_main_dzh(tagCALCINFO* ci);  // last slot: 1 when "主程序.txt" exists
int TARVEX_API is_HK_dzh(tagCALCINFO* ci);    // last slot: 1 when "港股通.txt" exists
int TARVEX_API LableGet(tagCALCINFO* ci);     // last slot: byte 271 of the security's record
int TARVEX_API FB(tagCALCINFO* ci);           // last slot: signed tick volume so far
int TARVEX_API SQLit3(tagCALCINFO* ci);       // prints the rows of table yg; returns -1
int TARVEX_API OutLog(tagCALCINFO* ci);       // logs "<code> 发生事件 n" when parameter 1 > 0
}
