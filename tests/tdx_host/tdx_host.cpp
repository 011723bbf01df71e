// A TDX-shaped host: loads TARVEX_TDX.dll as the terminal does (a 32-bit
// program for the 32-bit build, a 64-bit one for the 64-bit build), reads the
// packed table RegisterTdxFunc hands over against the function list and calls
// every function with the terminal's arrays. On each chart the labels must
// equal what the routines linked in here give on the record of a 大智慧 chart
// with the same closes, and on the charts of the trend-line tests also the
// labels those tests know. Prints a digest of all labels, so that a run can
// compare the two builds. Usage: tdx_host [DLL path]
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tdx_plugin/tdx_functions.h"
#include "tdx_plugin/tdx_plugin.h"

namespace {

int g_failures = 0;

void check(bool ok, const std::string& what) {
    if (!ok) ++g_failures, std::printf("  FAILED %s\n", what.c_str());
}

// One chart: closes (no number in input a before `start`), input b, and
// input c for the look-back and for the ratio numbers. `known` names the
// function whose labels a trend-line test knows on it; only that one runs.
struct Case {
    std::vector<float> closes;
    int start;
    float b, lookback, ratio;
    const char* known;
    std::map<int, float> labels;
};

std::vector<float> flat_with(int n, float base, const std::map<int, float>& changes) {
    std::vector<float> closes(static_cast<size_t>(n), base);
    for (const auto& kv : changes) closes[static_cast<size_t>(kv.first)] = kv.second;
    return closes;
}

// 300 closes of a random walk from 10, up to 3 % a bar with flat bars now and
// then; its own generator, so that every build sees the same walk.
std::vector<float> walk(uint32_t seed) {
    std::vector<float> closes;
    float v = 10.0f;
    for (int i = 0; i < 300; ++i) {
        seed = seed * 1664525u + 1013904223u;
        if ((seed & 7u) != 0) v *= 1.0f + 0.06f * (static_cast<float>(seed >> 8) / 16777216.0f - 0.5f);
        closes.push_back(v);
    }
    return closes;
}

std::vector<Case> cases() {
    const std::vector<float> three_levels = flat_with(50, 10.0f, {{12, 14.0f}, {24, 6.0f}, {36, 12.0f}});
    std::vector<float> series;
    for (int i = 0; i < 36; ++i) series.push_back(10.0f + 0.01f * static_cast<float>(i));
    series[8] += 5.0f, series[16] -= 5.0f, series[24] += 3.0f;
    std::vector<Case> all = {
        {flat_with(40, 10.0f, {{30, 12.0f}, {20, 15.0f}, {10, 20.0f}}), 0, 5, 240, 1.01f, "Tline", {{30, 1}, {20, 2}, {10, 3}}},
        {flat_with(40, 20.0f, {{30, 18.0f}, {20, 15.0f}, {10, 12.0f}}), 0, 5, 240, 1.01f, "TlineLow", {{30, 1}, {20, 2}, {10, 3}}},
        {three_levels, 0, 5, 50, 1.01f, "TlineAll", {{7, -1}, {12, 2}, {24, -2}, {36, 1}}},
        {series, 0, 5, 240, 1.01f, "TLineS", {{0, -1}, {8, 2}, {16, -2}, {24, 1}}},
        {three_levels, 0, 5, 240, 1.01f, "TlineNear", {{36, 1}, {24, 2}, {12, 3}, {7, 4}}},
    };
    const float windows[] = {3, 5, 8}, lookbacks[] = {60, 240, 1000}, ratios[] = {1.0f, 1.01f, 1.05f};
    for (uint32_t seed = 1; seed <= 3; ++seed)
        for (float b : windows)
            for (int v = 0; v < 3; ++v) all.push_back({walk(seed), seed == 3 ? 4 : 0, b, lookbacks[v], ratios[v], nullptr, {}});
    return all;
}

// What a 大智慧 user sees from f's TARVEX function on bars of the closes
// (highs and lows apart from them), parameter 1 the closes from `start`,
// parameter 2 b, c as the parameter f takes from input c (a TlineAll user
// writes the look-back 240 that the others leave out): no value, 0 here,
// before the returned index, none at all on -1.
std::vector<float> dzh_labels(const TdxFunction& f, const Case& k, float b, float c) {
    std::vector<BarRecord> bars(k.closes.size());
    for (size_t i = 0; i < bars.size(); ++i) {
        bars[i].open = bars[i].close = k.closes[i];
        bars[i].high = k.closes[i] + 1.0f, bars[i].low = k.closes[i] - 1.0f;
    }
    std::vector<float> result(k.closes.size(), -777.0f);
    const float lookback = 240.0f;
    const bool ratio = f.c == TdxInputC::kRatio;
    tagCALCINFO ci{};
    ci.stock_label = "600000";
    ci.data_count = static_cast<int32_t>(bars.size());
    ci.bars = bars.data();
    ci.param1_start = k.start;
    ci.param1 = k.closes.data();
    ci.param2 = &b;
    ci.param3 = ratio ? &c : nullptr;
    ci.param4 = !ratio ? &c : std::strcmp(f.name, "TlineAll") == 0 ? &lookback : nullptr;
    ci.result = result.data();
    ci.period = kPeriodDay;
    const int first = f.routine(ci);
    for (int i = 0; i < (first < 0 ? ci.data_count : first); ++i) result[i] = 0.0f;
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "TARVEX_TDX.dll";
    std::printf("TDX-shaped host, %d-bit: %s\n", static_cast<int>(8 * sizeof(void*)), path);
    HMODULE dll = LoadLibraryA(path);
    if (!dll) return std::printf("cannot load %s: error %lu\n", path, GetLastError()), 2;
    typedef int(TDX_CALL * RegisterFn)(PluginTCalcFuncInfo**);
    auto reg = reinterpret_cast<RegisterFn>(reinterpret_cast<void*>(GetProcAddress(dll, "RegisterTdxFunc")));
    if (!reg) return std::printf("%s does not export RegisterTdxFunc\n", path), 2;

    // Only an empty pointer receives the table; the entries are a 2-byte
    // number and a pointer with no padding, up to {0, NULL}.
    PluginTCalcFuncInfo held{};
    PluginTCalcFuncInfo* table = &held;
    check(reg(nullptr) == 0 && reg(&table) == 0 && table == &held, "RegisterTdxFunc refuses a null or a filled pointer");
    table = nullptr;
    if (reg(&table) != 1 || !table) return std::printf("RegisterTdxFunc handed over no table\n"), 1;
    const unsigned char* raw = reinterpret_cast<const unsigned char*>(table);
    const size_t stride = 2 + sizeof(void*);
    std::vector<TdxPluginFunc> calls(kTdxFunctionCount + 1);
    for (int k = 0; k <= kTdxFunctionCount; ++k) {
        unsigned short number;
        std::memcpy(&number, raw + k * stride, 2);
        std::memcpy(&calls[k], raw + k * stride + 2, sizeof calls[k]);
        const bool end = k == kTdxFunctionCount;
        check(number == (end ? 0 : kTdxFunctions[k].number) && (calls[k] == nullptr) == end, "entry " + std::to_string(k));
    }
    if (g_failures) return 1;
    std::printf("ok     table of %d functions, %d-byte entries\n", kTdxFunctionCount, static_cast<int>(stride));

    uint32_t digest = 2166136261u;
    int calls_made = 0, known = 0, labelled = 0;
    for (const Case& k : cases())
        for (int r = 0; r < kTdxFunctionCount; ++r) {
            const TdxFunction& f = kTdxFunctions[r];
            if (k.known && std::strcmp(f.name, k.known) != 0) continue;
            // The terminal's arrays: constants as equal values, garbage in the output.
            const size_t n = k.closes.size();
            const float c = f.c == TdxInputC::kLookBack ? k.lookback : k.ratio;
            std::vector<float> a = k.closes, b(n, k.b), cs(n, c), out(n, -777.0f);
            for (int i = 0; i < k.start; ++i) a[i] = std::nanf("");
            calls[r](static_cast<int>(n), out.data(), a.data(), b.data(), cs.data());
            const std::string what = std::to_string(f.number) + " " + f.name + " on " + std::to_string(n) +
                                     " bars, b " + std::to_string(k.b) + ", c " + std::to_string(c);
            check(out == dzh_labels(f, k, k.b, c), what + ": the routine's labels");
            if (k.known) {
                std::vector<float> want(n, 0.0f);
                for (const auto& kv : k.labels) want[static_cast<size_t>(kv.first)] = kv.second;
                check(out == want, what + ": the known labels");
                ++known;
            }
            for (float label : out) {
                unsigned char bytes[4];
                std::memcpy(bytes, &label, 4);
                for (unsigned char byte : bytes) digest = (digest ^ byte) * 16777619u;  // FNV-1a
                labelled += label != 0.0f;
            }
            ++calls_made;
        }
    std::printf("%s %d calls equal to the routines (%d labelled slots), %d of them on known charts\n",
                g_failures ? "FAILED" : "ok    ", calls_made, labelled, known);
    std::printf("labels digest %08X\n", static_cast<unsigned>(digest));
    std::printf("%s\n", g_failures ? "TDX host FAILED" : "TDX host passed");
    return g_failures ? 1 : 0;
}
