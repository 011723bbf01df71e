// The log file writer.
#include "common/log.h"

#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace {

const char kLogName[] = "TARVEX.log";

// Composes the time stamp and the tail into the line buffer; snprintf cuts a
// line that would not fit.
void compose(char (&ss)[kLogLineBytes], const char* arrow, const char* tail) {
    plat::LocalTime t{};
    if (!plat::local_time(plat::now_seconds(), &t)) t = plat::LocalTime{2000, 1, 1, 0, 0, 0};
    std::snprintf(ss, sizeof ss, "\n%02d-%02d-%02d %02d:%02d:%02d %s%s", t.year - 2000, t.month, t.day,
                  t.hour, t.minute, t.second, arrow, tail);
}

void append_entry(const char* first, const char* second) {
    plat::File* f = plat::open_file(kLogName, "a+t");
    if (!f) return;
    plat::write_file(f, first, std::strlen(first));
    if (second) plat::write_file(f, second, std::strlen(second));
    plat::close_file(f);
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
    std::snprintf(tail, sizeof tail, "%s %s", message, text);
    write_entry(tail);
}

void log_line_int(const char* message, int32_t value) {
    char tail[kLogLineBytes];
    std::snprintf(tail, sizeof tail, "%s %d", message, static_cast<int>(value));
    write_entry(tail);
}

void log_line_str2(const char* message, const char* text1, const char* text2) {
    char tail[kLogLineBytes];
    std::snprintf(tail, sizeof tail, "%s %s %s", message, text1, text2);
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
