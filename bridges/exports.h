// The window-bridge exports the host calls from formulas. The trading ones
// drive a separate desktop program through its windows and place real
// orders; GetSmartMsg only reads the host's own short-term-sprite list.
#pragma once

#include "host/formula_call.h"

extern "C" {
int TARVEX_API TDX(tagCALCINFO* ci);             // the chart's code into the TDX order window
int TARVEX_API TDXTrade(tagCALCINFO* ci);        // code, then price, into a TDX order panel; clicks
int TARVEX_API StockPositions(tagCALCINFO* ci);  // the TDX terminal's first list view into the log
int TARVEX_API LKBS(tagCALCINFO* ci);            // presses an order button of the 雷凯 terminal
int TARVEX_API GetSmartMsg(tagCALCINFO* ci);     // the host's short-term-sprite list into the log
}
