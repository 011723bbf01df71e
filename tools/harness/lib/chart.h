// A chart as the host would hand it to an export: it owns the bars, the
// parameters and the result series, and builds the tagCALCINFO that points
// into them. Used by the harness, the Wine suite and the native tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/call_record.h"

struct Chart {
    std::string label = "600000";
    int32_t label_flag = 0;
    int32_t period = kPeriodDay;
    std::vector<BarRecord> bars;
    std::vector<ExtRecord> ext;
    int32_t param1_start = -1;
    std::vector<float> p1, p2, p3, p4;  // empty: the parameter is absent
    std::vector<float> result;

    // n day bars from 2024-01-02 (each at the start of its UTC day), all
    // prices 10, and every result slot set to `fill`.
    explicit Chart(int n = 10, float fill = -777.0f);

    // Parameter 1 as a constant (start -1) or as a series from `start`.
    void constant(float v);
    void series(const std::vector<float>& values, int start);
    // Parameter 1 as the closes of the bars, from `start`.
    void closes_series(int start);
    // Replaces the bars, resizing the result (filled with `fill`).
    void set_bars(const std::vector<BarRecord>& b, float fill = -777.0f);

    // The record; valid until the chart changes.
    tagCALCINFO& ci();

private:
    tagCALCINFO rec_{};
};

// Day bars from `first_day_utc`, one per day at the start of its UTC day,
// open = high = low = close as given.
std::vector<BarRecord> day_bars(const std::vector<float>& closes, int64_t first_day_utc = 1704153600);
