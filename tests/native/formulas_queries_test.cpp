// FB over several calls and codes with the band and spread edges, OutLog,
// and the SQLite print-out's failures on databases made with SQLite itself.
#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/tick_flow_slots.h"
#include "formulas/exports.h"
#include "formulas/sqlite_print.h"
#include "formulas/tick_flow.h"
#include "tests/native/support.h"

TEST(TickFlow, BandAndSpreadEdges) {
    TickBand band = tick_band(-10.0f);  // the sign of the reference does not matter
    EXPECT_EQ(band.upper, 11.0f);
    EXPECT_EQ(band.lower, 9.0f);
    EXPECT_EQ(tick_band(2.75f).lower, 2.48f);  // 247.5 rounds up
    struct Case { float price, amount, hint, want; };
    for (const Case& c : {Case{11.00f, 1000, 1, 0}, {9.00f, 1000, 1, -5}, {8.99f, 1000, 1, 0}, {10.07f, 1000, -1, 5},
                          {10.03f, 1000, 1, -5}, {10.05f, 1000, 1, 5}, {10.05f, 1000, 0, -5}, {10.07f, 999, 1, 0}}) {
        Tick t{c.price, 5, c.amount, 10.00f, 10.10f, c.hint};  // d = 0.035
        EXPECT_EQ(signed_tick_volume(t, band, 1000), c.want) << c.price << " hint " << c.hint;
    }
}

class FbTest : public HostTest {
protected:
    void SetUp() override { HostTest::SetUp(), reset_tick_flow_slots(); }
    void TearDown() override { reset_tick_flow_slots(), HostTest::TearDown(); }
    // n ticks of volume 1 at `price`, quotes 10.00 / 10.10, reference 10.
    static Chart ticks(const char* code, int n, float price) {
        Chart c(n);
        c.label = code;
        c.period = kPeriodTick;
        for (BarRecord& b : c.bars) b.close = price, b.volume = 1, b.amount = 5000;
        c.ext.assign(n, ExtRecord{});
        for (ExtRecord& e : c.ext) e.f[0] = 10.00f, e.f[10] = 10.10f;
        c.series(std::vector<float>(n, 10.0f), 0);
        c.p2 = {1000};
        return c;
    }
    static float fb(const char* code, int n, float price) {
        Chart c = ticks(code, n, price);
        return FB(&c.ci()) == n - 1 ? c.result[n - 1] : -999.0f;
    }
};

TEST_F(FbTest, CountsEachTickOnceAcrossCalls) {
    EXPECT_EQ(fb("600000", 100, 10.08f), 100.0f);
    EXPECT_EQ(fb("000001", 3, 10.01f), -1.0f);    // its own slot; tick 0 above the reference
    EXPECT_EQ(fb("600000", 105, 10.02f), 95.0f);  // only ticks 100..104 are new
    EXPECT_EQ(fb("600000", 50, 10.08f), 95.0f);   // fewer bars: the sum kept
    EXPECT_EQ(fb("600000", 105, 10.08f), 95.0f);
    EXPECT_EQ(fb("SH600000", 2, 10.08f), 2.0f);   // number 0, not 600000's slot
}

TEST_F(FbTest, ConstantParameterAndRefusals) {
    Chart c = ticks("600001", 4, 10.05f);  // between bid and ask: parameter 1 decides
    c.constant(-10.0f);                    // one element: ASan sees any read past it
    EXPECT_EQ(FB(&c.ci()), 3);
    EXPECT_EQ(c.result[3], 1.0f - 3.0f);
    for (auto spoil : {+[](Chart& x) { x.period = kPeriodDay; }, +[](Chart& x) { x.p1.clear(); },
                       +[](Chart& x) { x.p2.clear(); }, +[](Chart& x) { x.ext.clear(); }}) {
        Chart x = ticks("300001", 3, 10.05f);
        spoil(x);
        EXPECT_EQ(FB(&x.ci()), -1);
        EXPECT_EQ(x.result[2], -777.0f);
    }
    EXPECT_NE(log_text().find("-> FB 调用失败,不是分笔周期"), std::string::npos);
    EXPECT_EQ(tick_flow_slot_count(), 1);  // refused calls take no slot
}

TEST_F(HostTest, OutLogLogsPositiveEvents) {
    struct Case { std::vector<float> p1; int start; std::vector<float> p2; int want; const char* logged; };
    for (const Case& k : {Case{{1}, -1, {2.9f}, 0, " 600000 发生事件 2"}, {{0, 0, 3}, 1, {-3.5f}, 0, " 600000 发生事件 -3"},
                          {{0}, -1, {2}, 0, ""}, {{5, 5, -1}, 0, {2}, 0, ""}, {{}, -1, {2}, -1, ""}, {{1}, -1, {}, -1, ""}}) {
        std::remove("TARVEX.log");
        Chart o(3);
        o.p1 = k.p1, o.param1_start = k.start, o.p2 = k.p2;
        EXPECT_EQ(OutLog(&o.ci()), k.want);
        EXPECT_EQ(o.result[2], -777.0f);
        std::string log = log_text();
        EXPECT_EQ(log.empty() ? "" : log.substr(log.find(" -> ") + 3), k.logged);
    }
}

TEST_F(HostTest, SqlitePrintFailuresAndNulls) {
    auto make_db = [&](const char* rel, const char* sql) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(at(rel).c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    };
    auto print = [&](const char* rel) {
        std::FILE* out = std::tmpfile();
        print_query_rows(at(rel).c_str(), kYjygQuery, out);
        std::rewind(out);
        std::string s;
        for (int ch; (ch = std::fgetc(out)) != EOF;) s += static_cast<char>(ch);
        std::fclose(out);
        return s.substr(s.find(" : \n") + 4);
    };
    make_db("yjyg.db", "create table yg(code, name); insert into yg values('600000', NULL);");
    EXPECT_EQ(print("yjyg.db"), "azResult[0] = code\nazResult[1] = name\nazResult[2] = 600000\nazResult[3] = \n");
    EXPECT_EQ(log_text(), "");
    EXPECT_EQ(print("missing.db"), "");
    EXPECT_FALSE(exists("missing.db"));  // opened read-only: never created
    EXPECT_NE(log_text().find("-> SQLit3 打开数据库失败 " + at("missing.db")), std::string::npos);
    make_db("other.db", "create table t(x);");
    EXPECT_EQ(print("other.db"), "");
    EXPECT_NE(log_text().find("-> SQLit3 查询失败 no such table: yg"), std::string::npos);
}
