// Display codes, price matching, code numbers, the host's security records
// (LableGet) and the bounded tick-flow slot table.
#include <string>

#include "common/codes.h"
#include "common/stock_info.h"
#include "common/tick_flow_slots.h"
#include "formulas/exports.h"
#include "platform/portable_testing.h"
#include "tests/native/support.h"
#include "tests/stock_info_bytes.h"

TEST(Codes, PrefixesPeriodsPricesNumbers) {
    struct Prefix { const char* code; int flag; const char* want; };
    for (const Prefix& c : {Prefix{"600000", 0, "SH600000"}, {"000001", 0, "SZ000001"}, {"00700", 0, "HK00700"},
                            {"900901", 0, "B$900901"}, {"SH600000", 0, "SH600000"}, {"000001", 1, "SH000001"},
                            {"399001", 1, "SZ399001"}, {"SH000001", 1, "B$SH000001"}}) {
        Chart chart(1);
        chart.label = c.code;
        chart.label_flag = c.flag;
        char out[8];  // cut, never written past
        market_prefix(chart.ci(), out, sizeof out);
        EXPECT_EQ(std::string(c.want).substr(0, 7), out) << c.code;
    }
    EXPECT_STREQ(period_name_of(2), "OTH");
    EXPECT_STREQ(period_name_of(8), "DAY");
    EXPECT_TRUE(prices_match(10.2345, 10.2355f));
    EXPECT_FALSE(prices_match(10.23, 10.2321f));
    EXPECT_FALSE(prices_match(1e300, -1e30f));  // clamped, not undefined
    EXPECT_EQ(code_number("  -12x"), -12);
    EXPECT_EQ(code_number("SH600000"), 0);
    EXPECT_EQ(code_number("99999999999999"), 2147483647);
}

class SlotTest : public HostTest {
protected:
    void SetUp() override { HostTest::SetUp(), reset_tick_flow_slots(); }
    void TearDown() override { reset_tick_flow_slots(), HostTest::TearDown(); }
};

TEST_F(SlotTest, SortedAndBounded) {
    for (auto step : {std::make_pair("600000", 0), {"000001", 0}, {"300001", 1}, {"600000", 2}, {"SZ000001", 0}})
        EXPECT_EQ(skcode2fbno(step.first), step.second) << step.first;
    reset_tick_flow_slots();
    for (int n = 0; n < kTickFlowSlotLimit; ++n) ASSERT_EQ(skcode2fbno(std::to_string(2 * n).c_str()), n);
    EXPECT_EQ(skcode2fbno("1"), -1);  // the 4001st code is refused
    EXPECT_EQ(tick_flow_slot_count(), kTickFlowSlotLimit);
    EXPECT_NE(log_text().find("-> skcode2fbno 错误,skcode= 1"), std::string::npos);
    EXPECT_EQ(skcode2fbno("7998"), 3999);  // known codes keep their slots
}

class StockInfoTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        for (const char* d : {"data", "data/SH", "data/SZ"}) make_dir(d);
    }
    int lable_get(const char* code, int flag = 0) {
        Chart c(3);
        c.label = code;
        c.label_flag = flag;
        int r = LableGet(&c.ci());
        slot = c.result[2];
        return r;
    }
    float slot = 0;
};

TEST_F(StockInfoTest, NewerFileFirstOlderOnlyWhenMissing) {
    write_bytes("data/SH/STKINFO70.DAT", stock_info_file(kStkInfo70, {{"600001", 3}, {"600000", -10}}));
    write_bytes("data/SH/STKINFO60.DAT", stock_info_file(kStkInfo60, {{"600002", 5}}));
    write_bytes("data/SZ/STKINFO60.DAT", stock_info_file(kStkInfo60, {{"000002", 1}, {"000001", 127}}));
    EXPECT_EQ(lable_get("600000"), 2);
    EXPECT_EQ(slot, -10.0f);
    EXPECT_EQ(lable_get("000001"), 2);
    EXPECT_EQ(slot, 127.0f);
    EXPECT_EQ(log_text(), "");
    EXPECT_EQ(lable_get("600002"), -1);  // STKINFO70 lacks it: the older file is not consulted
    EXPECT_EQ(lable_get("60000"), -1);   // a prefix of a code is not the code
    EXPECT_EQ(slot, -777.0f);
    EXPECT_NE(log_text().find("-> GetStockInfo 没有找到股票: 600002"), std::string::npos);
    plat_testing::reset_faults();
    EXPECT_EQ(lable_get("600001", 1), -1);  // an index: no file opened
    EXPECT_EQ(plat_testing::count_of(plat_testing::Op::open), 0);

    std::remove(at("data/SZ/STKINFO60.DAT").c_str());
    EXPECT_EQ(lable_get("000001"), -1);
    EXPECT_NE(log_text().find("-> 没找到文件 " + win("data/SZ/STKINFO60.DAT")), std::string::npos);
    Bytes cut = stock_info_file(kStkInfo70, {{"600001", 3}});
    cut[8] = 200;  // more records than the file holds: the search stops at its end
    write_bytes("data/SH/STKINFO70.DAT", cut);
    EXPECT_EQ(lable_get("600000"), -1);
}
