// The log file writer.
#include "common/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace {

const char kLogName[] = "TARVEX.log";

bool is_lead_byte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool is_trail_byte(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

// Formats into `out` like snprintf. A line that does not fit is cut, and
// then at a whole character: a double-byte GBK character whose second byte
// was cut off is dropped, so the log never ends in half a character.
void format_cut(char* out, size_t cap, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(out, cap, format, args);
    va_end(args);
    if (n < 0 || static_cast<size_t>(n) < cap) return;
    const unsigned char* s = reinterpret_cast<const unsigned char*>(out);
    size_t len = std::strlen(out);
    for (size_t i = 0; i < len; ++i) {
        if (!is_lead_byte(s[i])) continue;
        if (i + 1 == len) {
            out[i] = '\0';
            break;
        }
        if (is_trail_byte(s[i + 1])) ++i;
    }
}

// Composes the time stamp and the tail into the line buffer.
void compose(char (&ss)[kLogLineBytes], const char* arrow, const char* tail) {
    plat::LocalTime t{};
    if (!plat::local_time(plat::now_seconds(), &t)) t = plat::LocalTime{2000, 1, 1, 0, 0, 0};
    format_cut(ss, sizeof ss, "\n%02d-%02d-%02d %02d:%02d:%02d %s%s", t.year - 2000, t.month, t.day, t.hour,
               t.minute, t.second, arrow, tail);
}

// Never fails its caller, not even when the file cannot be opened for want
// of memory: the guard of the exports logs through here.
void append_entry(const char* first, const char* second) noexcept {
    try {
        plat::File* f = plat::open_file(kLogName, "a+t");
        if (!f) return;
        plat::write_file(f, first, std::strlen(first));
        if (second) plat::write_file(f, second, std::strlen(second));
        plat::close_file(f);
    } catch (...) {
        // The entry is dropped, as for a file that cannot be opened.
    }
}

void write_entry(const char* tail) {
    char ss[kLogLineBytes];
    compose(ss, "-> ", tail);
    append_entry(ss, nullptr);
}

}  // namespace

void log_line(const char* message) { write_entry(message); }

void log_line_str(const char* message, const char* text) {
    char tail[kLogLineBytes];
    format_cut(tail, sizeof tail, "%s %s", message, text);
    write_entry(tail);
}

void log_line_int(const char* message, int32_t value) {
    char tail[kLogLineBytes];
    format_cut(tail, sizeof tail, "%s %d", message, static_cast<int>(value));
    write_entry(tail);
}

void log_line_str2(const char* message, const char* text1, const char* text2) {
    char tail[kLogLineBytes];
    format_cut(tail, sizeof tail, "%s %s %s", message, text1, text2);
    write_entry(tail);
}

void log_line_time(const char* message, int64_t time) {
    char ss[kLogLineBytes];
    compose(ss, "->", message);
    plat::LocalTime t{};
    if (!plat::local_time(time, &t)) {
        append_entry(ss, nullptr);
        return;
    }
    char when[32];
    std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    append_entry(ss, when);
}
