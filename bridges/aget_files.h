// The names and files the two routes of the Advanced GET bridge share: the
// names built for the chart, the text data file Advanced GET loads (written
// by the file route, its first rows read back by the in-memory route), and
// the offset file in which the in-memory route keeps the addresses it learned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/call_record.h"

// Names built for the chart's security and period below the "GET" directory.
struct GetNames {
    char skcode[20];    // market prefix and code (SH600000)
    char type[10];      // period name (DAY)
    char title[200];    // "Advanced GET - [SH600000DAY, Daily]"
    char fn[300];       // data file: GET + skcode + type + ".TXT"
    char addr_fn[300];  // offset file: GET + skcode + type + ".OFF"
};
// False when "GET" is set to the empty text.
bool get_names(const tagCALCINFO& ci, GetNames* n);

// The data file's text for the chart, one CR LF line per bar
// "yyyy/mm/dd open high low close volume param1+1", and the first bar it
// holds. Intraday charts (period below 8) give their last 400 bars at most,
// dated on consecutive weekdays that end on the last bar's day. The caller
// has checked that there is a bar and parameter 1.
int get_data_rows(const tagCALCINFO& ci, std::string* text);

// What the in-memory route reads back from the data file.
struct GetFileRows {
    float open[3], high[3], low[3], close[3];  // rows 0, 1 and 2
    int32_t row_count;  // three, plus every further line longer than 10 characters
};
// Reads rows 0..2 as "%s %f %f %f %f %d %d" and counts the rows as text-mode
// reads of at most 99 characters see them. False when three rows cannot be read.
// The data file is read back only up to 4 MiB, some 90 000 rows, many times
// the longest day chart; a larger one is refused unread.
constexpr size_t kGetDataFileCap = 4u << 20;
bool parse_get_rows(const std::string& text, GetFileRows* rows);

// The offset file (16 bytes, little-endian): rows in Advanced GET's arrays,
// the addresses of its open and high arrays, and the window they belong to.
struct GetOffsets {
    int32_t row_count;
    uint32_t open_addr;
    uint32_t high_addr;
    uint32_t window;
};
constexpr size_t kGetOffsetBytes = 16;

// Reads the offset file; false when it is missing or shorter than 16 bytes.
bool read_get_offsets(const char* addr_fn, GetOffsets* off);
// Replaces the offset file; false when it could not be written.
bool write_get_offsets(const char* addr_fn, const GetOffsets& off);
