// Parameter rules of the trend-line formulas.
#include "lines/line_params.h"

#include <cstdint>

#include "host/formula_call.h"

const LineRules kTlineRules = {true, true, false, 2, false};
const LineRules kTlineLowRules = {false, true, false, 5, false};
// TlineAll needs parameters 1 and 2 as well: they are read unconditionally,
// so a call without them is refused rather than read through a null pointer.
const LineRules kTlineAllRules = {false, false, true, 5, true};
const LineRules kTLineSRules = {true, true, false, 5, false};
const LineRules kTlineNearRules = {true, true, false, 5, false};

bool read_line_setup(const tagCALCINFO& ci, const LineRules& rules, LineSetup* out) {
    if (rules.refuse_tick_period && ci.period == kPeriodTick) return false;
    if (ci.param1 == nullptr || ci.param2 == nullptr) return false;
    if (rules.needs_series && ci.param1_start < 0) return false;
    if (rules.needs_param4 && ci.param4 == nullptr) return false;
    if (ci.result == nullptr || ci.bars == nullptr) return false;

    int n = truncate_to_int(ci.param2[0]);
    if (n < rules.min_n) n = rules.min_n;
    if (static_cast<int64_t>(ci.data_count) < 2 * static_cast<int64_t>(n)) return false;

    out->n = n;
    out->ratio = ci.param3 != nullptr ? ci.param3[0] : kDefaultRatio;
    out->maxback = ci.param4 != nullptr ? truncate_to_int(ci.param4[0]) : kDefaultMaxback;
    if (rules.clamp_maxback && (out->maxback > ci.data_count - n || out->maxback < n))
        out->maxback = ci.data_count - n;
    out->start = ci.param1_start >= 0 ? ci.param1_start : 0;
    return true;
}
