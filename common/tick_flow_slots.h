// The tick-flow slot table: one slot per security, keyed by its market and
// its code number and kept sorted by them, holding how many ticks of that security FB has counted and
// their signed volume. Module state: empty at load, never saved, never
// shrinks, and bounded at kTickFlowSlotLimit entries.
#pragma once

#include <cstdint>

constexpr int kSlotMarketBytes = 8;

struct TickFlowSlot {
    char market[kSlotMarketBytes];  // "SH", "SZ", "HK", "B$" or a label's own letters, cut
    int32_t code_number;
    int32_t bars_done;  // index of the first bar not yet counted
    float flow;         // accumulated signed volume
};

constexpr int kTickFlowSlotLimit = 4000;

// The slot of the security: the market of its display code (market_prefix_of
// with the index flag, or the letters a label starts with) and the number
// that follows (code_number), so that SH000001 and SZ000001 count apart.
// Inserted with zero counts when new. Returns its index, or -1 when the table is full; a refused code is
// logged as "skcode2fbno 错误,skcode=" with its number. An index stays valid
// only until the next call, whose insertion may move it.
int skcode2fbno(const char* code, int index_flag);

// The slot at an index skcode2fbno just returned.
TickFlowSlot& tick_flow_slot(int index);

int tick_flow_slot_count();

// Empties the table, as a fresh load of the library would (tests only).
void reset_tick_flow_slots();
