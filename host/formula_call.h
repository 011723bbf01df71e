// The calling contract every formula export shares: how parameters are read
// from the call record and how the four result shapes are written. Exports
// are thin shims over these helpers and a plain routine of their subsystem.
#pragma once

#include "host/call_record.h"

// Exports use the Windows API calling convention on the DLL build; natively
// the attribute means nothing and is left out.
#if defined(_WIN32) && !defined(_WIN64)
#define TARVEX_API __stdcall
#else
#define TARVEX_API
#endif

// The host's calling contract: one call record in, the index of the first
// valid result slot (or -1) out.
typedef int(TARVEX_API* FormulaCall)(tagCALCINFO* ci);

// Parameter 1's current value: param1[0] for a constant (negative start),
// else its last element. The caller has checked that param1 is present and
// that data_count >= 1 when the start is not negative.
float param1_current(const tagCALCINFO& ci);

// For the exports that act on another program (press, type, order): the
// current value of parameter 1 only when it is there, there is a bar to read
// it from, and it is a number. False for an absent parameter, an empty chart
// and a value the formula left undefined (NaN, or infinite): such a call must
// do nothing.
bool defined_param1(const tagCALCINFO& ci, float* v);

// Element 0 of parameter 2..4; the caller has checked the pointer.
inline float param_first(const float* p) { return p[0]; }

// A float code truncated toward zero. NaN gives 0 and values beyond the int
// range are clamped, so a stray value never becomes undefined behaviour.
int truncate_to_int(float v);

// Shape 1: result[data_count - 1] = v; returns data_count - 1. With no slot
// (data_count < 1, or no result series) nothing is written and -1 is returned.
int set_last_slot(const tagCALCINFO& ci, float v);

// Shape 2: every slot = v; returns 0, or -1 when there is no slot (or no series).
int fill_all_slots(const tagCALCINFO& ci, float v);

// Index of the last bar, or -1 when the record holds none.
inline int last_index(const tagCALCINFO& ci) { return ci.data_count - 1; }

// Whether 0 <= i < data_count.
inline bool is_bar_index(const tagCALCINFO& ci, int i) {
    return i >= 0 && i < ci.data_count;
}
