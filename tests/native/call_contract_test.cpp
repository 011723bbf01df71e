// The calling contract: parameter reading, the result shapes, and the clock
// exports end to end through their entry points.
#include <cmath>
#include <climits>

#include "formulas/clock.h"
#include "formulas/exports.h"
#include "host/export_table.h"
#include "host/formula_call.h"
#include "platform/portable_testing.h"
#include "tests/native/support.h"

TEST(Params, CurrentValueFollowsTheStart) {
    Chart c(10);
    c.constant(7.0f);
    EXPECT_EQ(param1_current(c.ci()), 7.0f);
    std::vector<float> s(10);
    for (int i = 0; i < 10; ++i) s[i] = static_cast<float>(i);
    c.series(s, 5);
    EXPECT_EQ(param1_current(c.ci()), 9.0f);
    c.series(s, 0);
    EXPECT_EQ(param1_current(c.ci()), 9.0f);
}

TEST(Params, TruncationTowardZeroAndNoUndefinedConversions) {
    EXPECT_EQ(truncate_to_int(3.9f), 3);
    EXPECT_EQ(truncate_to_int(-3.9f), -3);
    EXPECT_EQ(truncate_to_int(699999.0f), 699999);
    EXPECT_EQ(truncate_to_int(NAN), 0);
    EXPECT_EQ(truncate_to_int(INFINITY), INT_MAX);
    EXPECT_EQ(truncate_to_int(-1e20f), INT_MIN);
}

TEST(Results, ShapesWriteOnlyTheirSlots) {
    Chart c(10);
    EXPECT_EQ(set_last_slot(c.ci(), 5.0f), 9);
    EXPECT_EQ(c.result[9], 5.0f);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(c.result[i], -777.0f);
    EXPECT_EQ(fill_all_slots(c.ci(), 2.0f), 0);
    for (float v : c.result) EXPECT_EQ(v, 2.0f);
}

TEST(Results, NoSlotIsWrittenWithoutBars) {
    Chart c(0);
    float guard = -1.0f;
    tagCALCINFO& ci = c.ci();
    ci.result = &guard;  // a slot that does not belong to the record
    EXPECT_EQ(set_last_slot(ci, 5.0f), -1);
    EXPECT_EQ(fill_all_slots(ci, 5.0f), -1);
    EXPECT_EQ(systime(&ci), -1);
    EXPECT_EQ(minutes(&ci), -1);
    EXPECT_EQ(time0(&ci), -1);
    EXPECT_EQ(guard, -1.0f);
}

TEST(TradingMinute, SampleTimesOfTheTradingDay) {
    struct Row { int h, m, want; } rows[] = {
        {0, 0, 0},    {9, 0, 0},     {9, 24, 0},    {9, 25, 5},    {9, 29, 5},    {9, 30, 6},
        {10, 0, 36},  {11, 29, 125}, {11, 30, 185}, {12, 58, 185}, {12, 59, 215}, {13, 0, 126},
        {14, 0, 186}, {14, 58, 244}, {14, 59, 245}, {15, 0, 245},  {23, 59, 245},
    };
    for (const Row& r : rows) EXPECT_EQ(trading_minute(r.h, r.m), r.want) << r.h << ":" << r.m;
}

class ClockExports : public HostTest {};

TEST_F(ClockExports, ValuesFromTheLocalClock) {
    plat_testing::set_now(local_seconds(2026, 12, 7, 9, 31, 5));
    Chart c(10);
    EXPECT_EQ(systime(&c.ci()), 9);
    EXPECT_EQ(c.result[9], 93105.0f);
    EXPECT_EQ(c.result[8], -777.0f);
    EXPECT_EQ(minutes(&c.ci()), 9);
    EXPECT_EQ(c.result[9], 7.0f);
    EXPECT_EQ(time0(&c.ci()), 0);
    for (float v : c.result) EXPECT_EQ(v, 571.0f);

    plat_testing::set_now(local_seconds(2026, 12, 7, 0, 0, 7));
    EXPECT_EQ(systime(&c.ci()), 9);
    EXPECT_EQ(c.result[9], 7.0f);
    plat_testing::set_now(local_seconds(2026, 12, 7, 9, 24, 59));
    minutes(&c.ci());
    EXPECT_EQ(c.result[9], 0.0f);
}

TEST_F(ClockExports, SumSecAndMsgLeaveTheResultAlone) {
    Chart c(3);
    EXPECT_EQ(SumSec(&c.ci()), -1);
    EXPECT_EQ(msg(&c.ci()), 0);
    for (float v : c.result) EXPECT_EQ(v, -777.0f);
}

TEST(ExportTable, FortyFourDistinctExportsInTheirSymbolForms) {
    ASSERT_EQ(kExportCount, 44);
    int decorated = 0;
    for (int i = 0; i < kExportCount; ++i) {
        const ExportEntry& e = kExportTable[i];
        std::string sym = e.symbol;
        if (sym[0] == '?') {
            ++decorated;
            EXPECT_EQ(sym.rfind(std::string("?") + e.function + "@@YG", 0), 0u) << sym;
        } else {
            EXPECT_EQ(sym, std::string("_") + e.function + "@4");
        }
        for (int j = 0; j < i; ++j) EXPECT_STRNE(kExportTable[j].symbol, e.symbol);
    }
    EXPECT_EQ(decorated, 6);
    EXPECT_STREQ(find_export("savedata0")->symbol, "?savedata0@@YGHPADJ0M@Z");
    EXPECT_EQ(find_export("savedata0")->arg_bytes, 16);
}
