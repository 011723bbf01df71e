// The day file (".DAY") that saveDay writes: a bare sequence of 8-byte
// records with no header, one per bar in bar order, holding the bar's time as
// the host gives it (not reduced to the day) and its close, unscaled.
// Little-endian, encoded field by field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/coding.h"

struct DayRecord {
    int32_t time;  // the bar's time, seconds since 1970
    float close;
};

constexpr size_t kDayTimeOffset = 0;   // int32
constexpr size_t kDayCloseOffset = 4;  // float
constexpr size_t kDayRecordBytes = 8;
static_assert(sizeof(int32_t) == 4 && sizeof(float) == 4, "32-bit fields");
static_assert(kDayCloseOffset == kDayTimeOffset + sizeof(int32_t), "close follows time");
static_assert(kDayRecordBytes == kDayCloseOffset + sizeof(float), "day record is 8 bytes");

// Writes one record into the 8 bytes at p.
inline void encode_day_record(unsigned char* p, const DayRecord& r) {
    encode_i32(p + kDayTimeOffset, r.time);
    encode_f32(p + kDayCloseOffset, r.close);
}

// Reads the record in the 8 bytes at p.
inline DayRecord decode_day_record(const unsigned char* p) {
    return DayRecord{decode_i32(p + kDayTimeOffset), decode_f32(p + kDayCloseOffset)};
}
