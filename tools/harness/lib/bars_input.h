// Bars for the harness: read from a CSV file or taken from the built-in
// sample chart.
#pragma once

#include <string>
#include <vector>

#include "host/call_record.h"

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
long long days_from_civil(int y, int m, int d);

// CSV lines "time,open,high,low,close,volume,amount". The time is seconds
// since 1970, or a date "YYYY-MM-DD" (the start of that UTC day, as the host
// stamps day bars), or "YYYY-MM-DD HH:MM[:SS]" in Beijing time (UTC+8). A
// first line that does not start with a digit is taken as a heading. False
// with the line number and reason when a line cannot be read.
bool parse_bars_csv(const std::string& text, std::vector<BarRecord>* bars, std::string* error);

// The built-in sample chart: 120 day bars from 2024-01-02 whose closes swing
// around 10 in waves, so that trend lines and levels have something to find.
std::vector<BarRecord> sample_bars();
