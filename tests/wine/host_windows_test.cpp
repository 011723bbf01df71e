// AlarmOnOff, get_alarm_data and GetSmartMsg against the host's own windows.
// Those windows belong to the program that loaded the library, so this
// program makes them on a second thread (open_host_windows). A look-alike alert window in another
// program (the alert_window fixture) lies above them and must be passed over.
#include <cmath>
#include <cstring>
#include <ctime>
#include <string>

#include "tests/wine/fixture_process.h"
#include "tests/wine/fixtures/host_windows.h"
#include "tests/wine/wine_check.h"

namespace {

int call_with(const char* function, const char* label, float p1 = 0) {
    Chart c(3);
    c.label = label;
    c.constant(p1);
    return call(function, c);
}

// The day of 15 March of this year, 10:30 local time, as the self-data files hold it.
Bytes selfdata(float value) {
    time_t now = std::time(nullptr);
    struct tm t = *std::localtime(&now);
    t.tm_mon = 2, t.tm_mday = 15, t.tm_hour = 10, t.tm_min = 30, t.tm_sec = 0;
    Bytes b;
    put_i32(b, static_cast<int32_t>(std::mktime(&t) / 86400 * 86400));
    put_f32(b, value);
    return b;
}

}  // namespace

WINE_TEST(host_windows_alarm_switch_alert_rows_and_sprite) {
    HostWindows host = open_host_windows();
    CHECK(host.alert_list && host.sprite_list);
    std::string& presses_seen = host_window_presses();

    // An undefined value presses nothing (truncated, it would have stopped the engine).
    struct { float p1; std::string pressed; int result; } presses[] = {
        {1.7f, "启动预警\n", 0}, {0, "停止预警\n", 0}, {2, "window\n", 0}, {NAN, "", -1}};
    for (const auto& p : presses) {
        presses_seen.clear();
        CHECK_EQ(call_with("AlarmOnOff", "600000", p.p1), p.result);
        CHECK_EQ(presses_seen, p.pressed);
    }

    remove_file(kLookalikeRecord);
    Fixture fake = start_fixture("alert_window.exe", "", kAlertWindowTitle);
    HWND fake_top = fake.top;
    CHECK(z_position(fake_top) >= 0 && z_position(fake_top) < z_position(host.alert));
    // First in Z order, but another program's: AlarmOnOff presses the host's own.
    presses_seen.clear();
    CHECK_EQ(call_with("AlarmOnOff", "600000", 1), 0);
    CHECK_EQ(presses_seen, std::string("启动预警\n"));

    const char* rows[][kAlertColumns] = {{"600000", "突破", "03-15 10:30:00", "10.5"},
                                         {"600000", "突破", "03-15 10:31:00", "10.6"},  // already filed
                                         {"600036", "..\\..\\逃逸", "03-15 10:32:00", "1"},
                                         {"00700", "放量", "03-15 10:33:00", "300"}};
    for (const auto& row : rows) add_list_row(host.alert_list, row, kAlertColumns);
    CHECK_EQ(call_with("get_alarm_data", "600000"), 0);
    CHECK_EQ(call_with("get_alarm_data", "600000"), -1);  // the same security: nothing read
    SendMessageA(host.alert_list, LVM_DELETEALLITEMS, 0, 0);    // cleared, then one new alert
    const char* cleared[kAlertColumns] = {"600519", "放量", "03-15 10:34:00", "1800"};
    add_list_row(host.alert_list, cleared, kAlertColumns);
    CHECK_EQ(call_with("get_alarm_data", "600519"), 0);

    CHECK_EQ(read_bytes("userdata\\block\\突破.BLK"), block_file_bytes({"SH600000"}));
    CHECK_EQ(read_bytes("userdata\\block\\放量.BLK"), block_file_bytes({"HK00700", "SH600519"}));
    CHECK_EQ(read_bytes("userdata\\block\\自选股8.BLK"), block_file_bytes({"SH600519", "HK00700", "SH600000"}));
    CHECK_EQ(read_bytes("userdata\\SelfData\\预警价格_突破\\SH600000.dat"), selfdata(30));
    CHECK_EQ(read_bytes("userdata\\SelfData\\预警时间_放量\\SH600519.dat"), selfdata(1800));
    CHECK(!file_exists("userdata\\block\\假预警.BLK") && !file_exists("..\\..\\逃逸.BLK"));
    std::string log = log_text();
    CHECK(log.find("-> 10.5,\r\n") != std::string::npos && log.find("-> 300,\r\n") != std::string::npos);
    CHECK(log.find("-> 1800,") != std::string::npos && log.find("10.6,") == std::string::npos);
    CHECK(log.find("->  save2blk0 板块名不能作文件名: ..\\..\\逃逸 ..\\..\\逃逸") != std::string::npos);

    const char* event[] = {"09:30 浦发银行 大笔买入"};
    add_list_row(host.sprite_list, event, 1);
    clear_log();
    CHECK_EQ(call_with("GetSmartMsg", "600000"), 0);
    CHECK_EQ(call_with("GetSmartMsg", "600000"), 0);  // the whole list again
    log = log_text();
    size_t first = log.find("-> 09:30 浦发银行 大笔买入,"), second = log.find("-> 09:30 浦发银行 大笔买入,", first + 1);
    CHECK(second != std::string::npos && log.find("-> 09:30 浦发银行 大笔买入,", second + 1) == std::string::npos);

    // The host's windows closed: the look-alike alone is still passed over.
    close_host_windows(host);
    clear_log();
    CHECK_EQ(call_with("get_alarm_data", "600001"), -1);
    CHECK_EQ(call_with("GetSmartMsg", "600000"), -1);
    CHECK_EQ(call_with("AlarmOnOff", "600000", 1), -1);
    stop_fixture(fake);
    CHECK(read_bytes(kLookalikeRecord).empty());
    log = log_text();
    for (const char* m : {"-> 没找到窗口句柄", "-> 未找到短线精灵", "-> 未找到预警窗口"}) CHECK(log.find(m) != std::string::npos);
    CHECK(!file_exists("userdata\\block\\假预警.BLK"));
}
