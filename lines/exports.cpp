// Entry points of the trend-line exports.
#include "lines/exports.h"

#include "lines/formulas.h"
#include "lines/tdx_line_file.h"

extern "C" int TARVEX_API Tline(tagCALCINFO* ci) { return peak_staircase(*ci); }

extern "C" int TARVEX_API TlineLow(tagCALCINFO* ci) { return trough_staircase(*ci); }

extern "C" int TARVEX_API TlineAll(tagCALCINFO* ci) { return bar_levels(*ci); }

extern "C" int TARVEX_API TLineS(tagCALCINFO* ci) { return series_levels(*ci); }

extern "C" int TARVEX_API TlineNear(tagCALCINFO* ci) { return near_levels(*ci); }

extern "C" int TARVEX_API TDXlineAll(tagCALCINFO* ci) { return tdx_line_all(*ci); }
