// The files of the Advanced GET bridge: the names built for the chart, the
// text data file Advanced GET loads, the reading of that file's first rows
// that the in-memory route searches for, and the offset file.
#include "bridges/aget_files.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/codes.h"
#include "common/capped_read.h"
#include "common/coding.h"
#include "common/host_file.h"
#include "common/paths.h"
#include "common/settings.h"
#include "common/text.h"
#include "platform/platform.h"

namespace {

constexpr int kIntradayRows = 400;  // intraday charts hand over their last 400 bars at most
constexpr int64_t kDaySeconds = 86400;

// 0 for Sunday .. 6 for Saturday, of a calendar date.
int weekday_of(int y, int m, int d) {
    static const int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (m < 1 || m > 12) return 1;
    if (m < 3) --y;
    return ((y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7 + 7) % 7;
}

bool is_weekend(int64_t t) {
    plat::LocalTime lt;
    if (!plat::local_time(t, &lt)) return false;
    int wd = weekday_of(lt.year, lt.month, lt.day);
    return wd == 0 || wd == 6;
}

// Moves `day` by one day in `step`'s direction, on past Saturdays and Sundays.
int64_t step_weekday(int64_t day, int64_t step) {
    do day += step;
    while (is_weekend(day));
    return day;
}

void append_row(std::string* text, int64_t day, const BarRecord& b, float seventh) {
    plat::LocalTime lt{};
    if (!plat::local_time(day, &lt)) lt = plat::LocalTime{};
    char line[400];
    int n = std::snprintf(line, sizeof line, "%04d/%02d/%02d %.1f %.1f %.1f %.1f %.0f %.0f\r\n", lt.year, lt.month,
                          lt.day, static_cast<double>(b.open), static_cast<double>(b.high),
                          static_cast<double>(b.low), static_cast<double>(b.close), static_cast<double>(b.volume),
                          static_cast<double>(seventh));
    if (n > 0) text->append(line, static_cast<size_t>(n) < sizeof line ? static_cast<size_t>(n) : sizeof line - 1);
}

bool next_token(const std::string& text, size_t* at, std::string* out) {
    size_t i = *at;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    size_t start = i;
    while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    *at = i;
    out->assign(text, start, i - start);
    return i > start;
}

bool float_token(const std::string& text, size_t* at, float* out) {
    std::string t;
    if (!next_token(text, at, &t)) return false;
    char* end = nullptr;
    *out = std::strtof(t.c_str(), &end);
    return end != t.c_str() && *end == '\0';
}

}  // namespace

bool get_names(const tagCALCINFO& ci, GetNames* n) {
    char dir[kPathBytes];
    path_setting(dir, sizeof dir, "GET");
    if (dir[0] == '\0') return false;
    market_prefix(ci, n->skcode, sizeof n->skcode);
    period_name(ci, n->type, sizeof n->type);
    std::snprintf(n->title, sizeof n->title, "Advanced GET - [%s%s, Daily]", n->skcode, n->type);
    copy_text(n->fn, sizeof n->fn, dir);
    append_text(n->fn, sizeof n->fn, n->skcode);
    append_text(n->fn, sizeof n->fn, n->type);
    copy_text(n->addr_fn, sizeof n->addr_fn, n->fn);
    append_text(n->fn, sizeof n->fn, ".TXT");
    append_text(n->addr_fn, sizeof n->addr_fn, ".OFF");
    return true;
}

int get_data_rows(const tagCALCINFO& ci, std::string* text) {
    const int count = ci.data_count;
    const bool intraday = ci.period < kPeriodDay;
    int first = ci.param1_start;
    const int64_t last_time = ci.bars[count - 1].time;
    int64_t day = last_time / 3600 / 24 * 3600 * 24;
    if (intraday) {
        // Invented consecutive trading days, so that Advanced GET can show
        // the bars as daily data.
        int n = count < kIntradayRows ? count : kIntradayRows;
        for (int k = 1; k < n; ++k) day = step_weekday(day, -kDaySeconds);
        first = count - n;
        day -= kDaySeconds;
    }
    if (first < 0) first = 0;
    text->clear();
    for (int i = first; i < count; ++i) {
        day = intraday ? step_weekday(day, kDaySeconds) : ci.bars[i].time;
        // A constant parameter 1 holds one value, not one per bar.
        float p1 = ci.param1_start < 0 ? ci.param1[0] : ci.param1[i];
        append_row(text, day, ci.bars[i], p1 + 1.0f);
    }
    return first;
}

bool parse_get_rows(const std::string& raw, GetFileRows* rows) {
    // Read as in text mode: CR LF is one line end.
    std::string text;
    text.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i)
        if (raw[i] != '\r' || i + 1 == raw.size() || raw[i + 1] != '\n') text.push_back(raw[i]);
    size_t at = 0;
    std::string skipped;
    for (int r = 0; r < 3; ++r) {
        if (!next_token(text, &at, &skipped)) return false;  // the date
        if (!float_token(text, &at, &rows->open[r]) || !float_token(text, &at, &rows->high[r]) ||
            !float_token(text, &at, &rows->low[r]) || !float_token(text, &at, &rows->close[r]))
            return false;
        if (!next_token(text, &at, &skipped) || !next_token(text, &at, &skipped)) return false;  // volume, param1
    }
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    // Every further piece of a line, up to 99 characters with its line end,
    // that is longer than 10 characters counts as a row.
    rows->row_count = 3;
    while (at < text.size()) {
        size_t piece = 0;
        while (at < text.size() && piece < 99) {
            ++piece;
            if (text[at++] == '\n') break;
        }
        if (piece > 10 && rows->row_count < INT32_MAX) ++rows->row_count;
    }
    return true;
}

bool read_get_offsets(const char* addr_fn, GetOffsets* off) {
    std::vector<unsigned char> b;
    if (read_file_prefix(addr_fn, kGetOffsetBytes, &b) != CappedRead::whole || b.size() < kGetOffsetBytes)
        return false;
    *off = GetOffsets{decode_i32(&b[0]), decode_u32(&b[4]), decode_u32(&b[8]), decode_u32(&b[12])};
    return true;
}

bool write_get_offsets(const char* addr_fn, const GetOffsets& off) {
    unsigned char b[kGetOffsetBytes];
    encode_i32(b, off.row_count);
    encode_u32(b + 4, off.open_addr);
    encode_u32(b + 8, off.high_addr);
    encode_u32(b + 12, off.window);
    return replace_own_file_contents(addr_fn, b, sizeof b);  // a cache: written in a rehearsal too
}
