// Clock arithmetic and the five clock exports.
#include "formulas/clock.h"

#include "formulas/exports.h"
#include "host/export_guard.h"
#include "host/formula_call.h"
#include "platform/platform.h"

int hhmmss(int hour, int minute, int second) { return hour * 10000 + minute * 100 + second; }

int trading_minute(int hour, int minute) {
    int m = hour * 60 + minute - 564;  // minutes since 09:24
    if (m < 0) m = 0;
    if (m > 0 && m < 5) m = 5;
    if (m > 125 && m < 215) m = 185;
    if (m > 215) m -= 90;
    if (m > 245) m = 245;
    return m;
}

namespace {
plat::LocalTime now_local() {
    plat::LocalTime t{};
    plat::local_time(plat::now_seconds(), &t);
    return t;
}
}  // namespace

int unguarded::systime(tagCALCINFO* ci) {
    plat::LocalTime t = now_local();
    return set_last_slot(*ci, static_cast<float>(hhmmss(t.hour, t.minute, t.second)));
}

int unguarded::minutes(tagCALCINFO* ci) {
    plat::LocalTime t = now_local();
    return set_last_slot(*ci, static_cast<float>(trading_minute(t.hour, t.minute)));
}

int unguarded::time0(tagCALCINFO* ci) {
    plat::LocalTime t = now_local();
    return fill_all_slots(*ci, static_cast<float>(t.hour * 60 + t.minute));
}

int unguarded::SumSec(tagCALCINFO*) { return -1; }

int unguarded::msg(tagCALCINFO*) { return 0; }
