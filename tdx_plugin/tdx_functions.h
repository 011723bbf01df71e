// The trend-line formulas as the TDX terminal calls them: three float series
// of the chart's length in, one out, no call record. Each function builds the
// record a 大智慧 chart of the same closes would hand TARVEX.dll and runs the
// same routine, so the labels are the same.
#pragma once

#include "host/call_record.h"

// What input c of a TDX call carries; the other parameter takes its default.
enum class TdxInputC {
    kLookBack,  // parameter 4, the look-back in bars; the ratio is 1.01
    kRatio,     // parameter 3, the merge ratio; the look-back is 240 bars
};

typedef int (*LineRoutine)(const tagCALCINFO& ci);

struct TdxFunction {
    unsigned short number;  // TDXDLLn(number, a, b, c)
    const char* name;       // the TARVEX function it stands for
    LineRoutine routine;
    TdxInputC c;
};

extern const TdxFunction kTdxFunctions[];
extern const int kTdxFunctionCount;

// The look-back given when input c carries the ratio.
constexpr float kTdxDefaultLookBack = 240.0f;

// Runs `f` on the terminal's arrays of `count` values: a is parameter 1 (a
// series from its first finite value; the bars' prices too), the values of b
// and c on the last bar are parameter 2 and the parameter c carries. Every
// slot of `out` is written: the routine's labels from its first valid index,
// 0 before it, and 0 everywhere when the routine refuses or finds nothing.
// Does nothing when count < 1 or out is null; a null input is absent.
void run_tdx_function(const TdxFunction& f, int count, float* out, const float* a, const float* b,
                      const float* c);
