// Save2Get: the chart's bars handed to Advanced GET, straight into the price
// arrays of a running Advanced GET that shows the security (aget_memory.h),
// else as the text data file Advanced GET loads (aget_files.h).
#pragma once

#include "host/formula_call.h"

extern "C" int TARVEX_API Save2Get(tagCALCINFO* ci);
