// The block exports the host calls from formulas.
#pragma once

#include "host/formula_call.h"

extern "C" {
int TARVEX_API bknumb(tagCALCINFO* ci);       // last slot: codes in block param1
int TARVEX_API save2blk(tagCALCINFO* ci);     // adds the chart's security when param1 holds
int TARVEX_API saveInt2blk(tagCALCINFO* ci);  // adds the security of integer code param1
int TARVEX_API inblock(tagCALCINFO* ci);      // last slot: 1 when in the block, else 0
int TARVEX_API del2blk(tagCALCINFO* ci);      // takes the chart's security out when param1 holds
}
