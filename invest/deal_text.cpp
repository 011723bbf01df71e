// Trade-record text pieces.
#include "invest/deal_text.h"

#include <cstdio>
#include <cstring>

#include "common/text.h"
#include "host/formula_call.h"
#include "platform/platform.h"

int split_fields(char* text, const char* sep, char** fields, int max_fields) {
    if (!text || !sep || !*sep) return 0;
    int n = 0;
    char* p = text;
    while (n < max_fields) {
        p += std::strspn(p, sep);
        if (!*p) break;
        fields[n++] = p;
        p += std::strcspn(p, sep);
        if (!*p) break;
        *p++ = '\0';
    }
    return n;
}

namespace {

bool contains(const char* text, const char* word) { return std::strstr(text, word) != nullptr; }

}  // namespace

bool recognise_columns(char* const* fields, int count, DealColumns* cols) {
    *cols = DealColumns();
    int found = 0;
    for (int i = 0; i < count && found < 4; ++i) {
        const char* f = fields[i];
        int* col = nullptr;
        if (contains(f, "日期") || contains(f, "时间")) col = &cols->time;
        else if (contains(f, "合约")) col = &cols->contract;
        else if (contains(f, "手数") || contains(f, "成交数量")) col = &cols->lots;
        else if (contains(f, "价格") || contains(f, "成交价")) col = &cols->price;
        if (!col) continue;
        *col = i;
        ++found;
    }
    return found == 4 && cols->time >= 0 && cols->contract >= 0 && cols->lots >= 0 && cols->price >= 0;
}

bool parse_trade_time(const char* text, int64_t* out) {
    if (!text) return false;
    const char* pattern = std::strchr(text, '/') ? "%4d/%2d/%2d %2d:%2d:%2d" : "%4d-%2d-%2d %2d:%2d:%2d";
    plat::LocalTime t{};
    if (std::sscanf(text, pattern, &t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second) != 6) return false;
    int64_t s;
    if (!plat::seconds_from_local(t, &s) || s > INT32_MAX) return false;
    *out = s;
    return true;
}

void split_lots_price(float value, int* lots, float* price) {
    *lots = truncate_to_int(value / 10000.0f);
    *price = value - static_cast<float>(*lots) * 10000.0f;
}

float merge_trades(float older, float newer) {
    int vol1, vol2;
    float price1, price2;
    split_lots_price(older, &vol1, &price1);
    split_lots_price(newer, &vol2, &price2);
    int64_t total = static_cast<int64_t>(vol1) + vol2;
    if (total == 0) return (price1 + price2) / 2.0f;  // no quantity to weigh by
    float average = (static_cast<float>(vol1) * price1 + static_cast<float>(vol2) * price2) / static_cast<float>(total);
    return static_cast<float>(total * 10000) + average;
}

bool mode_words(int mode, const char** buysell, const char** openclose) {
    if (mode < 1 || mode > 4) return false;
    *buysell = mode == 1 || mode == 3 ? "买" : "卖";
    *openclose = mode <= 2 ? "开" : "平";
    return true;
}

void chart_contract(const char* label, char* out, int cap) {
    copy_text(out, static_cast<size_t>(cap), label);
    if (std::strlen(out) < 2) return;
    char* z = std::strstr(out + 2, "00");
    if (z && z[-1] >= 'A' && z[-1] <= 'Y') *z = '\0';
}

bool shorten_contract(char* contract) {
    size_t len = std::strlen(contract);
    if (len < 4) return false;
    contract[len - 4] = contract[len - 2];
    contract[len - 3] = contract[len - 1];
    contract[len - 2] = '\0';
    return true;
}
