// Finding Advanced GET's price arrays in its process: the first address, in
// 8-byte steps from a start, where three doubles in a row match three prices
// of the data file to a thousandth. Addresses that cannot be read are passed
// over.
#pragma once

#include <cstdint>

#include "platform/windows.h"

// Where the bridge has always looked: from 1 MiB while below 128 MiB.
constexpr uint32_t kGetSearchFrom = 0x100000;
constexpr uint32_t kGetSearchBelow = 0x7FFFFFF;
// Bytes of the other process read at once by the block search.
constexpr uint32_t kGetSearchBlockBytes = 256 * 1024;

struct RowsWanted {
    float values[3];      // rows 0, 1 and 2 of one column of the data file
    bool first_positive;  // the first double must also be above 0 (the open search)
    uint32_t read_bytes;  // bytes that must be readable at a match: 24, or 32 (the high search)
};

// Whether the three doubles at `at` match (prices_match, and the sign rule).
bool rows_match(const unsigned char* at, const RowsWanted& w);

// The first address a = from + 8k, a < below, whose `read_bytes` bytes can be
// read and match; 0 when there is none. Reads the committed regions only, in
// blocks of kGetSearchBlockBytes that overlap by a candidate's length, so a
// match across a block or region boundary is found where a read of it
// succeeds.
uint32_t find_rows(plat::Process* p, uint32_t from, uint32_t below, const RowsWanted& w);

// The same rule read literally: one read of `read_bytes` per 8-byte step.
// The block search is checked and measured against it.
uint32_t find_rows_stepwise(plat::Process* p, uint32_t from, uint32_t below, const RowsWanted& w);
