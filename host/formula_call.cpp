// Parameter and result rules shared by all formula exports.
#include "host/formula_call.h"

#include <climits>
#include <cmath>

float param1_current(const tagCALCINFO& ci) {
    if (ci.param1_start < 0 || ci.data_count < 1) return ci.param1[0];
    return ci.param1[ci.data_count - 1];
}

bool defined_param1(const tagCALCINFO& ci, float* v) {
    if (!ci.param1 || ci.data_count < 1) return false;
    *v = param1_current(ci);
    return std::isfinite(*v);
}

int truncate_to_int(float v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0f) return INT_MAX;
    if (v <= -2147483648.0f) return INT_MIN;
    return static_cast<int>(v);  // conversion truncates toward zero
}

int set_last_slot(const tagCALCINFO& ci, float v) {
    if (ci.data_count < 1 || !ci.result) return -1;
    ci.result[ci.data_count - 1] = v;
    return ci.data_count - 1;
}

int fill_all_slots(const tagCALCINFO& ci, float v) {
    if (ci.data_count < 1 || !ci.result) return -1;
    for (int i = 0; i < ci.data_count; ++i) ci.result[i] = v;
    return 0;
}
