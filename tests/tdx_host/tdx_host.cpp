// A TDX-shaped host: loads TARVEX_TDX.dll as the terminal does (a 32-bit
// program for the 32-bit build, a 64-bit one for the 64-bit build), takes the
// table from RegisterTdxFunc, reads its packed bytes against the function
// list and calls every function with the terminal's arrays: on charts whose
// labels the trend-line tests know, and on random walks, where the labels
// must equal what the routines linked in here give on the record of a 大智慧
// chart with the same closes. Prints a digest of the labels, so that a run
// can compare the two builds. Usage: tdx_host [DLL path]
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

std::vector<float> flat_with(int n, float base, const std::map<int, float>& changes) {
    std::vector<float> closes(static_cast<size_t>(n), base);
    for (const auto& kv : changes) closes[static_cast<size_t>(kv.first)] = kv.second;
    return closes;
}

// n closes of a random walk from 10, up to 3 % a bar with flat bars now and
// then; its own generator, so that every build sees the same walk.
std::vector<float> walk(int n, uint32_t seed) {
    std::vector<float> closes;
    float v = 10.0f;
    for (int i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        if ((seed & 7u) != 0) v *= 1.0f + 0.06f * (static_cast<float>(seed >> 8) / 16777216.0f - 0.5f);
        closes.push_back(v);
    }
    return closes;
}

// What a 大智慧 user sees from f's TARVEX function on bars of these closes
// (highs and lows apart from them), parameter 1 the closes from `start`,
// parameter 2 b and c the parameter f takes from input c; a TlineAll user
// writes the look-back 240 the others leave out. No value (0 here) before
// the returned index, none at all on -1.
std::vector<float> dzh_labels(const TdxFunction& f, const std::vector<float>& closes, float b, float c, int start) {
    std::vector<BarRecord> bars(closes.size());
    for (size_t i = 0; i < bars.size(); ++i) {
        bars[i].open = bars[i].close = closes[i];
        bars[i].high = closes[i] + 1.0f;
        bars[i].low = closes[i] - 1.0f;
    }
    std::vector<float> result(closes.size(), -777.0f);
    const float lookback = 240.0f;
    const bool ratio = f.c == TdxInputC::kRatio;
    tagCALCINFO ci{};
    ci.stock_label = "600000";
    ci.data_count = static_cast<int32_t>(closes.size());
    ci.bars = bars.data();
    ci.param1_start = start;
    ci.param1 = closes.data();
    ci.param2 = &b;
    ci.param3 = ratio ? &c : nullptr;
    ci.param4 = !ratio ? &c : std::strcmp(f.name, "TlineAll") == 0 ? &lookback : nullptr;
    ci.result = result.data();
    ci.period = kPeriodDay;
    const int first = f.routine(ci);
    for (int i = 0; i < (first < 0 ? ci.data_count : first); ++i) result[i] = 0.0f;
    return result;
}

