// The parameters of the five trend-line formulas, read and checked by one
// table of rules, so each formula states only how it differs.
#pragma once

#include "host/call_record.h"

// How a formula reads and refuses its parameters.
struct LineRules {
    bool refuse_tick_period;   // -1 on the tick period
    bool needs_series;         // -1 unless param1, param2 present and param1_start >= 0
    bool needs_param4;         // -1 unless param4 present (it also needs param1, param2)
    int min_n;                 // N = integer part of param2, at least this
    bool clamp_maxback;        // maxback outside N .. data_count - N becomes data_count - N
};

struct LineSetup {
    int n;         // step back of the walks; the last n bars stay out of the pruning
    float ratio;   // merge ratio (param3, default the float nearest 1.01)
    int maxback;   // a mark is taken only while data_count - index < maxback
    int start;     // first valid index: param1_start, or 0 when it is negative
};

constexpr float kDefaultRatio = 1.01f;
constexpr int kDefaultMaxback = 240;

// Fills `out` from the record; false when the rules refuse the call (the
// formula then returns -1 without touching result).
bool read_line_setup(const tagCALCINFO& ci, const LineRules& rules, LineSetup* out);

// The rules of each formula.
extern const LineRules kTlineRules;
extern const LineRules kTlineLowRules;
extern const LineRules kTlineAllRules;
extern const LineRules kTLineSRules;
extern const LineRules kTlineNearRules;
