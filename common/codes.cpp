// Market prefixes, period names, price comparison and code numbers.
#include "common/codes.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "common/text.h"

const char* market_prefix_of(const char* code, int index_flag) {
    signed char first = static_cast<signed char>(code[0]);
    if (index_flag) {
        if (first >= '9') return "B$";
        return compare_signed(code, "399001") < 0 ? "SH" : "SZ";
    }
    if (first >= 'A' && first <= 'z') return "";
    if (std::strlen(code) < 6) return "HK";
    if (first >= '9') return "B$";
    return compare_signed(code, "600000") < 0 ? "SZ" : "SH";
}

void market_prefix(const tagCALCINFO& ci, char* out, size_t cap) {
    const char* code = ci.stock_label ? ci.stock_label : "";
    copy_text(out, cap, market_prefix_of(code, ci.label_flag));
    append_text(out, cap, code);
}

const char* period_name_of(int period) {
    switch (period) {
        case kPeriodMin1: return "M1";
        case kPeriodMin5: return "M5";
        case kPeriodMin15: return "M15";
        case kPeriodMin30: return "M30";
        case kPeriodMin60: return "M60";
        case kPeriodDay: return "DAY";
        case kPeriodWeek: return "WEK";
        case kPeriodMonth: return "MON";
        default: return "OTH";
    }
}

void period_name(const tagCALCINFO& ci, char* out, size_t cap) { copy_text(out, cap, period_name_of(ci.period)); }

int truncate_double(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int>(v);
}

bool prices_match(double a, float b) {
    long long d = static_cast<long long>(truncate_double(a * 1000.0)) - truncate_double(b * 1000.0f);
    return d >= -1 && d <= 1;
}

int code_number(const char* code) {
    const char* p = code;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    long long n = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        n = n * 10 + (*p - '0');
        if (n > 2147483648LL) n = 2147483648LL;  // saturate; keeps INT32_MIN reachable
    }
    if (negative) n = -n;
    if (n > INT32_MAX) n = INT32_MAX;
    return static_cast<int>(n);
}
