// Single-precision arithmetic on every build. The 32-bit DLL is compiled for
// the x87 unit, which keeps intermediate float results in wider registers;
// the formulas' thresholds and ratios are stated in single precision, so each
// step that must round is passed through a float in memory.
#pragma once

#include <cmath>

// `v` rounded to a 32-bit float.
inline float single(float v) {
    volatile float s = v;
    return s;
}

// Whether ratio - 1 > |p / q - 1| with every step rounded to single precision:
// the near-equal test of the level formulas. False whenever a NaN appears.
inline bool within_ratio(float ratio, float p, float q) {
    const float tolerance = single(ratio - 1.0f);
    const float deviation = std::fabs(single(single(p / q) - 1.0f));
    return tolerance > deviation;
}