// The terminal's call: constants as arrays of equal values, garbage in the output.
std::vector<float> tdx_call(TdxPluginFunc fn, std::vector<float> a, float b, float c) {
    std::vector<float> out(a.size(), -777.0f), bs(a.size(), b), cs(a.size(), c);
    fn(static_cast<int>(a.size()), out.data(), a.data(), bs.data(), cs.data());
    return out;
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
    std::vector<TdxPluginFunc> calls;
    for (int k = 0; k <= kTdxFunctionCount; ++k) {
        unsigned short number;
        TdxPluginFunc call;
        std::memcpy(&number, raw + k * stride, 2);
        std::memcpy(&call, raw + k * stride + 2, sizeof call);
        const bool end = k == kTdxFunctionCount;
        check(number == (end ? 0 : kTdxFunctions[k].number) && (call == nullptr) == end,
              "table entry " + std::to_string(k));
        calls.push_back(call);
    }
    if (g_failures) return 1;
    std::printf("ok     table of %d functions, %d-byte entries\n", kTdxFunctionCount, static_cast<int>(stride));

    struct Known {
        const char* name;
        std::vector<float> closes;
        float lookback;  // input c of the look-back numbers; the ratio numbers get 1.01
        std::map<int, float> labels;
    };
    const std::vector<float> three_levels = flat_with(50, 10.0f, {{12, 14.0f}, {24, 6.0f}, {36, 12.0f}});
    std::vector<float> series;
    for (int i = 0; i < 36; ++i) series.push_back(10.0f + 0.01f * static_cast<float>(i));
    series[8] += 5.0f, series[16] -= 5.0f, series[24] += 3.0f;
    const Known known[] = {
        {"Tline", flat_with(40, 10.0f, {{30, 12.0f}, {20, 15.0f}, {10, 20.0f}}), 240, {{30, 1}, {20, 2}, {10, 3}}},
        {"TlineLow", flat_with(40, 20.0f, {{30, 18.0f}, {20, 15.0f}, {10, 12.0f}}), 240, {{30, 1}, {20, 2}, {10, 3}}},
        {"TlineAll", three_levels, 50, {{7, -1}, {12, 2}, {24, -2}, {36, 1}}},
        {"TLineS", series, 240, {{0, -1}, {8, 2}, {16, -2}, {24, 1}}},
        {"TlineNear", three_levels, 240, {{36, 1}, {24, 2}, {12, 3}, {7, 4}}},
    };
    int before = g_failures, known_calls = 0;
    for (const Known& k : known)
        for (int r = 0; r < kTdxFunctionCount; ++r) {
            const TdxFunction& f = kTdxFunctions[r];
            if (std::strcmp(f.name, k.name) != 0) continue;
            std::vector<float> want(k.closes.size(), 0.0f);
            for (const auto& kv : k.labels) want[static_cast<size_t>(kv.first)] = kv.second;
            const float c = f.c == TdxInputC::kLookBack ? k.lookback : 1.01f;
            check(tdx_call(calls[r], k.closes, 5.0f, c) == want, "known labels of " + std::to_string(f.number));
            ++known_calls;
        }
    std::printf("%s %d calls on the known charts\n", g_failures == before ? "ok    " : "FAILED", known_calls);

    // Random walks, three windows, three look-backs or ratios; the third walk
    // has no number in a for its first 4 bars.
    before = g_failures;
    uint32_t digest = 2166136261u;
    int compared = 0, labelled = 0;
    const float windows[] = {3, 5, 8}, lookbacks[] = {60, 240, 1000}, ratios[] = {1.0f, 1.01f, 1.05f};
    for (uint32_t seed = 1; seed <= 3; ++seed)
        for (float b : windows)
            for (int v = 0; v < 3; ++v)
                for (int r = 0; r < kTdxFunctionCount; ++r) {
                    const TdxFunction& f = kTdxFunctions[r];
                    const std::vector<float> closes = walk(300, seed);
                    const int start = seed == 3 ? 4 : 0;
                    std::vector<float> a = closes;
                    for (int i = 0; i < start; ++i) a[i] = std::nanf("");
                    const float c = f.c == TdxInputC::kLookBack ? lookbacks[v] : ratios[v];
                    const std::vector<float> got = tdx_call(calls[r], a, b, c);
                    check(got == dzh_labels(f, closes, b, c, start),
                          std::to_string(f.number) + " on walk " + std::to_string(seed) + ", b " +
                              std::to_string(b) + ", c " + std::to_string(c));
                    for (float label : got) {
                        unsigned char bytes[4];
                        std::memcpy(bytes, &label, 4);
                        for (unsigned char byte : bytes) digest = (digest ^ byte) * 16777619u;  // FNV-1a
                        labelled += label != 0.0f;
                    }
                    ++compared;
                }
    std::printf("%s %d calls equal to the routines on random walks (%d labelled slots)\n",
                g_failures == before ? "ok    " : "FAILED", compared, labelled);
    std::printf("labels digest %08X\n", static_cast<unsigned>(digest));
    std::printf("%s\n", g_failures ? "TDX host FAILED" : "TDX host passed");
    return g_failures ? 1 : 0;
}
