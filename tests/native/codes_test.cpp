// Display codes, period names, price matching, code numbers, the host's
// security-information files and the tick-flow slot table.
#include <string>

#include "common/codes.h"
#include "common/stock_info.h"
#include "common/tick_flow_slots.h"
#include "formulas/exports.h"
#include "platform/portable_testing.h"
#include "tests/native/support.h"
#include "tests/stock_info_bytes.h"

TEST(Codes, MarketPrefix) {
    struct Case { const char* code; int flag; const char* want; };
    const Case cases[] = {
        {"600000", 0, "SH600000"}, {"000001", 0, "SZ000001"}, {"00700", 0, "HK00700"},
        {"900901", 0, "B$900901"}, {"SH600000", 0, "SH600000"}, {"599999", 0, "SZ599999"},
        {"000001", 1, "SH000001"}, {"399001", 1, "SZ399001"}, {"399000", 1, "SH399000"},
        {"SH000001", 1, "B$SH000001"}, {"", 0, "HK"},
    };
    for (const Case& c : cases) {
        Chart chart(1);
        chart.label = c.code;
        chart.label_flag = c.flag;
        char out[20];
        market_prefix(chart.ci(), out, sizeof out);
        EXPECT_STREQ(out, c.want) << c.code << " flag " << c.flag;
    }
    Chart longer(1);
    longer.label = "12345678901234567890";
    char small[8];
    market_prefix(longer.ci(), small, sizeof small);
    EXPECT_STREQ(small, "SZ12345");
}

TEST(Codes, PeriodNames) {
    const char* names[] = {"OTH", "OTH", "OTH", "M1", "M5", "M15", "M30", "M60", "DAY", "WEK", "MON", "OTH"};
    for (int p = 0; p <= 11; ++p) EXPECT_STREQ(period_name_of(p), names[p]) << p;
    Chart c(1);
    c.period = kPeriodDay;
    char out[8];
    period_name(c.ci(), out, sizeof out);
    EXPECT_STREQ(out, "DAY");
}

TEST(Codes, PricesMatchToAThousandth) {
    struct Case { double a; float b; bool want; };
    const Case cases[] = {
        {10.2345, 10.2355f, true}, {10.23, 10.2321f, false}, {10.0, 10.0f, true},
        {-1.5, -1.501f, true}, {1e12, 1e12f, true}, {0.0, 0.003f, false},
    };
    for (const Case& c : cases) EXPECT_EQ(prices_match(c.a, c.b), c.want) << c.a << " " << c.b;
}

TEST(Codes, CodeNumbers) {
    struct Case { const char* code; int want; };
    const Case cases[] = {
        {"600000", 600000}, {"000001", 1}, {"SH600000", 0}, {"  -12x", -12}, {"+7", 7},
        {"", 0}, {"99999999999999", 2147483647}, {"-99999999999999", -2147483647 - 1},
    };
    for (const Case& c : cases) EXPECT_EQ(code_number(c.code), c.want) << c.code;
}

class TickFlowSlotTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        reset_tick_flow_slots();
    }
    void TearDown() override {
        reset_tick_flow_slots();
        HostTest::TearDown();
    }
};

TEST_F(TickFlowSlotTest, SortedInsertion) {
    struct Step { const char* code; int want; };
    const Step steps[] = {{"600000", 0}, {"000001", 0}, {"300001", 1}, {"600000", 2},
                          {"SH600000", 0}, {"SZ000001", 0}, {"000001", 1}};
    for (const Step& s : steps) EXPECT_EQ(skcode2fbno(s.code), s.want) << s.code;
    EXPECT_EQ(tick_flow_slot_count(), 4);
    int numbers[] = {0, 1, 300001, 600000};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(tick_flow_slot(i).code_number, numbers[i]);
}

