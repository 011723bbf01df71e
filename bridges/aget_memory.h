// The in-memory route of the Advanced GET bridge: the chart's bars written
// straight into the price arrays of a running Advanced GET that shows the
// security.
#pragma once

#include "host/call_record.h"

// True when Advanced GET's memory was updated. Logs why not otherwise, and
// Save2Get then writes the data file.
bool poke_get_memory(const tagCALCINFO& ci);
