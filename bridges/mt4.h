// The MT4 history writer: the chart's bars as a MetaTrader 4 history file
// (format version 400) in MT4_HST_PATH, and a reload command posted to the
// MT4 chart whose window handle the MT4 side leaves in MT4_FILE_PATH.
#pragma once

#include <cstdint>
#include <vector>

#include "host/formula_call.h"

constexpr int kMt4HeaderBytes = 148;
constexpr int kMt4RecordBytes = 44;
constexpr int kMt4SymbolBytes = 12;      // 11 characters and the terminator
constexpr unsigned kWmCommand = 0x111;   // WM_COMMAND
constexpr uint32_t kMt4Refresh = 33324;  // the chart's command to re-read its history

// Market prefix of an MT4 symbol. Unlike market_prefix, a letter-led code
// that is not an index gets a prefix like any other ("B$" from '9' on).
const char* mt4_market_prefix(const char* code, int index_flag);

// MT4 period in minutes of chart periods 3..10 (1, 5, 15, 30, 60, 1440,
// 10080, 43200); 0 for any other period.
int mt4_period_minutes(int period);

// The symbol: prefix and stock_label, cut to 11 characters so that it fits
// the header's field; the file names use the same cut symbol.
void mt4_symbol(const tagCALCINFO& ci, char* out, size_t cap);

// Header and one record per bar of bars[first .. count - 1], times moved by
// 8 hours and prices widened to doubles.
std::vector<unsigned char> mt4_history_bytes(const char* symbol, int minutes, const BarRecord* bars, int first,
                                             int count);

extern "C" int TARVEX_API Save2Mt4(tagCALCINFO* ci);