TEST_F(TickFlowSlotTest, TableNeverGrowsPastItsBound) {
    for (int n = 0; n < kTickFlowSlotLimit; ++n) ASSERT_EQ(skcode2fbno(std::to_string(2 * n).c_str()), n);
    EXPECT_EQ(log_text(), "");
    EXPECT_EQ(skcode2fbno("1"), -1);
    EXPECT_EQ(skcode2fbno("99999"), -1);
    EXPECT_EQ(tick_flow_slot_count(), kTickFlowSlotLimit);
    EXPECT_NE(log_text().find("-> skcode2fbno 错误,skcode= 1"), std::string::npos);
    EXPECT_NE(log_text().find("-> skcode2fbno 错误,skcode= 99999"), std::string::npos);
    EXPECT_EQ(skcode2fbno("7998"), 3999);  // known codes keep their slots
    EXPECT_EQ(skcode2fbno("0"), 0);
}

class StockInfoTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        make_dir("data");
        make_dir("data/SH");
        make_dir("data/SZ");
    }
    int lable_get(const char* code, int flag, float* slot) {
        Chart c(3);
        c.label = code;
        c.label_flag = flag;
        int r = LableGet(&c.ci());
        *slot = c.result[2];
        return r;
    }
};

TEST_F(StockInfoTest, FindsTheRecordInEitherVersion) {
    write_bytes("data/SH/STKINFO70.DAT", stock_info_file(kStkInfo70, {{"600001", 3}, {"600000", -10}}));
    write_bytes("data/SZ/STKINFO60.DAT", stock_info_file(kStkInfo60, {{"000002", 1}, {"000001", 127}}));
    char info[kStockInfoBytes];
    EXPECT_EQ(GetStockInfo("600000", info), 0.0f);
    EXPECT_STREQ(info, "600000");
    EXPECT_EQ(static_cast<unsigned char>(info[271]), 0xF6);
    EXPECT_EQ(static_cast<unsigned char>(info[100]), 0x5A);
    EXPECT_EQ(GetStockInfo("000001", info), 0.0f);  // no STKINFO70 in SZ: the older file
    EXPECT_EQ(info[271], 127);
    EXPECT_EQ(log_text(), "");

    float slot = 0;
    EXPECT_EQ(lable_get("600000", 0, &slot), 2);
    EXPECT_EQ(slot, -10.0f);
    EXPECT_EQ(lable_get("000001", 0, &slot), 2);
    EXPECT_EQ(slot, 127.0f);
}

TEST_F(StockInfoTest, MissesAreLogged) {
    write_bytes("data/SH/STKINFO70.DAT", stock_info_file(kStkInfo70, {{"600001", 3}}));
    write_bytes("data/SH/STKINFO60.DAT", stock_info_file(kStkInfo60, {{"600000", 5}}));
    char info[kStockInfoBytes];
    // STKINFO70 opens but lacks the code: the older file is not consulted.
    EXPECT_EQ(GetStockInfo("600000", info), -1.0f);
    EXPECT_NE(log_text().find("-> GetStockInfo 没有找到股票: 600000"), std::string::npos);
    EXPECT_EQ(GetStockInfo("60000", info), -1.0f);  // a prefix of a code is not the code
    EXPECT_EQ(GetStockInfo("000001", info), -1.0f);
    EXPECT_NE(log_text().find("-> 没找到文件 " + win("data/SZ/STKINFO60.DAT")), std::string::npos);

    // A count larger than the file: the search stops at its end.
    Bytes cut = stock_info_file(kStkInfo70, {{"600001", 3}});
    cut[8] = 200;
    write_bytes("data/SH/STKINFO70.DAT", cut);
    EXPECT_EQ(GetStockInfo("600000", info), -1.0f);

    float slot = 55;
    plat_testing::reset_faults();
    EXPECT_EQ(lable_get("600001", 1, &slot), -1);  // an index: no file opened
    EXPECT_EQ(plat_testing::count_of(plat_testing::Op::open), 0);
    EXPECT_EQ(lable_get("600000", 0, &slot), -1);
    EXPECT_EQ(slot, -777.0f);
}
