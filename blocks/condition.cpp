// The block exports' condition.
#include "blocks/condition.h"

#include <cmath>

#include "common/log.h"
#include "host/formula_call.h"

bool condition_holds(const tagCALCINFO& ci, const char* undefined_text, const char* label) {
    float c = param1_current(ci);
    if (std::isfinite(c)) return c != 0;
    log_line_str(undefined_text, label);
    return false;
}
