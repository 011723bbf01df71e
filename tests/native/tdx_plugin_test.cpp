// The TDX plug-in's front end on the arrays a terminal may hand it, and its
// docs page. The labels of every function against the routines, through the
// built DLLs, are the TDX-shaped host's test (tests/tdx_host).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "tdx_plugin/tdx_functions.h"
#include "tdx_plugin/tdx_plugin.h"

namespace {

std::vector<float> same(size_t n, float v) { return std::vector<float>(n, v); }

// Function `number` of the table RegisterTdxFunc hands over, called as the
// terminal calls it; the output starts out as garbage.
std::vector<float> tdx_call(unsigned number, std::vector<float> a, std::vector<float> b, std::vector<float> c) {
    PluginTCalcFuncInfo* table = nullptr;
    EXPECT_EQ(RegisterTdxFunc(&table), 1);
    while (table->number != number) ++table;
    std::vector<float> out(a.size(), -777.0f);
    table->call(static_cast<int>(a.size()), out.data(), a.data(), b.data(), c.data());
    return out;
}

}  // namespace

TEST(TdxPlugin, OddArraysFromTheTerminal) {
    const float nan = std::nanf("");
    // Flat 10 with peaks 12, 15 and 20 at bars 30, 20 and 10: Tline labels 1, 2, 3.
    std::vector<float> closes = same(40, 10.0f), tline = same(40, 0.0f);
    for (int k = 1; k <= 3; ++k) closes[40 - 10 * k] = 10.0f + static_cast<float>(k * k + 1), tline[40 - 10 * k] = k;
    // b as a series: its value on the last bar counts, as a constant's would.
    std::vector<float> b = same(40, 50.0f);
    b.back() = 5.0f;
    EXPECT_EQ(tdx_call(1, closes, b, same(40, 240.0f)), tline);
    EXPECT_EQ(tdx_call(6, closes, b, same(40, 1.01f)), tline);
    // Too few bars for the window: refused, and every slot 0, none left as it came.
    EXPECT_EQ(tdx_call(1, closes, same(40, 21.0f), same(40, 240.0f)), same(40, 0.0f));
    // No number at all in a, or no a: nothing to label.
    EXPECT_EQ(tdx_call(3, same(40, nan), same(40, 5.0f), same(40, 240.0f)), same(40, 0.0f));
    std::vector<float> out = same(40, -777.0f);
    run_tdx_function(kTdxFunctions[2], 40, out.data(), nullptr, b.data(), b.data());
    EXPECT_EQ(out, same(40, 0.0f));
    // No peak above 0: Tline marks slot 0, but only when the series starts there.
    std::vector<float> low = same(20, -1.0f);
    EXPECT_EQ(tdx_call(1, low, same(20, 5.0f), same(20, 240.0f))[0], 1.0f);
    low[0] = nan;
    EXPECT_EQ(tdx_call(1, low, same(20, 5.0f), same(20, 240.0f)), same(20, 0.0f));
    // No bars or no output: nothing is written or read.
    out = {-777.0f};
    run_tdx_function(kTdxFunctions[0], 0, out.data(), nullptr, nullptr, nullptr);
    EXPECT_EQ(out[0], -777.0f);
    run_tdx_function(kTdxFunctions[0], 5, nullptr, nullptr, nullptr, nullptr);
}

TEST(TdxPlugin, DocsPageListsEveryNumber) {
    std::ifstream in(std::string(TARVEX_SOURCE_DIR) + "/docs/tdx_plugin.md");
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string page = ss.str();  // UTF-8, as the u8 texts below
    for (int r = 0; r < kTdxFunctionCount; ++r) {
        const TdxFunction& f = kTdxFunctions[r];
        const std::string row = "| " + std::to_string(f.number) + " | `" + f.name + "` | " +
                                (f.c == TdxInputC::kLookBack ? u8"回看根数" : u8"合并比例") + " |";
        EXPECT_NE(page.find(row), std::string::npos) << row;
    }
}
