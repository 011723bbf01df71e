// CSV bars and the sample chart.
#include "tools/harness/lib/bars_input.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

bool parse_time(const std::string& s, int32_t* out) {
    int y, mo, d, h = 0, mi = 0, se = 0;
    char tail;
    int n = std::sscanf(s.c_str(), "%d-%d-%d %d:%d:%d%c", &y, &mo, &d, &h, &mi, &se, &tail);
    if (n >= 3 && n <= 6 && mo >= 1 && mo <= 12 && d >= 1 && d <= 31) {
        long long t = days_from_civil(y, mo, d) * 86400;
        if (n >= 5) t += h * 3600 + mi * 60 + se - 8 * 3600;
        *out = static_cast<int32_t>(t);
        return n != 4;
    }
    char* end = nullptr;
    long long v = std::strtoll(s.c_str(), &end, 10);
    if (end == s.c_str() || *end != '\0') return false;
    *out = static_cast<int32_t>(v);
    return true;
}

}  // namespace

long long days_from_civil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<long long>(era) * 146097 + static_cast<long long>(doe) - 719468;
}

bool parse_bars_csv(const std::string& text, std::vector<BarRecord>* bars, std::string* error) {
    bars->clear();
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (number == 1 && !std::isdigit(static_cast<unsigned char>(line[0]))) continue;
        std::vector<std::string> f;
        std::stringstream ls(line);
        std::string field;
        while (std::getline(ls, field, ',')) f.push_back(field);
        BarRecord b{};
        char* end = nullptr;
        bool ok = f.size() == 7 && parse_time(f[0], &b.time);
        float* values[] = {&b.open, &b.high, &b.low, &b.close, &b.volume, &b.amount};
        for (int i = 0; ok && i < 6; ++i) {
            *values[i] = std::strtof(f[i + 1].c_str(), &end);
            ok = end != f[i + 1].c_str() && *end == '\0';
        }
        if (!ok) {
            *error = "line " + std::to_string(number) + ": expected time,open,high,low,close,volume,amount";
            return false;
        }
        bars->push_back(b);
    }
    if (bars->empty()) return *error = "no bars", false;
    return true;
}

std::vector<BarRecord> sample_bars() {
    std::vector<BarRecord> bars(120);
    float prev = 10.0f;
    for (int i = 0; i < 120; ++i) {
        BarRecord& b = bars[i];
        b.time = static_cast<int32_t>(1704153600 + 86400LL * i);
        float close = 10.0f + 1.5f * std::sin(i / 7.0f) + 0.6f * std::sin(i / 2.3f) + 0.01f * i;
        close = std::round(close * 100.0f) / 100.0f;
        b.open = prev;
        b.close = close;
        b.high = std::fmax(prev, close) + 0.12f;
        b.low = std::fmin(prev, close) - 0.11f;
        b.volume = 100000.0f + 5000.0f * (i % 13);
        b.amount = b.volume * close;
        prev = close;
    }
    return bars;
}
