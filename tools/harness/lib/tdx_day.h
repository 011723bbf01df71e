// The TDX terminal's day files (vipdoc\sh\lday\sh600000.day and the like), so
// that formula writers can try exports on the history already on their disk.
// The public layout: 32-byte records, integers little-endian, one per trading
// day in ascending order: the date as yyyymmdd (u32), open, high, low and
// close in hundredths of a yuan (u32 each), the amount in yuan (32-bit
// float), the volume (u32) and 4 reserved bytes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "host/call_record.h"

constexpr size_t kTdxDayRecordBytes = 32;

// The security a day file holds, from its name: "sh" or "sz" (or "bj"), six
// digits and ".day", in any letter case, after any directory. Codes of the
// Shanghai 000 range and the Shenzhen 399 range are market indexes.
struct TdxDaySecurity {
    std::string code;    // the six digits, as the host's stock_label
    std::string market;  // "SH", "SZ" or "BJ"
    bool index = false;  // the host's label_flag
};
// False with the reason when the name is not of that form.
bool tdx_day_security(const std::string& path, TdxDaySecurity* out, std::string* error);

// The bars of a day file's bytes, each stamped at the start of its UTC day as
// the host stamps day bars. False with the reason (and the record's number,
// from 1) when the size is not whole records, a date is no calendar date or
// lies past 2038-01-19, or the dates do not ascend; no bars is an error too.
bool parse_tdx_day(const unsigned char* bytes, size_t size, std::vector<BarRecord>* bars, std::string* error);
