// FB: the signed tick volume per security. Each call counts only the ticks
// beyond those its security's slot has already counted.
#include "formulas/tick_flow.h"

#include "common/codes.h"
#include "common/log.h"
#include "common/tick_flow_slots.h"
#include "formulas/exports.h"
#include "host/export_guard.h"
#include "host/formula_call.h"

TickBand tick_band(float reference) {
    double r = reference < 0 ? -reference : reference;
    return TickBand{static_cast<float>(truncate_double(r * 1.1 * 100 + 0.5)) / 100.0f,
                    static_cast<float>(truncate_double(r * 0.9 * 100 + 0.5)) / 100.0f};
}

float signed_tick_volume(const Tick& t, const TickBand& band, float min_amount) {
    if (t.price >= band.upper || t.price < band.lower || min_amount > t.amount) return 0.0f;
    double d = static_cast<double>(t.ask - t.bid) * 0.35;
    double p = t.price;
    if (p >= t.ask - d) return t.volume;
    if (p <= t.bid + d) return -t.volume;
    return t.hint > 0 ? t.volume : -t.volume;
}

namespace {

// Adds ticks first .. data_count - 1 to the sum. A constant parameter 1 has
// only element 0, which then decides every tick.
float add_ticks(const tagCALCINFO& ci, int first, float flow) {
    float reference = ci.param1[0];
    TickBand band = tick_band(reference);
    float min_amount = param_first(ci.param2);
    float r = reference < 0 ? -reference : reference;
    for (int i = first; i < ci.data_count; ++i) {
        const BarRecord& b = ci.bars[i];
        Tick t{b.close, b.volume, b.amount, r, r, ci.param1_start < 0 ? ci.param1[0] : ci.param1[i]};
        if (i > 0) {
            t.bid = ci.ext_records[i - 1].f[0];
            t.ask = ci.ext_records[i - 1].f[10];
        }
        flow += signed_tick_volume(t, band, min_amount);
    }
    return flow;
}

}  // namespace

int unguarded::FB(tagCALCINFO* ci) {
    if (ci->period != kPeriodTick) {
        log_line("FB 调用失败,不是分笔周期");
        return -1;
    }
    // A call that cannot count takes no slot.
    if (!ci->param1 || !ci->param2 || !ci->ext_records || !ci->bars || ci->data_count < 1) return -1;
    int s = skcode2fbno(ci->stock_label ? ci->stock_label : "", ci->label_flag);
    if (s < 0) return -1;
    // The slot is used only within this call: no insertion can move it meanwhile.
    TickFlowSlot& slot = tick_flow_slot(s);
    if (slot.bars_done < ci->data_count) {
        slot.flow = add_ticks(*ci, slot.bars_done, slot.flow);
        slot.bars_done = ci->data_count;
    }
    return set_last_slot(*ci, slot.flow);
}
