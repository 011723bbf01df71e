// The tick-flow slot table: a sorted fixed array searched by halving.
#include "common/tick_flow_slots.h"

#include <algorithm>
#include <cstring>

#include "common/codes.h"
#include "common/log.h"

namespace {
TickFlowSlot tick_flow_slots[kTickFlowSlotLimit];
int tick_flow_slots_used = 0;
}  // namespace

namespace {

struct SlotKey {
    char market[kSlotMarketBytes];
    int32_t number;
};

// The market of the display code (prefix and code): its characters up to
// the first digit, blank or sign, cut to the slot's field; and the number
// from there on.
SlotKey slot_key(const char* code, int index_flag) {
    SlotKey k = {};
    const char* prefix = market_prefix_of(code, index_flag);
    size_t used = 0;
    auto take = [&](const char* p) {
        for (; *p && !std::strchr("0123456789 \t+-", *p); ++p)
            if (used + 1 < sizeof k.market) k.market[used++] = *p;
        return p;
    };
    take(prefix);
    k.number = code_number(take(code));
    return k;
}

bool key_less(const TickFlowSlot& s, const SlotKey& k) {
    int c = std::strncmp(s.market, k.market, sizeof k.market);
    return c < 0 || (c == 0 && s.code_number < k.number);
}

}  // namespace

int skcode2fbno(const char* code, int index_flag) {
    const SlotKey key = slot_key(code, index_flag);
    const int n = key.number;
    TickFlowSlot* end = tick_flow_slots + tick_flow_slots_used;
    TickFlowSlot* at = std::lower_bound(tick_flow_slots, end, key, key_less);
    int index = static_cast<int>(at - tick_flow_slots);
    if (at != end && at->code_number == n && std::strncmp(at->market, key.market, sizeof key.market) == 0)
        return index;
    if (tick_flow_slots_used >= kTickFlowSlotLimit) {
        log_line_int("skcode2fbno 错误,skcode=", n);
        return -1;
    }
    std::move_backward(at, end, end + 1);
    *at = TickFlowSlot{};
    std::memcpy(at->market, key.market, sizeof key.market);
    at->code_number = n;
    ++tick_flow_slots_used;
    return index;
}

TickFlowSlot& tick_flow_slot(int index) { return tick_flow_slots[index]; }

int tick_flow_slot_count() { return tick_flow_slots_used; }

void reset_tick_flow_slots() { tick_flow_slots_used = 0; }
