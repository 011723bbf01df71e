// Chart records for the harness and the tests.
#include "tools/harness/lib/chart.h"

Chart::Chart(int n, float fill) {
    std::vector<float> closes(static_cast<size_t>(n > 0 ? n : 0), 10.0f);
    set_bars(day_bars(closes), fill);
}

void Chart::constant(float v) {
    p1 = {v};
    param1_start = -1;
}

void Chart::series(const std::vector<float>& values, int start) {
    p1 = values;
    param1_start = start;
}

void Chart::closes_series(int start) {
    p1.clear();
    for (const BarRecord& b : bars) p1.push_back(b.close);
    param1_start = start;
}

void Chart::set_bars(const std::vector<BarRecord>& b, float fill) {
    bars = b;
    result.assign(bars.size(), fill);
}

tagCALCINFO& Chart::ci() {
    rec_ = tagCALCINFO{};
    rec_.stock_label = label.c_str();
    rec_.label_flag = label_flag;
    rec_.data_count = static_cast<int32_t>(bars.size());
    rec_.bars = bars.empty() ? nullptr : bars.data();
    rec_.ext_records = ext.empty() ? nullptr : ext.data();
    rec_.param1_start = param1_start;
    rec_.param1 = p1.empty() ? nullptr : p1.data();
    rec_.param2 = p2.empty() ? nullptr : p2.data();
    rec_.param3 = p3.empty() ? nullptr : p3.data();
    rec_.param4 = p4.empty() ? nullptr : p4.data();
    rec_.result = result.empty() ? nullptr : result.data();
    rec_.period = period;
    return rec_;
}

std::vector<BarRecord> day_bars(const std::vector<float>& closes, int64_t first_day_utc) {
    std::vector<BarRecord> bars(closes.size());
    for (size_t i = 0; i < closes.size(); ++i) {
        BarRecord& b = bars[i];
        b.time = static_cast<int32_t>(first_day_utc + 86400 * static_cast<int64_t>(i));
        b.open = b.high = b.low = b.close = closes[i];
        b.volume = 1000.0f;
        b.amount = closes[i] * 1000.0f;
        b.extra = 0;
    }
    return bars;
}
