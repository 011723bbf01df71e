// Trade, TradeFS and the bar lookup over investment files built from the
// record layout: trades per day and per minute, kinds and operations, and
// the records that must be skipped.
#include "invest/exports.h"
#include "invest/invest_messages.h"
#include "invest/investment_file.h"
#include "tests/invest_alarm_bytes.h"
#include "tests/native/datafiles_support.h"

namespace {

const char kAccount1[] = "USERDATA/SELF/账户1.inv";

int32_t on_day(int d, int hh) { return kJan2 + d * kDay + (hh - 8) * 3600; }  // bar d's day, hh local

std::string entry(const std::string& m) { return log_entry(m); }
std::string entry_nl(const std::string& m) { return log_entry(m.substr(0, m.size() - 1) + "\r\n"); }

class TradeTest : public DataFileTest {
protected:
    void SetUp() override {
        DataFileTest::SetUp();
        make_dir("USERDATA");
        make_dir("USERDATA/SELF");
    }
    Chart day_chart(float op) {
        Chart c(10);
        c.constant(1);
        c.p2 = {op};
        return c;
    }
};

}  // namespace

TEST(BarAtTime, HalvingSearch) {
    Chart c(10);
    for (int i = 0; i < 10; ++i) c.bars[i].time = 10 * (i + 1);
    // before the first bar: lo; between bars: -1 where the halving ends on a
    // pair, the next bar where it meets one; hi is held inside the bars
    int cases[][4] = {{10, 0, 9, 0}, {100, 0, 9, 9}, {30, 0, 9, 2}, {5, 0, 9, 0}, {105, 0, 9, -1},
                      {35, 0, 9, -1}, {55, 0, 9, 5}, {50, -1, 9, -1}, {100, 0, 40, 9}};
    for (auto& k : cases) EXPECT_EQ(bar_at_time(c.ci(), k[0], k[1], k[2]), k[3]) << k[0];
}

TEST_F(TradeTest, OperationsPerDay) {
    write_bytes(kAccount1, investment_file({
        {"600000", 2, on_day(2, 10), 10, 100, 0},
        {"600000", 2, on_day(2, 14), 20, 100, 0},
        {"600000XY", 7, on_day(3, 9), 8, 50, 0.01},  // other kinds count for every operation
        {"600000", 3, on_day(4, 9), 30, 10, 0.01},
        {"600001", 2, on_day(5, 9), 99, 1, 0},       // another security
        {"600000", 2, on_day(0, 9), 5, 1, 0},        // the first bar: never counted
        {"600000", 5, on_day(6, 9), 40, 100, 0},     // kind 5: a sell at price 0 ...
        {"600000", 3, on_day(6, 10), 12, 50, 0},     // ... so the day starts afresh
        {"600000", 3, on_day(7, 10), 10, 100, 0},
        {"600000", 5, on_day(7, 11), 10, 100, 0},    // averaged in at 0
        {"600000", 2, -86400 * 3, 10, 100, 0},       // no 08:00 key before 1970: logged, skipped
    }));
    std::vector<std::vector<float>> want = {{0, 0, 15, 7.92f, 0, 0, 0, 0, 0, 0},
                                            {0, 0, 200, 50, 0, 0, 0, 0, 0, 0},
                                            {0, 0, 0, 8.08f, 30.3f, 0, 12, 5, 0, 0},
                                            {0, 0, 0, 50, 10, 0, 150, 200, 0, 0}};
    for (int op = 1; op <= 4; ++op) {
        Chart c = day_chart(static_cast<float>(op));
        EXPECT_EQ(Trade(&c.ci()), 0);
        for (int i = 0; i < 10; ++i) EXPECT_FLOAT_EQ(c.result[i], want[op - 1][i]) << "op " << op << " bar " << i;
    }
    EXPECT_EQ(log_text(), entry(kMsgLocaltime) + entry(kMsgLocaltime) + entry(kMsgLocaltime) + entry(kMsgLocaltime));
}

TEST_F(TradeTest, Refusals) {
    write_bytes(kAccount1, Bytes(300, 0));  // shorter than the header: no records, all 0
    Chart c = day_chart(2);
    EXPECT_EQ(Trade(&c.ci()), 0);
    EXPECT_EQ(c.result[9], 0.0f);
    Chart bad_op = day_chart(5), week = day_chart(1), other = day_chart(1);
    week.period = kPeriodWeek;
    other.constant(2);  // no such file: silent
    for (Chart* k : {&bad_op, &week, &other}) EXPECT_EQ(Trade(&k->ci()), -1);
    EXPECT_EQ(bad_op.result[0], -777.0f);
    plat_testing::fail_nth(plat_testing::Op::read, 1);  // the header cannot be read
    EXPECT_EQ(Trade(&c.ci()), -1);
    EXPECT_EQ(log_text(), entry(std::string(kMsgTradeOpCode) + " 5") +
                              entry(std::string(kMsgInvNoData) + " " + win(kAccount1)));
}

TEST_F(TradeTest, TradeFSMinutes) {
    const int n = 242, start = 5;
    const int32_t first = 1704187800;  // the host's 09:30 stamp; trade times are 8 hours back
    Chart c(n);
    for (int i = 0; i < n; ++i) c.bars[i].time = first + 60 * (i - start);
    c.period = kPeriodTimeShare;
    c.series(std::vector<float>(n, 1.0f), start);
    int32_t t0 = first - 28800;
    write_bytes(kAccount1, investment_file({
        {"600000", 2, t0 + 120 * 60 + 59, 10, 1, 0},  // minute 120
        {"600000", 3, t0 + 215 * 60, 10, 1, 0},       // after the break: 215 - 90
        {"600000", 9, t0 + 30 * 60, 10, 1, 0},
        {"600000", 2, t0 + 30 * 60 + 30, 10, 1, 0},   // same minute: the later wins
        {"600000", 2, t0 - 1, 10, 1, 0},
        {"600001", 2, t0 + 40 * 60, 10, 1, 0},
        {"600000", 2, t0 + 236 * 60, 10, 1, 0},       // the last bar's time
        {"600000", 3, t0 + 236 * 60 + 1, 10, 1, 0},
    }));
    EXPECT_EQ(TradeFS(&c.ci()), start);
    for (int i = 0; i < n; ++i) {
        float want = i < start ? -777.0f : i == start + 125 ? 3.0f : 0.0f;
        if (i == start + 120 || i == start + 30 || i == start + 146) want = 2;
        EXPECT_EQ(c.result[i], want) << i;
    }
    Chart day = c, no_param = c, constant = c, missing = c;
    day.period = kPeriodDay;
    no_param.p1.clear();
    constant.constant(1);
    missing.p1.assign(n, 3.0f);
    for (Chart* k : {&day, &no_param, &constant, &missing}) EXPECT_EQ(TradeFS(&k->ci()), -1);
    EXPECT_EQ(log_text(), entry_nl(kMsgTradeFSPeriod) + entry_nl(kMsgTradeFSParams) + entry_nl(kMsgTradeFSNotSeries) +
                              entry(std::string(kMsgTradeFSOpen) + " " + win("USERDATA/SELF/账户3.inv")));
}
