// FB's tick flow over several calls and codes with the band and spread
// edges, the marker-file queries, OutLog, and the SQLite print-out against
// databases made with SQLite itself.
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
    TickBand band = tick_band(10.0f);
    EXPECT_EQ(band.upper, 11.0f);
    EXPECT_EQ(band.lower, 9.0f);
    TickBand negative = tick_band(-10.0f);
    EXPECT_EQ(negative.upper, 11.0f);
    EXPECT_EQ(negative.lower, 9.0f);
    EXPECT_EQ(tick_band(3.33f).upper, 3.66f);  // 366.3 + 0.5 truncates to 366
    EXPECT_EQ(tick_band(2.75f).lower, 2.48f);  // 247.5 + 0.5 rounds up

    struct Case { float price, amount, hint, want; };
    const Case cases[] = {
        {11.00f, 1000, 1, 0},     // upper excluded
        {9.00f, 1000, 1, -5},     // lower included, at the bid side
        {8.99f, 1000, 1, 0},
        {10.07f, 1000, -1, 5},    // 10.07 >= 10.065
        {10.03f, 1000, 1, -5},    // 10.03 <= 10.035
        {10.05f, 1000, 1, 5},     // between: the hint decides
        {10.05f, 1000, 0, -5},    // a zero hint counts as selling
        {10.07f, 999, 1, 0},      // below the minimum amount
    };
    for (const Case& c : cases) {
        Tick t{c.price, 5, c.amount, 10.00f, 10.10f, c.hint};
        EXPECT_EQ(signed_tick_volume(t, band, 1000), c.want) << c.price << " hint " << c.hint;
    }
}

class FbTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        reset_tick_flow_slots();
    }
    void TearDown() override {
        reset_tick_flow_slots();
        HostTest::TearDown();
    }
    // n ticks of `code` at `price` with volume 1, quotes bid 10.00 / ask 10.10;
    // parameter 1 a series of reference 10 whose sign is +.
    static Chart ticks(const char* code, int n, float price) {
        Chart c(n);
        c.label = code;
        c.period = kPeriodTick;
        for (BarRecord& b : c.bars) {
            b.close = price;
            b.volume = 1;
            b.amount = 5000;
        }
        c.ext.assign(n, ExtRecord{});
        for (ExtRecord& e : c.ext) {
            e.f[0] = 10.00f;
            e.f[10] = 10.10f;
        }
        c.series(std::vector<float>(n, 10.0f), 0);
        c.p2 = {1000};
        return c;
    }
    static int fb(Chart& c) { return FB(&c.ci()); }
};

TEST_F(FbTest, CountsEachTickOnceAcrossCalls) {
    Chart a = ticks("600000", 100, 10.08f);  // tick 0: 10.08 >= reference 10: +1 each
    EXPECT_EQ(fb(a), 99);
    EXPECT_EQ(a.result[99], 100.0f);
    Chart b = ticks("000001", 3, 10.01f);  // another code, its own slot: -1 each after tick 0
    EXPECT_EQ(fb(b), 2);
    EXPECT_EQ(b.result[2], 1.0f - 2.0f);
    Chart a2 = ticks("600000", 105, 10.02f);  // only ticks 100..104 are new
    EXPECT_EQ(fb(a2), 104);
    EXPECT_EQ(a2.result[104], 95.0f);
    Chart a3 = ticks("SH600000", 200, 10.08f);  // number 0: not 600000's slot
    a3.bars.resize(2);
    a3.ext.resize(2);
    a3.p1.resize(2);
    a3.result.resize(2);
    EXPECT_EQ(fb(a3), 1);
    EXPECT_EQ(a3.result[1], 2.0f);
    Chart fewer = ticks("600000", 50, 10.08f);  // fewer bars: nothing counted, the sum kept
    EXPECT_EQ(fb(fewer), 49);
    EXPECT_EQ(fewer.result[49], 95.0f);
    Chart a4 = ticks("600000", 105, 10.08f);
    EXPECT_EQ(fb(a4), 104);
    EXPECT_EQ(a4.result[104], 95.0f);
    EXPECT_EQ(tick_flow_slot_count(), 3);  // 0, 1 and 600000
}

