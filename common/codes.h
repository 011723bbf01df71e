// Security codes, markets and chart periods: the display code with its market
// prefix, the name of a period, the comparison of two prices to a thousandth
// and the number a code stands for.
#pragma once

#include <cstddef>

#include "host/call_record.h"

// The market prefix of a display code: "SH", "SZ", "HK", "B$" or none (a
// letter-led code that is not an index already carries its market). An index
// (flag set) is "B$" from '9' on, else "SH" below "399001" and "SZ" from it.
const char* market_prefix_of(const char* code, int index_flag);

// The prefix followed by the whole code (stock_label, label_flag), cut to fit.
void market_prefix(const tagCALCINFO& ci, char* out, size_t cap);

// "M1", "M5", "M15", "M30", "M60", "DAY", "WEK", "MON" for periods 3..10,
// "OTH" for any other.
const char* period_name_of(int period);
void period_name(const tagCALCINFO& ci, char* out, size_t cap);

// Whether the prices agree to a thousandth: the products a * 1000 (double)
// and b * 1000 (single precision), each truncated toward zero, differ by at
// most 1.
bool prices_match(double a, float b);

// The code's leading decimal digits as a number, as atoi reads them: leading
// blanks and a sign accepted, a letter-led code gives 0. Too many digits
// saturate at the int32 range instead of overflowing.
int code_number(const char* code);

// Truncation toward zero to a 32-bit integer, clamped at its range; NaN gives 0.
int truncate_double(double v);
