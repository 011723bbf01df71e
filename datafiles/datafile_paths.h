// Paths of the data files, built by the shared path routines into the fixed
// 300-byte buffers, with one extra rule: a path that filled its buffer may
// have been cut (an over-long code, name or setting), and a cut path names
// another file, so such a path is refused rather than used.
#pragma once

#include <cstddef>

#include "host/call_record.h"

// Self-data file of data number k for `code` (make_selfdata_fn, numbered
// form). False when the data directory could not be created or the path did
// not fit; `out` then holds what was built, for the caller's log line.
bool selfdata_file_for_number(char* out, size_t cap, int k, const char* code, int index_flag);

// The same with the data directory's name given (savedata0).
bool selfdata_file_for_name(char* out, size_t cap, const char* name, const char* code);

// Day file of the chart's security; false when the path did not fit.
bool day_file_for(char* out, size_t cap, const tagCALCINFO& ci);

// Numbered value file; false when the path did not fit.
bool value_file_for(char* out, size_t cap, int f);
