// The investment exports the host calls from formulas.
#pragma once

#include "host/formula_call.h"

extern "C" {
int TARVEX_API Trade(tagCALCINFO* ci);    // day chart: per day, average price or quantity of one kind
int TARVEX_API TradeFS(tagCALCINFO* ci);  // time-share chart: each trade's kind at its minute
int TARVEX_API Deal(tagCALCINFO* ci);     // futures trade records of one direction onto their bars
}
