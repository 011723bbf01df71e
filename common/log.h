// TARVEX.log: one time-stamped line per event, appended to the file in the
// host's current working directory. Each entry opens, appends and closes the
// file, so it can be read, moved or deleted while the host runs. The log
// never fails its caller: an unopenable file drops the entry.
#pragma once

#include <cstdint>

// Message form: "\nyy-mm-dd hh:mm:ss -> message".
void log_line(const char* message);
// Message-and-string form: "... -> message text".
void log_line_str(const char* message, const char* text);
// Message-and-integer form: "... -> message 123".
void log_line_int(const char* message, int32_t value);
// Three-text form: "... -> message text1 text2".
void log_line_str2(const char* message, const char* text1, const char* text2);
// Message-and-time form: "... ->message" followed by "yyyy-mm-dd hh:mm:ss" of
// `time` in local time (nothing more when it cannot be converted).
void log_line_time(const char* message, int64_t time);

// Lines are composed in this many bytes; a longer line is cut, never written
// past, and cut at a whole character: no GBK character is split.
constexpr int kLogLineBytes = 300;
