// The call record the host hands to every formula export, and the bar and
// quote records it points to. The layouts are the host's: 32-bit fields,
// little-endian, at fixed offsets. On the 32-bit DLL build the offsets are
// checked at compile time; natively pointers are wider, so only the plain
// data records are checked there.
#pragma once

#include <cstddef>
#include <cstdint>

struct BarRecord {
    int32_t time;    // seconds since 1970-01-01 00:00:00 UTC
    float open;
    float high;
    float low;
    float close;     // on the tick period: the trade price
    float volume;
    float amount;
    uint32_t extra;  // host's own; never read
};

struct ExtRecord {
    float f[20];  // f[0] best bid, f[10] best ask on the tick period
};

struct tagCALCINFO {
    uint32_t struct_size;  // host's own; never read
    uint32_t host_field_4;
    uint32_t host_field_8;
    const char* stock_label;
    int32_t label_flag;  // non-zero for a market index
    int32_t data_count;
    const BarRecord* bars;
    const ExtRecord* ext_records;
    int32_t param1_start;  // negative: parameter 1 is a constant
    const float* param1;
    const float* param2;
    const float* param3;
    const float* param4;
    float* result;
    int32_t period;
};

static_assert(sizeof(BarRecord) == 32, "BarRecord is 32 bytes");
static_assert(offsetof(BarRecord, close) == 16, "close at 16");
static_assert(offsetof(BarRecord, amount) == 24, "amount at 24");
static_assert(sizeof(ExtRecord) == 80, "ExtRecord is 80 bytes");

#if defined(_WIN32) && !defined(_WIN64)
static_assert(offsetof(tagCALCINFO, stock_label) == 12, "stock_label at 12");
static_assert(offsetof(tagCALCINFO, label_flag) == 16, "label_flag at 16");
static_assert(offsetof(tagCALCINFO, data_count) == 20, "data_count at 20");
static_assert(offsetof(tagCALCINFO, bars) == 24, "bars at 24");
static_assert(offsetof(tagCALCINFO, ext_records) == 28, "ext_records at 28");
static_assert(offsetof(tagCALCINFO, param1_start) == 32, "param1_start at 32");
static_assert(offsetof(tagCALCINFO, param1) == 36, "param1 at 36");
static_assert(offsetof(tagCALCINFO, param2) == 40, "param2 at 40");
static_assert(offsetof(tagCALCINFO, param3) == 44, "param3 at 44");
static_assert(offsetof(tagCALCINFO, param4) == 48, "param4 at 48");
static_assert(offsetof(tagCALCINFO, result) == 52, "result at 52");
static_assert(offsetof(tagCALCINFO, period) == 56, "period at 56");
static_assert(sizeof(tagCALCINFO) == 60, "record read up to offset 59");
#endif

// Chart period codes carried in tagCALCINFO::period.
enum Period : int32_t {
    kPeriodTimeShare = 1,
    kPeriodTick = 2,
    kPeriodMin1 = 3,
    kPeriodMin5 = 4,
    kPeriodMin15 = 5,
    kPeriodMin30 = 6,
    kPeriodMin60 = 7,
    kPeriodDay = 8,
    kPeriodWeek = 9,
    kPeriodMonth = 10,
};
