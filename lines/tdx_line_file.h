// TDXlineAll: the TlineAll levels nearest the reference close (labels -3 .. 3)
// written as drawing records into the TDX terminal's line file, so that the
// terminal draws the same support and resistance lines.
#pragma once

#include "host/call_record.h"

// Runs TlineAll on the record (its labels stay in ci.result) and writes one
// record per anchor with 0 < |label| < 4. Afterwards the library's own
// records of the security in the file are exactly these: they take the
// places of the earlier ones, the surplus earlier ones go, and the rest are
// appended. Every other record, the user's own lines of the security too, is
// kept byte for byte. The file is replaced in one step, so a failure leaves
// it as it was. Returns TlineAll's result, or -1 when TlineAll refuses,
// parameter 1 is not a series, the code does not fit the record, or the file
// cannot be read or written (each logged).
int tdx_line_all(const tagCALCINFO& ci);
