// The tick-flow slot table: a sorted fixed array searched by halving.
#include "common/tick_flow_slots.h"

#include <algorithm>

#include "common/codes.h"
#include "common/log.h"

namespace {
TickFlowSlot tick_flow_slots[kTickFlowSlotLimit];
int tick_flow_slots_used = 0;
}  // namespace

int skcode2fbno(const char* code) {
    int n = code_number(code);
    TickFlowSlot* end = tick_flow_slots + tick_flow_slots_used;
    TickFlowSlot* at = std::lower_bound(tick_flow_slots, end, n,
                                        [](const TickFlowSlot& s, int v) { return s.code_number < v; });
    int index = static_cast<int>(at - tick_flow_slots);
    if (at != end && at->code_number == n) return index;
    if (tick_flow_slots_used >= kTickFlowSlotLimit) {
        log_line_int("skcode2fbno 错误,skcode=", n);
        return -1;
    }
    std::move_backward(at, end, end + 1);
    *at = TickFlowSlot{n, 0, 0.0f};
    ++tick_flow_slots_used;
    return index;
}

TickFlowSlot& tick_flow_slot(int index) { return tick_flow_slots[index]; }

int tick_flow_slot_count() { return tick_flow_slots_used; }

void reset_tick_flow_slots() { tick_flow_slots_used = 0; }
