// The self-data file: a bare sequence of 8-byte records with no header, one
// record per calendar day in ascending order of day. Written by savedata,
// savedata0, SAVEDATA_CAPITAL and saveS, read back by ReadData. Reader and
// writer share the layout below; the bytes are little-endian, encoded field
// by field so that the file never depends on a struct's layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/coding.h"

struct SelfDataRecord {
    int32_t day;  // start of a day, seconds since 1970 (a multiple of 86400)
    float value;
};

constexpr size_t kSelfDataDayOffset = 0;    // int32
constexpr size_t kSelfDataValueOffset = 4;  // float
constexpr size_t kSelfDataRecordBytes = 8;
static_assert(sizeof(int32_t) == 4 && sizeof(float) == 4, "32-bit fields");
static_assert(kSelfDataValueOffset == kSelfDataDayOffset + sizeof(int32_t), "value follows day");
static_assert(kSelfDataRecordBytes == kSelfDataValueOffset + sizeof(float), "self-data record is 8 bytes");

constexpr int32_t kSecondsPerDay = 86400;

// The largest self-data file read: 100 000 records, more than 270 years of
// one value a day, and every bar of the longest day chart the host keeps. A
// larger file is refused unread (and never rewritten).
constexpr size_t kSelfDataMaxRecords = 100000;
constexpr size_t kSelfDataFileCap = kSelfDataMaxRecords * kSelfDataRecordBytes;

// Day of a time: x - (x mod 86400) with division truncating toward zero, as
// the stored days have always been computed; the start of x's UTC day for
// the non-negative times that occur. Any int32 time, shifted by -28800, gives
// a day that still fits in int32.
inline int32_t day_of(int64_t x) { return static_cast<int32_t>(x / kSecondsPerDay * kSecondsPerDay); }

// Writes one record into the 8 bytes at p.
inline void encode_selfdata_record(unsigned char* p, const SelfDataRecord& r) {
    encode_i32(p + kSelfDataDayOffset, r.day);
    encode_f32(p + kSelfDataValueOffset, r.value);
}

// Reads the record in the 8 bytes at p.
inline SelfDataRecord decode_selfdata_record(const unsigned char* p) {
    return SelfDataRecord{decode_i32(p + kSelfDataDayOffset), decode_f32(p + kSelfDataValueOffset)};
}

// The whole records in `bytes`, at most `limit` of them; a trailing part of a
// record is ignored.
std::vector<SelfDataRecord> decode_selfdata_records(const std::vector<unsigned char>& bytes, size_t limit);

// The file content for `records`, in order.
std::vector<unsigned char> encode_selfdata_records(const std::vector<SelfDataRecord>& records);
