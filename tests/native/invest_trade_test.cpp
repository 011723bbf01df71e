// Trade, TradeFS and the bar lookup over investment files built from the
// 44-byte layout: sequences of trades per day and per minute, the kind and
// operation rules, and the records that must be skipped.
#include <string>
#include <vector>

#include "invest/exports.h"
#include "invest/invest_messages.h"
#include "invest/investment_file.h"
#include "tests/invest_alarm_bytes.h"
#include "tests/native/datafiles_support.h"

namespace {

const char kAccount1[] = "USERDATA/SELF/账户1.inv";

// Time of day `d` (0-based bar index of Chart) at hh:mm local time.
int32_t on_day(int d, int hh, int mm) { return kJan2 + d * kDay + (hh - 8) * 3600 + mm * 60; }

// A log entry whose message ends in a newline, stored as CR LF.
std::string entry_nl(const char* message) {
    std::string m(message);
    return log_entry(m.substr(0, m.size() - 1) + "\r\n");
}

Chart trade_chart(float op, int n = 10) {
    Chart c(n);
    c.constant(1);
    c.p2 = {op};
    return c;
}

class TradeTest : public DataFileTest {
protected:
    void SetUp() override {
        DataFileTest::SetUp();
        make_dir("USERDATA");
        make_dir("USERDATA/SELF");
    }
    void account(const std::vector<InvTrade>& trades) { write_bytes(kAccount1, investment_file(trades)); }
};

}  // namespace

TEST(BarAtTime, HalvingSearch) {
    Chart c(10);
    for (int i = 0; i < 10; ++i) c.bars[i].time = 10 * (i + 1);
    struct Case { int64_t key; int lo, hi, want; } cases[] = {
        {10, 0, 9, 0}, {100, 0, 9, 9}, {50, 0, 9, 4}, {30, 0, 9, 2},
        {5, 0, 9, 0},      // before the first bar: bar lo
        {105, 0, 9, -1},   // after the last bar
        {35, 0, 9, -1},    // between bars, where the halving ends on a pair
        {55, 0, 9, 5},     // between bars, where it meets the next bar
        {50, -1, 9, -1}, {50, 0, -1, -1},
        {100, 0, 40, 9},   // hi held inside the bars
    };
    for (const Case& k : cases) EXPECT_EQ(bar_at_time(c.ci(), k.key, k.lo, k.hi), k.want) << k.key;
}

TEST_F(TradeTest, OperationsPerDay) {
    account({
        {"600000", 2, on_day(2, 10, 0), 10.0, 100},
        {"600000", 2, on_day(2, 14, 0), 20.0, 100},
        {"600000XY", 7, on_day(3, 9, 30), 8.0, 50, 0.01},  // other kinds count for every operation
        {"600000", 3, on_day(4, 9, 30), 30.0, 10, 0.01},
        {"600001", 2, on_day(5, 9, 30), 99.0, 1},  // another security
        {"600000", 2, on_day(0, 9, 30), 5.0, 1},   // first bar: never counted
        {"600000", 5, on_day(6, 9, 30), 40.0, 100},  // kind 5: a sell at price 0
        {"600000", 3, on_day(6, 10, 0), 12.0, 50},   // the day starts afresh after 0
        {"600000", 3, on_day(7, 10, 0), 10.0, 100},
        {"600000", 5, on_day(7, 11, 0), 10.0, 100},  // averages in at 0: 5
    });
    struct Case { float op; std::vector<float> want; } cases[] = {
        {1, {0, 0, 15, 7.92f, 0, 0, 0, 0, 0, 0}},
        {2, {0, 0, 200, 50, 0, 0, 0, 0, 0, 0}},
        {3, {0, 0, 0, 8.08f, 30.3f, 0, 12, 5, 0, 0}},
        {4, {0, 0, 0, 50, 10, 0, 150, 200, 0, 0}},
    };
    for (const Case& k : cases) {
        Chart c = trade_chart(k.op);
        EXPECT_EQ(Trade(&c.ci()), 0) << k.op;
        for (int i = 0; i < 10; ++i) EXPECT_FLOAT_EQ(c.result[i], k.want[i]) << "op " << k.op << " bar " << i;
    }
    EXPECT_EQ(log_text(), "");
}

