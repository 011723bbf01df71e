// The investment and alert-file exports through their exact symbols: Trade
// and TradeFS on an account file the "host" holds open and marked read-only,
// Deal on a GBK file with CRLF line ends, almtime and ClearAlarm on the
// host's alert file, with a rewrite that cannot land.
#include <windows.h>

#include <cstdio>

#include "tests/invest_alarm_bytes.h"
#include "tests/wine/wine_check.h"

namespace {
const char kAccount[] = "USERDATA\\SELF\\账户1.inv";
const char kAlert[] = "userdata\\self\\ALERT.DAT";
const int32_t kBar0 = 1704155400;  // 08:30 UTC stamp of a time-share chart's first bar
bool log_has(const std::string& text) { return log_text().find(text) != std::string::npos; }
}  // namespace

WINE_TEST(invest_trade_and_tradefs_read_a_file_the_host_holds) {
    make_dirs("USERDATA\\SELF");
    const int32_t day2 = 1704153600 + 2 * 86400 + 7200;  // 10:00 on bar 2's day, UTC+8
    write_bytes(kAccount, investment_file({{"600000", 2, day2, 10, 100, 0}, {"600000", 2, day2 + 60, 20, 100, 0},
                                           {"600000", 3, kBar0 - 28800 + 215 * 60, 10, 1, 0}}));
    SetFileAttributesA(host_path(kAccount).c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE held = CreateFileA(host_path(kAccount).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    FILE* for_update = std::fopen(host_path(kAccount).c_str(), "r+b");  // what a writer would get
    CHECK(held != INVALID_HANDLE_VALUE && !for_update);
    Chart c(5);
    c.constant(1);
    c.p2 = {1};
    CHECK_EQ(call("Trade", c), 0);
    CHECK_EQ(c.result[2], 15.0f);
    Chart fs(240);
    for (int i = 0; i < 240; ++i) fs.bars[i].time = kBar0 + 60 * i;
    fs.period = kPeriodTimeShare;
    fs.series(std::vector<float>(240, 1.0f), 0);
    CHECK_EQ(call("TradeFS", fs), 0);
    CHECK_EQ(fs.result[125], 3.0f);
    if (for_update) std::fclose(for_update);
    CloseHandle(held);
    SetFileAttributesA(host_path(kAccount).c_str(), FILE_ATTRIBUTE_NORMAL);
    remove_file(kAccount);
}

WINE_TEST(invest_deal_imports_a_gbk_crlf_file) {
    write_text("7.dat", "成交时间,合约,买卖,开平,成交价,手数\r\n"
                        "2010/12/01 09:31:05,IF1012,买,开,2350.2,3\r\n"
                        "2010/12/01 09:33:10,IF1012,买,开,2350,3\r\n"
                        "2010-12-01 09:33:50,IF1012,买,开,2354,1\r\n"
                        "2010/12/01 09:35:00,IC1012,买,开,2400,1\r\n");
    Chart c(8);
    for (int i = 0; i < 8; ++i) c.bars[i].time = 1291167000 + 60 * i;  // 09:30 .. 09:37 in UTC+8
    c.label = "IF00";
    c.period = kPeriodMin1;
    c.series(std::vector<float>(8, 0.0f), 0);
    c.p2 = {7};
    CHECK_EQ(call("Deal", c), 0);
    CHECK_EQ(c.result[2], 32350.2f);
    CHECK_EQ(c.result[4], 42351.0f);
    CHECK(log_has("-> 非相同商品: IC12<-->IF"));
    remove_file("7.dat");
}

WINE_TEST(alarms_almtime_and_clearalarm_on_the_host_alert_file) {
    Bytes head = alert_head({"突破", "放量", "跌停"}, 3);
    Bytes full = concat({head, alert_record("SH600000", kBar0 - 28620, "放量")});
    write_bytes(kAlert, full);
    Chart c(60);
    for (int i = 0; i < 60; ++i) c.bars[i].time = kBar0 + 60 * i;
    c.period = kPeriodTimeShare;
    CHECK_EQ(call("almtime", c), 0);
    CHECK_EQ(c.result[3], 2.0f);
    // A file the host holds so that nobody may write it: held_files_test.
    CHECK_EQ(call("ClearAlarm", c), 0);
    CHECK(read_bytes(kAlert) == head);
    CHECK(log_has("-> 预警类型个数 3"));
    remove_file(kAlert);
}
