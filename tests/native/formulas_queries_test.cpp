// FB over several calls and codes with the band and spread edges, OutLog,
// and SQLite print-out failures on databases made with SQLite itself.
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
    TickBand band = tick_band(-10.0f);  // 11.00 excluded, 9.00 included
    struct Case { float price, amount, hint, want; };
    for (const Case& c : {Case{11.00f, 1000, 1, 0}, {9.00f, 1000, 1, -5}, {10.07f, 1000, -1, 5},
                          {10.03f, 1000, 1, -5}, {10.05f, 1000, 0, -5}, {10.07f, 999, 1, 0}}) {
        Tick t{c.price, 5, c.amount, 10.00f, 10.10f, c.hint};  // d = 0.035
        EXPECT_EQ(signed_tick_volume(t, band, 1000), c.want) << c.price << " hint " << c.hint;
    }
    EXPECT_EQ(tick_band(2.75f).lower, 2.48f);  // 247.5 rounds up
}

// n ticks of volume 1 at `price`, quotes 10.00 / 10.10, reference 10.
static Chart ticks(const char* code, int n, float price) {
    Chart c(n);
    c.label = code, c.period = kPeriodTick;
    for (BarRecord& b : c.bars) b.close = price, b.volume = 1, b.amount = 5000;
    c.ext.assign(n, ExtRecord{});
    for (ExtRecord& e : c.ext) e.f[0] = 10.00f, e.f[10] = 10.10f;
    c.series(std::vector<float>(n, 10.0f), 0);
    c.p2 = {1000};
    return c;
}

TEST_F(HostTest, FbCountsEachTickOnceAndRefusesWithoutASlot) {
    reset_tick_flow_slots();
    struct Step { const char* code; int n; float price, sum; };
    for (const Step& s : {Step{"600000", 100, 10.08f, 100}, {"000001", 3, 10.01f, -1}, {"600000", 105, 10.02f, 95},
                          {"600000", 50, 10.08f, 95}, {"600000", 105, 10.08f, 95}, {"SH600000", 107, 10.08f, 97}}) {
        Chart c = ticks(s.code, s.n, s.price);
        EXPECT_EQ(FB(&c.ci()), s.n - 1);
        EXPECT_EQ(c.result[s.n - 1], s.sum) << s.code << " " << s.n;
    }
    // The index SH000001 keeps its own slot beside the share SZ000001.
    Chart index = ticks("000001", 3, 10.08f);
    index.label_flag = 1;
    EXPECT_EQ(FB(&index.ci()), 2);
    EXPECT_EQ(index.result[2], 3.0f);
    Chart k = ticks("600001", 4, 10.05f);
    k.constant(-10.0f);  // one element: ASan sees any read past it
    EXPECT_EQ(FB(&k.ci()), 3);
    EXPECT_EQ(k.result[3], -2.0f);
    for (auto spoil : {+[](Chart& x) { x.period = kPeriodDay; }, +[](Chart& x) { x.p1.clear(); },
                       +[](Chart& x) { x.ext.clear(); }}) {
        Chart x = ticks("300001", 3, 10.05f);
        spoil(x);
        EXPECT_EQ(FB(&x.ci()), -1);
    }
    EXPECT_NE(log_text().find("-> FB 调用失败,不是分笔周期"), std::string::npos);
    EXPECT_EQ(tick_flow_slot_count(), 4);  // SH000001, SH600000, SH600001, SZ000001: none for the refused calls
    reset_tick_flow_slots();
}

TEST_F(HostTest, OutLogAndSqlitePrintFailures) {
    Chart o(3);
    o.series({0, 0, 3}, 1), o.p2 = {-3.5f};
    EXPECT_EQ(OutLog(&o.ci()), 0);
    o.constant(0);
    EXPECT_EQ(OutLog(&o.ci()), 0);  // not positive: nothing logged
    o.p2.clear();
    EXPECT_EQ(OutLog(&o.ci()), -1);
    EXPECT_EQ(log_text().substr(log_text().find(" -> ")), " -> 600000 发生事件 -3");

    auto print = [&](const char* rel, const char* sql) {
        sqlite3* db = nullptr;
        if (sql) sqlite3_open(at(rel).c_str(), &db), sqlite3_exec(db, sql, nullptr, nullptr, nullptr), sqlite3_close(db);
        std::FILE* out = std::tmpfile();
        print_query_rows(at(rel).c_str(), kYjygQuery, out);
        std::string s(static_cast<size_t>(std::ftell(out)), '\0');
        std::rewind(out);
        s.resize(std::fread(&s[0], 1, s.size(), out));
        std::fclose(out);
        return s;
    };
    EXPECT_EQ(print("a.db", "create table yg(code, name); insert into yg values('600000', NULL);"),
              "row:1 column = 2 \n\nThe result of querying is : \n"
              "azResult[0] = code\nazResult[1] = name\nazResult[2] = 600000\nazResult[3] = \n");
    const std::string none = "row:0 column = 0 \n\nThe result of querying is : \n";
    EXPECT_EQ(print("missing.db", nullptr), none);
    EXPECT_FALSE(exists("missing.db"));  // never created
    EXPECT_EQ(print("b.db", "create table t(x);"), none);

    // A copy taken while a writer was in mid-transaction: its hot journal
    // is rolled back, and the committed row is read.
    sqlite3* w = nullptr;
    sqlite3_open(at("c.db").c_str(), &w);
    sqlite3_exec(w, "create table yg(code); insert into yg values('600000'); pragma cache_size=1; begin;"
                    "insert into yg values(randomblob(100000));", nullptr, nullptr, nullptr);
    write_bytes("d.db", read_bytes("c.db"));
    write_bytes("d.db-journal", read_bytes("c.db-journal"));
    sqlite3_close(w);
    ASSERT_FALSE(read_bytes("d.db-journal").empty());
    EXPECT_EQ(print("d.db", nullptr),
              "row:1 column = 1 \n\nThe result of querying is : \nazResult[0] = code\nazResult[1] = 600000\n");
    EXPECT_NE(log_text().find("-> SQLit3 打开数据库失败 " + at("missing.db")), std::string::npos);
    EXPECT_NE(log_text().find("-> SQLit3 查询失败 no such table: yg"), std::string::npos);
}