TEST_F(TradeTest, Refusals) {
    account({{"600000", 2, on_day(2, 10, 0), 10.0, 100}});
    for (float op : {0.0f, 5.0f}) {
        Chart c = trade_chart(op);
        EXPECT_EQ(Trade(&c.ci()), -1);
        EXPECT_EQ(c.result[2], -777.0f);
    }
    EXPECT_EQ(log_text(), log_entry(std::string(kMsgTradeOpCode) + " 0") + log_entry(std::string(kMsgTradeOpCode) + " 5"));

    Chart week = trade_chart(1);
    week.period = kPeriodWeek;
    Chart no_op = trade_chart(1);
    no_op.p2.clear();
    Chart other_account = trade_chart(1);
    other_account.constant(2);  // no such file: silent
    for (Chart* c : {&week, &no_op, &other_account}) EXPECT_EQ(Trade(&c->ci()), -1);
    EXPECT_EQ(log_text().size(), 2 * log_entry(std::string(kMsgTradeOpCode) + " 0").size());
}

TEST_F(TradeTest, ShortFileAndUnconvertibleTimes) {
    write_bytes(kAccount1, Bytes(300, 0));  // shorter than the header: no records
    Chart c = trade_chart(2);
    EXPECT_EQ(Trade(&c.ci()), 0);
    EXPECT_EQ(c.result[0], 0.0f);

    // A time before 1970 in local time has no 08:00 key: logged and skipped,
    // the records after it still count.
    account({{"600000", 2, -86400 * 3, 10.0, 100}, {"600000", 2, on_day(2, 10, 0), 10.0, 100}});
    EXPECT_EQ(Trade(&c.ci()), 0);
    EXPECT_EQ(c.result[2], 100.0f);
    EXPECT_EQ(log_text(), log_entry(kMsgLocaltime));

    plat_testing::fail_nth(plat_testing::Op::read, 1);  // the header cannot be read
    EXPECT_EQ(Trade(&c.ci()), -1);
    EXPECT_EQ(log_text(), log_entry(kMsgLocaltime) + log_entry(std::string(kMsgInvNoData) + " " + win(kAccount1)));
}

TEST_F(TradeTest, TradeFSMinutes) {
    const int n = 242, start = 5;
    Chart c(n);
    const int32_t first = 1704187800;  // the host's 09:30 stamp; trades are 8 hours earlier
    for (int i = 0; i < n; ++i) c.bars[i].time = first + 60 * (i - start);
    c.period = kPeriodTimeShare;
    c.series(std::vector<float>(n, 1.0f), start);
    int32_t t0 = first - 28800;
    account({
        {"600000", 2, t0 + 120 * 60 + 59, 10, 1},  // minute 120
        {"600000", 3, t0 + 215 * 60, 10, 1},       // after the break: 215 - 90
        {"600000", 9, t0 + 30 * 60, 10, 1},
        {"600000", 2, t0 + 30 * 60 + 30, 10, 1},   // same minute: the later wins
        {"600000", 2, t0 - 1, 10, 1},              // before the first bar
        {"600001", 2, t0 + 40 * 60, 10, 1},
        {"600000", 2, t0 + 236 * 60, 10, 1},      // the last bar's time
        {"600000", 3, t0 + 236 * 60 + 1, 10, 1},  // after it
    });
    EXPECT_EQ(TradeFS(&c.ci()), start);
    for (int i = 0; i < n; ++i) {
        float want = i < start ? -777.0f : 0.0f;
        if (i == start + 120) want = 2;
        if (i == start + 125) want = 3;
        if (i == start + 30) want = 2;
        if (i == start + 146) want = 2;
        EXPECT_EQ(c.result[i], want) << i;
    }
    EXPECT_EQ(log_text(), "");
}

TEST_F(TradeTest, TradeFSRefusals) {
    Chart day(10);
    day.series(std::vector<float>(10, 1.0f), 0);
    Chart no_param(10);
    no_param.period = kPeriodTimeShare;
    Chart constant(10);
    constant.period = kPeriodTimeShare;
    constant.constant(1);
    Chart missing(10);
    missing.period = kPeriodTimeShare;
    missing.series(std::vector<float>(10, 3.0f), 0);
    for (Chart* c : {&day, &no_param, &constant, &missing}) EXPECT_EQ(TradeFS(&c->ci()), -1);
    EXPECT_EQ(log_text(), entry_nl(kMsgTradeFSPeriod) + entry_nl(kMsgTradeFSParams) +
                              entry_nl(kMsgTradeFSNotSeries) +
                              log_entry(std::string(kMsgTradeFSOpen) + " " + win("USERDATA/SELF/账户3.inv")));
    EXPECT_EQ(missing.result[0], -777.0f);
}
