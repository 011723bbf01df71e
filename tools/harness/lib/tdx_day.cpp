// TDX day files: the security from the file name, the bars from the records.
#include "tools/harness/lib/tdx_day.h"

#include <cstdint>
#include <cstring>

#include "common/coding.h"
#include "tools/harness/lib/bars_input.h"

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool is_leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int days_in_month(int y, int m) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && is_leap(y) ? 29 : kDays[m - 1];
}

// Seconds of the start of the UTC day of a yyyymmdd date; false when it is no
// calendar date or its bar time would not fit the host's 32-bit seconds.
bool day_start(uint32_t yyyymmdd, int32_t* out) {
    int y = static_cast<int>(yyyymmdd / 10000), m = static_cast<int>(yyyymmdd / 100 % 100),
        d = static_cast<int>(yyyymmdd % 100);
    if (y < 1970 || m < 1 || m > 12 || d < 1 || d > days_in_month(y, m)) return false;
    long long t = days_from_civil(y, m, d) * 86400;
    if (t > INT32_MAX) return false;
    *out = static_cast<int32_t>(t);
    return true;
}

// Hundredths of a yuan as the nearest float to the price.
float price(const unsigned char* p) { return static_cast<float>(static_cast<double>(decode_u32(p)) / 100.0); }

}  // namespace

bool tdx_day_security(const std::string& path, TdxDaySecurity* out, std::string* error) {
    size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string low;
    for (char c : name) low += lower(c);
    bool ok = low.size() == 12 && low.compare(8, 4, ".day") == 0;
    for (size_t i = 2; ok && i < 8; ++i) ok = low[i] >= '0' && low[i] <= '9';
    std::string market = ok ? low.substr(0, 2) : "";
    if (market != "sh" && market != "sz" && market != "bj") {
        *error = name + ": a day file is named like sh600000.day (sh, sz or bj, six digits, .day)";
        return false;
    }
    out->code = low.substr(2, 6);
    out->market = market == "sh" ? "SH" : market == "sz" ? "SZ" : "BJ";
    out->index = (market == "sh" && out->code.compare(0, 3, "000") == 0) ||
                 (market == "sz" && out->code.compare(0, 3, "399") == 0);
    return true;
}

bool parse_tdx_day(const unsigned char* bytes, size_t size, std::vector<BarRecord>* bars, std::string* error) {
    bars->clear();
    if (size % kTdxDayRecordBytes != 0) {
        *error = std::to_string(size) + " bytes: not whole records of 32 bytes";
        return false;
    }
    for (size_t off = 0; off < size; off += kTdxDayRecordBytes) {
        const unsigned char* r = bytes + off;
        std::string where = "record " + std::to_string(off / kTdxDayRecordBytes + 1);
        BarRecord b{};
        uint32_t date = decode_u32(r);
        if (!day_start(date, &b.time)) {
            *error = where + ": " + std::to_string(date) + " is no date from 1970 to 2038";
            return false;
        }
        if (!bars->empty() && b.time <= bars->back().time) {
            *error = where + ": " + std::to_string(date) + " does not come after the record before it";
            return false;
        }
        b.open = price(r + 4);
        b.high = price(r + 8);
        b.low = price(r + 12);
        b.close = price(r + 16);
        b.amount = decode_f32(r + 20);
        b.volume = static_cast<float>(decode_u32(r + 24));
        bars->push_back(b);
    }
    if (bars->empty()) return *error = "no bars", false;
    return true;
}
