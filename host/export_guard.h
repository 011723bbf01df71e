// The boundary between the host and the library. The host runs the library
// inside its own process: an exception that left an export would take the
// host down with the user's charts. So every entry point of the export list
// is one call of the guard below around its routine, and the routines (the
// bodies the subsystems define in namespace `unguarded`) may throw freely:
// the guard catches everything, logs one line naming the export and returns
// -1 with the host's result slots exactly as the host gave them.
#pragma once

#include "host/formula_call.h"

namespace unguarded {
// One routine per formula export of the list, named as the export.
#define TARVEX_EXPORT(fn, symbol, bytes, built) TARVEX_ROUTINE_##bytes(fn)
#define TARVEX_ROUTINE_4(fn) int fn(tagCALCINFO* ci);
#define TARVEX_ROUTINE_16(fn)
#include "host/export_list.h"
#undef TARVEX_ROUTINE_16
#undef TARVEX_ROUTINE_4
#undef TARVEX_EXPORT
// The export with four plain arguments.
int savedata0(char* name, long time, char* code, float value);
}  // namespace unguarded

// Runs `routine` on a copy of the record whose result series is a copy of
// the host's; the host's slots receive that copy only when the routine
// returns. Whatever it throws is caught: one log line "<name> 异常退出: why"
// and -1, the host's slots untouched. A null record goes to the routine as
// it is: the exports that ignore their record take none. A record with bars
// but a null result series is refused: -1 and one log line, the routine
// never called.
int guarded_formula(const char* name, tagCALCINFO* ci, int (*routine)(tagCALCINFO*)) noexcept;

// The log line of a caught exception: "<name> 异常退出: <why>".
void log_escaped_exception(const char* name, const char* why) noexcept;
