// Entry points of the trend-line exports.
#include "lines/exports.h"

#include "host/export_guard.h"
#include "lines/formulas.h"
#include "lines/tdx_line_file.h"

int unguarded::Tline(tagCALCINFO* ci) { return peak_staircase(*ci); }

int unguarded::TlineLow(tagCALCINFO* ci) { return trough_staircase(*ci); }

int unguarded::TlineAll(tagCALCINFO* ci) { return bar_levels(*ci); }

int unguarded::TLineS(tagCALCINFO* ci) { return series_levels(*ci); }

int unguarded::TlineNear(tagCALCINFO* ci) { return near_levels(*ci); }

int unguarded::TDXlineAll(tagCALCINFO* ci) { return tdx_line_all(*ci); }
