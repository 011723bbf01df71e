// Display codes, code numbers, LableGet over the host's security-information
// files, and the bounded tick-flow slot table.
#include <string>

#include "common/codes.h"
#include "common/tick_flow_slots.h"
#include "formulas/exports.h"
#include "tests/native/support.h"
#include "tests/stock_info_bytes.h"

TEST(Codes, PrefixesAndNumbers) {
    struct Case { const char* code; int flag; const char* want; };
    for (const Case& c : {Case{"000001", 0, "SZ0000"}, {"00700", 0, "HK0070"}, {"900901", 0, "B$9009"},
                          {"SH6000", 0, "SH6000"}, {"399001", 1, "SZ3990"}, {"SH0", 1, "B$SH0"}}) {
        Chart chart(1);
        chart.label = c.code, chart.label_flag = c.flag;
        char out[7];  // cut, never written past
        market_prefix(chart.ci(), out, sizeof out);
        EXPECT_STREQ(out, c.want) << c.code;
    }
    EXPECT_TRUE(prices_match(10.2345, 10.2355f));
    EXPECT_FALSE(prices_match(10.23, 10.2321f));
    EXPECT_EQ(code_number("  -12x"), -12);
    EXPECT_EQ(code_number("99999999999999"), 2147483647);  // saturates
}

TEST_F(HostTest, SlotTableSortedAndBounded) {
    reset_tick_flow_slots();
    for (auto step : {std::make_pair("600000", 0), {"000001", 0}, {"300001", 1}, {"600000", 2}, {"SZ000001", 0}})
        EXPECT_EQ(skcode2fbno(step.first), step.second) << step.first;
    reset_tick_flow_slots();
    for (int n = 0; n < kTickFlowSlotLimit; ++n) ASSERT_EQ(skcode2fbno(std::to_string(2 * n).c_str()), n);
    EXPECT_EQ(skcode2fbno("1"), -1);  // the 4001st code is refused
    EXPECT_EQ(tick_flow_slot_count(), kTickFlowSlotLimit);
    EXPECT_NE(log_text().find("-> skcode2fbno 错误,skcode= 1"), std::string::npos);
    EXPECT_EQ(skcode2fbno("7998"), 3999);
    reset_tick_flow_slots();
}

TEST_F(HostTest, LableGetNewerFileFirstOlderOnlyWhenMissing) {
    for (const char* d : {"data", "data/SH", "data/SZ"}) make_dir(d);
    write_bytes("data/SH/STKINFO70.DAT", stock_info_file(17574, 320, {{"600001", 3}, {"600000", -10}}));
    write_bytes("data/SH/STKINFO60.DAT", stock_info_file(11259470, 273, {{"600002", 5}}));
    write_bytes("data/SZ/STKINFO60.DAT", stock_info_file(11259470, 273, {{"000002", 1}, {"000001", 127}}));
    struct Case { const char* code; int flag; int want; float slot; };
    for (const Case& k : {Case{"600000", 0, 2, -10}, {"000001", 0, 2, 127}, {"600002", 0, -1, -777},
                          {"60000", 0, -1, -777}, {"600001", 1, -1, -777}}) {
        Chart c(3);
        c.label = k.code, c.label_flag = k.flag;
        EXPECT_EQ(LableGet(&c.ci()), k.want) << k.code;
        EXPECT_EQ(c.result[2], k.slot) << k.code;
    }
    EXPECT_NE(log_text().find("-> GetStockInfo 没有找到股票: 600002"), std::string::npos);
    EXPECT_EQ(log_text().find("600001"), std::string::npos);  // an index is not looked up
    std::remove(at("data/SZ/STKINFO60.DAT").c_str());
    Chart c(1);
    c.label = "000001";
    EXPECT_EQ(LableGet(&c.ci()), -1);
    EXPECT_NE(log_text().find("-> 没找到文件 " + win("data/SZ/STKINFO60.DAT")), std::string::npos);
}
