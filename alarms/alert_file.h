// The host's alert file "userdata\self\ALERT.DAT": an 8-byte header whose
// second word counts the alert-type definitions (1 to 20), the definitions
// of 146 bytes, a 4-byte end flag, then the raised alerts of 52 bytes to
// the end of the file. The file is the host's: the library reads it and
// rewrites only by keeping the header, definitions and end flag byte for
// byte, through a new file moved over the old one. No more of it is ever
// read than the longest head and 4000 records: the rest is never used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr size_t kAlertHeaderBytes = 8;
constexpr uint32_t kAlertMaxTypes = 20;
constexpr size_t kAlertDefBytes = 146;
constexpr size_t kAlertEndFlagBytes = 4;
constexpr size_t kAlertRecordBytes = 52;
constexpr size_t kAlertMaxRecords = 4000;  // alm[208000]: later records are not read
constexpr size_t kAlertNameBytes = 24;     // type names, compared over 24 characters
constexpr size_t kAlertCodeChars = 8;      // alert codes, compared over 8 characters
constexpr size_t kAlertHeadMaxBytes = kAlertHeaderBytes + kAlertMaxTypes * kAlertDefBytes + kAlertEndFlagBytes;
// The bytes read of the file: enough for the longest head and 4000 records.
constexpr size_t kAlertReadCap = kAlertHeadMaxBytes + kAlertMaxRecords * kAlertRecordBytes;

// Header, definitions and end flag, as read.
struct AlertHead {
    unsigned char fh[kAlertHeaderBytes];
    uint32_t type_count;
    unsigned char alm_def[kAlertMaxTypes * kAlertDefBytes];
    unsigned char end_flag[kAlertEndFlagBytes];
};

// module_dir + "userdata\self\ALERT.DAT".
void alert_file_path(char* out, size_t cap);

enum class HeadRead {
    ok,
    no_header,       // the bytes end inside the header
    bad_type_count,  // 0 or above 20
    incomplete,      // the bytes end inside the definitions or the end flag
};
// The head at the start of the file's bytes; `*records_at` is the offset of
// the first raised alert after it (when ok).
HeadRead parse_alert_head(const std::vector<unsigned char>& bytes, AlertHead* head, size_t* records_at);

// The head as stored: header, type_count definitions, end flag.
size_t alert_head_bytes(const AlertHead& head, unsigned char* out);

// The chart's code as alerts carry it: a label led by a letter ("A" to "z")
// as it is, else "HK" before a label shorter than 6 characters, "SH" before
// one from "600000" on, "SZ" before the rest.
void alert_code_of(const char* label, char* out, size_t cap);

// Time-share slot of an alert at `alarm_time` on a chart whose first bar is
// at `bar0_time` (480 minutes apart on their scales), with the 90-minute
// midday break taken out after slot 135; -1 outside the trading day.
int alert_slot(int32_t alarm_time, int32_t bar0_time);

// 1-based number of the first definition named as the record's alert type;
// type_count + 1 when none is.
int alert_type_number(const AlertHead& head, const unsigned char* record);
