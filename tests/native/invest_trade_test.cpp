// Trade, TradeFS and the bar lookup over investment files built from the
// record layout: trades per day and per minute, kinds and operations.
#include "invest/exports.h"
#include "invest/invest_messages.h"
#include "invest/investment_file.h"
#include "tests/invest_alarm_bytes.h"
#include "tests/native/datafiles_support.h"

namespace {
const char kAccount1[] = "USERDATA/SELF/账户1.inv";
int32_t on_day(int d, int hh) { return kJan2 + d * kDay + (hh - 8) * 3600; }  // bar d's day, hh local
std::string entry_nl(const std::string& m) { return log_entry(m.substr(0, m.size() - 1) + "\r\n"); }
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

TEST_F(DataFileTest, TradeOperationsPerDay) {
    make_dir("USERDATA");
    make_dir("USERDATA/SELF");
    write_bytes(kAccount1, investment_file({
        {"600000", 2, on_day(2, 10), 10, 100, 0}, {"600000", 2, on_day(2, 14), 20, 100, 0},
        {"600000XY", 7, on_day(3, 9), 8, 50, 0.01},  // other kinds count for every operation
        {"600000", 3, on_day(4, 9), 30, 10, 0.01},
        {"600001", 2, on_day(5, 9), 99, 1, 0},       // another security
        {"600000", 9, on_day(5, 10), 10, 100, 0},    // a trade and its reversal: no quantity
        {"600000", 9, on_day(5, 11), 20, -100, 0},   // to weigh by, the prices average evenly
        {"600000", 2, on_day(0, 9), 5, 1, 0},        // the first bar: never counted
        {"600000", 5, on_day(6, 9), 40, 100, 0},     // kind 5: a sell at price 0, so the day
        {"600000", 3, on_day(6, 10), 12, 50, 0},     // starts afresh
        {"600000", 2, -86400 * 3, 10, 100, 0},       // no 08:00 key before 1970: logged, skipped
    }));
    std::vector<std::vector<float>> want = {{0, 0, 15, 7.92f, 0, 15, 0}, {0, 0, 200, 50, 0, 0, 0},
                                            {0, 0, 0, 8.08f, 30.3f, 15, 12}, {0, 0, 0, 50, 10, 0, 150}};
    for (int op = 0; op <= 4; ++op) {
        Chart c(7);
        c.constant(1);
        c.p2 = {static_cast<float>(op)};
        EXPECT_EQ(Trade(&c.ci()), op == 0 ? -1 : 0);
        for (int i = 0; op > 0 && i < 7; ++i) EXPECT_FLOAT_EQ(c.result[i], want[op - 1][i]) << op << " " << i;
    }
    std::string local = log_entry(kMsgLocaltime);
    EXPECT_EQ(log_text(), log_entry(std::string(kMsgTradeOpCode) + " 0") + local + local + local + local);
}

TEST_F(DataFileTest, TradeFSMinutes) {
    make_dir("USERDATA");
    make_dir("USERDATA/SELF");
    const int n = 242, start = 5;
    const int32_t first = 1704187800, t0 = first - 28800;  // trade times are 8 hours back
    Chart c(n);
    for (int i = 0; i < n; ++i) c.bars[i].time = first + 60 * (i - start);
    c.period = kPeriodTimeShare;
    c.series(std::vector<float>(n, 1.0f), start);
    write_bytes(kAccount1, investment_file({
        {"600000", 2, t0 + 120 * 60 + 59, 10, 1, 0}, {"600000", 3, t0 + 215 * 60, 10, 1, 0},  // 215 - 90
        {"600000", 9, t0 + 30 * 60, 10, 1, 0}, {"600000", 2, t0 + 30 * 60 + 30, 10, 1, 0},   // the later wins
        {"600000", 2, t0 - 1, 10, 1, 0}, {"600000", 3, t0 + 236 * 60 + 1, 10, 1, 0},          // outside
    }));
    EXPECT_EQ(TradeFS(&c.ci()), start);
    for (int i = 0; i < n; ++i)
        EXPECT_EQ(c.result[i], i < start ? -777.0f : i == start + 125 ? 3.0f : i == start + 120 || i == start + 30 ? 2.0f : 0.0f) << i;
    Chart day = c, no_param = c, constant = c, missing = c;
    day.period = kPeriodDay;
    no_param.p1.clear();
    constant.constant(1);
    missing.p1.assign(n, 3.0f);
    for (Chart* k : {&day, &no_param, &constant, &missing}) EXPECT_EQ(TradeFS(&k->ci()), -1);
    EXPECT_EQ(log_text(), entry_nl(kMsgTradeFSPeriod) + entry_nl(kMsgTradeFSParams) + entry_nl(kMsgTradeFSNotSeries) +
                              log_entry(std::string(kMsgTradeFSOpen) + " " + win("USERDATA/SELF/账户3.inv")));
}