TEST_F(FbTest, ConstantParameterAndRefusals) {
    Chart c = ticks("600001", 4, 10.05f);  // between bid and ask: parameter 1 decides
    c.constant(-10.0f);                    // one element only (ASan would see a read past it)
    EXPECT_EQ(fb(c), 3);
    EXPECT_EQ(c.result[3], 1.0f - 3.0f);   // tick 0 above the reference, then the sign of -10

    struct Refusal { const char* what; void (*spoil)(Chart&); bool logged; };
    const Refusal refusals[] = {
        {"day period", [](Chart& x) { x.period = kPeriodDay; }, true},
        {"no parameter 1", [](Chart& x) { x.p1.clear(); }, false},
        {"no parameter 2", [](Chart& x) { x.p2.clear(); }, false},
        {"no quotes", [](Chart& x) { x.ext.clear(); }, false},
    };
    for (const Refusal& r : refusals) {
        std::remove("TARVEX.log");
        Chart x = ticks("300001", 3, 10.05f);
        r.spoil(x);
        EXPECT_EQ(fb(x), -1) << r.what;
        EXPECT_EQ(x.result[2], -777.0f) << r.what;
        EXPECT_EQ(log_text().find("FB 调用失败,不是分笔周期") != std::string::npos, r.logged) << r.what;
    }
    EXPECT_EQ(tick_flow_slot_count(), 1);  // refused calls take no slot
}

TEST_F(HostTest, MarkerFilesAndOutLog) {
    Chart c(4);
    EXPECT_EQ(is_main_dzh(&c.ci()), 3);
    EXPECT_EQ(c.result[3], 0.0f);
    EXPECT_EQ(is_HK_dzh(&c.ci()), 3);
    EXPECT_EQ(c.result[3], 0.0f);
    write_text("主程序.txt", "");
    make_dir("港股通.txt");  // a directory counts as well
    EXPECT_EQ(is_main_dzh(&c.ci()), 3);
    EXPECT_EQ(c.result[3], 1.0f);
    EXPECT_EQ(is_HK_dzh(&c.ci()), 3);
    EXPECT_EQ(c.result[3], 1.0f);

    struct Case { std::vector<float> p1; int start; std::vector<float> p2; int want; const char* logged; };
    const std::vector<Case> cases = {
        {{1}, -1, {2.9f}, 0, "-> 600000 发生事件 2"},
        {{0, 0, 0, 3}, 1, {-3.5f}, 0, "-> 600000 发生事件 -3"},
        {{0}, -1, {2}, 0, nullptr},
        {{5, 5, 5, -1}, 0, {2}, 0, nullptr},
        {{}, -1, {2}, -1, nullptr},
        {{1}, -1, {}, -1, nullptr},
    };
    for (const Case& k : cases) {
        std::remove("TARVEX.log");
        Chart o(4);
        o.p1 = k.p1;
        o.param1_start = k.start;
        o.p2 = k.p2;
        EXPECT_EQ(OutLog(&o.ci()), k.want);
        EXPECT_EQ(o.result[3], -777.0f);
        if (k.logged) EXPECT_EQ(log_text().substr(log_text().find(" -> ")), std::string(" ") + k.logged);
        else EXPECT_EQ(log_text(), "");
    }
}

class SqlitePrintTest : public HostTest {
protected:
    void make_db(const std::string& rel, const char* sql) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(at(rel).c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    std::string print(const std::string& rel) {
        std::FILE* out = std::tmpfile();
        print_query_rows(at(rel).c_str(), kYjygQuery, out);
        std::rewind(out);
        std::string s;
        for (int ch; (ch = std::fgetc(out)) != EOF;) s += static_cast<char>(ch);
        std::fclose(out);
        return s;
    }
};

TEST_F(SqlitePrintTest, RowsAndFailures) {
    make_db("yjyg.db", "create table yg(code text, name text, pct real);"
                       "insert into yg values('600000', 'PF', 12.5);"
                       "insert into yg values('000001', NULL, -3);");
    EXPECT_EQ(print("yjyg.db"),
              "row:2 column = 3 \n\nThe result of querying is : \n"
              "azResult[0] = code\nazResult[1] = name\nazResult[2] = pct\n"
              "azResult[3] = 600000\nazResult[4] = PF\nazResult[5] = 12.5\n"
              "azResult[6] = 000001\nazResult[7] = \nazResult[8] = -3.0\n");
    EXPECT_EQ(log_text(), "");

    const std::string none = "row:0 column = 0 \n\nThe result of querying is : \n";
    EXPECT_EQ(print("missing.db"), none);
    EXPECT_FALSE(exists("missing.db"));  // opened read-only: never created
    EXPECT_NE(log_text().find("-> SQLit3 打开数据库失败 " + at("missing.db")), std::string::npos);

    make_db("other.db", "create table t(x);");
    EXPECT_EQ(print("other.db"), none);
    EXPECT_NE(log_text().find("-> SQLit3 查询失败 no such table: yg"), std::string::npos);

    Chart c(2);
    EXPECT_EQ(SQLit3(&c.ci()), -1);  // no parameter 2: nothing printed
    EXPECT_EQ(c.result[1], -777.0f);
}
