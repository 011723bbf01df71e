// The alert window bridge and the sprite reader against the scripted
// desktop: which rows are filed once, into which blocks and self-data
// series; names that cannot be file names refused; a cleared list read again
// from its top; the alert window of another executable passed over.
#include <string>

#include "alarms/alarm_window.h"
#include "alarms/exports.h"
#include "bridges/exports.h"
#include "common/file_name.h"
#include "platform/windows_testing.h"
#include "tests/native/datafiles_support.h"

namespace pw = plat_windows_testing;
using plat::Window;
using Rows = std::vector<std::vector<std::string>>;

namespace {

// The day of the alerts at 09:30 on 7 December (local time, known only once the host tree set the zone).
int32_t dec7() { return static_cast<int32_t>(local_seconds(2026, 12, 7, 9, 30, 0) / kDay * kDay); }

std::string block(const std::string& name) { return "userdata/block/" + name + ".BLK"; }
std::string series(const std::string& kind, const std::string& name, const std::string& key) {
    return "userdata/SelfData/预警" + kind + "_" + name + "/" + key + ".dat";
}

class AlarmWindowTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        plat_testing::set_now(local_seconds(2026, 12, 7, 9, 31, 5));
        pw::reset();
        alarm_last_label[0] = '\0';
        alarm_window = 0;
        alarm_rows_done = 0;
        pw::set_main_module(7, "D:\\other\\dzh.exe");
        pw::set_main_module(8, win("dzh.exe").c_str());
    }
    void TearDown() override {
        pw::reset();
        HostTest::TearDown();
    }
    // An alert window of process `pid`: start and stop buttons, three more
    // controls, and the list view sixth.
    Window alert_window(uint32_t pid, const char* title = "大智慧 预警 - 运行中") {
        Window top = pw::add_window(0, "Alert", title, pid);
        pw::add_window(top, "Button", "启动预警", pid);
        pw::add_window(top, "Button", "停止预警", pid);
        for (int i = 0; i < 3; ++i) pw::add_window(top, "Static", "", pid);
        return pw::add_window(top, "SysListView32", "", pid);
    }
    int harvest(const std::string& label) {
        Chart c(3);
        c.label = label;
        return get_alarm_data(&c.ci());
    }
};

}  // namespace

TEST(FileNames, UnsafeNamesAreRefusedAndCutsKeepWholeCharacters) {
    struct { const char* name; bool safe; } names[] = {
        {"突破", true}, {"MA5上穿", true}, {"SH600000", true}, {"乗褆", true},  // trail bytes 0x5C and 0x7C
        {"", false}, {"..", false}, {"a..b", false}, {"..\\..\\x", false}, {"a/b", false},
        {"a\\b", false}, {"c:x", false}, {"a*", false}, {"a?", false}, {"\"a\"", false}, {"<a>", false},
        {"a|b", false}, {"a\tb", false}, {"NUL", false}, {"con", false}, {"COM1.x", false}, {"LPT9", false},
        {"CONX", true}, {"COM0", true}, {"\x81", false}, {"\x81\x30", false},
    };
    for (const auto& n : names) EXPECT_EQ(is_safe_file_name(n.name), n.safe) << n.name;

    struct { const char* src; size_t cap; std::string out; bool whole; } cuts[] = {
        {"600000浦发", 7, "600000", false}, {"00700", 7, "00700", true},
        {"突破前高突破前高突破前高", 20, "突破前高突破前高突", false},  // 18 bytes: no half character
        {"a突破前高突破前高突破前高", 20, "a突破前高突破前高突", false},
    };
    for (const auto& c : cuts) {
        char out[20];
        EXPECT_EQ(copy_whole_chars(out, c.cap, c.src), c.whole) << c.src;
        EXPECT_EQ(std::string(out), c.out) << c.src;
    }
}

TEST_F(AlarmWindowTest, AlertTimeTextsReadByPosition) {
    struct { const char* text; int64_t time; float minutes; } cases[] = {
        {"03-15 10:30:00", local_seconds(2026, 3, 15, 10, 30, 0), 30},  // seconds: atoi(":0")
        {"12-07 09:31:59", local_seconds(2026, 12, 7, 9, 31, 0), 31},
        {"3-15 10:30:00", local_seconds(2026, 3, 5, 0, 0, 0), 0},    // "3-", "5 ", "0:": atoi stops
        {" 3-15 10:30", local_seconds(2026, 3, 15, 10, 30, 0), 30},  // " 3" reads 3; no second
    };
    for (const auto& c : cases) {
        EXPECT_EQ(alert_text_time(c.text), c.time) << c.text;
        EXPECT_EQ(alert_text_minutes(c.text), c.minutes) << c.text;
    }
}

TEST_F(AlarmWindowTest, NewRowsAreFiledOncePerSecurityAndBlock) {
    pw::add_window(0, "Alert", "大智慧 预警 - 其他安装", 7);  // above the host's own: passed over
    Window list = alert_window(8);
    const std::string kLong = "突破前高突破前高突破前高";  // 24 bytes: cut to 18
    struct Step {
        Rows rows;         // the list as it stands before the call
        std::string label;
        int result;
        int done;          // rows handled afterwards
        std::string log;
    } steps[] = {
        {{{"600000", "突破", "12-07 09:30:00", "10.5"},
          {"000001", "突破", "12-07 09:30:00", "8"},
          {"600000", "突破", "12-07 09:30:00", "10.6"}},  // already in 突破: no second entry
         "600000", 0, 3, "10.5,\r\n26-12-07 09:31:05 -> 8,"},
        {{}, "600000", -1, 3, ""},  // same security: nothing read
        {{{"600000", "突破", "12-07 09:30:00", "10.5"},
          {"000001", "突破", "12-07 09:30:00", "8"},
          {"600000", "突破", "12-07 09:30:00", "10.6"},
          {"00700腾讯", kLong, "12-07 09:30:00", "300"},
          {"600036", "..\\..\\..\\x", "12-07 09:30:00", "1"},
          {"../../", "放量", "12-07 09:30:00", "1"}},
         "000001", 0, 6,
         "300,\r\n26-12-07 09:31:05 -> get_alarm_data 预警名称或代码不能作文件名: 600036 ..\\..\\..\\x"
         "\r\n26-12-07 09:31:05 -> get_alarm_data 预警名称或代码不能作文件名: ../../ 放量"},
        {{{"600519", "放量", "12-07 09:30:00", "1800"}},  // cleared, then one new alert
         "600519", 0, 1, "1800,"},
        {{{"600519", "放量", "12-07 09:30:00", "1800"}}, "600000", 0, 1, ""},  // nothing new
    };
    for (const auto& s : steps) {
        std::remove("TARVEX.log");
        if (!s.rows.empty()) pw::set_cells(list, s.rows);
        EXPECT_EQ(harvest(s.label), s.result) << s.label;
        EXPECT_EQ(alarm_rows_done, s.done) << s.label;
        EXPECT_EQ(log_text(), s.log.empty() ? "" : log_entry(s.log)) << s.label;
    }
    const std::string cut = "突破前高突破前高突";
    EXPECT_EQ(read_bytes(block("突破")), block_file_bytes({"SH600000", "SZ000001"}));
    EXPECT_EQ(read_bytes(block(cut)), block_file_bytes({"HK00700"}));
    EXPECT_EQ(read_bytes(block("放量")), block_file_bytes({"SH600519"}));
    EXPECT_EQ(read_bytes(block("自选股8")), block_file_bytes({"SH600519", "HK00700", "SZ000001", "SH600000"}));
    EXPECT_EQ(read_bytes(series("价格", "突破", "SH600000")), selfdata_bytes({{dec7(), 30}}));
    EXPECT_EQ(read_bytes(series("时间", "突破", "SZ000001")), selfdata_bytes({{dec7(), 8}}));
    EXPECT_EQ(read_bytes(series("时间", cut, "HK00700")), selfdata_bytes({{dec7(), 300}}));
    EXPECT_FALSE(exists("../x.BLK"));
    EXPECT_EQ(pw::live_remote_blocks(), 0);
    EXPECT_EQ(pw::stray_addresses(), 0);
}

TEST_F(AlarmWindowTest, MissingWindowsAndUnreadableListsFail) {
    pw::add_window(0, "Alert", "大智慧 预警 - 其他安装", 7);
    EXPECT_EQ(harvest("600000"), -1);
    EXPECT_EQ(log_text(), log_entry("没找到窗口句柄"));
    Window own = pw::add_window(0, "Alert", "大智慧 预警 - 运行中", 8);  // no list view
    std::remove("TARVEX.log");
    EXPECT_EQ(harvest("600001"), -1);
    EXPECT_EQ(log_text(), log_entry("get_alarm_data 没找到预警列表框"));
    pw::destroy_window(own);
    Window list = alert_window(8);
    pw::set_cells(list, {{"600000", "突破", "12-07 09:30:00", "1"}});
    pw::set_faults({false, 1, false});
    std::remove("TARVEX.log");
    EXPECT_EQ(harvest("600002"), -1);  // the window closed: found anew, but unreadable
    EXPECT_EQ(log_text(), log_entry("list_reader 分配内存失败"));
    EXPECT_EQ(alarm_rows_done, 0);
    EXPECT_FALSE(exists(block("突破")));
}

TEST_F(AlarmWindowTest, AlarmOnOffPressesTheButtonOfItsParameter) {
    Chart c(3);
    c.constant(1);
    EXPECT_EQ(AlarmOnOff(&c.ci()), -1);
    EXPECT_EQ(log_text(), log_entry("未找到预警窗口"));
    Window list = alert_window(8);
    Window top = plat::parent_of(list);
    const std::string start = std::to_string(plat::first_child(top)), stop = std::to_string(plat::first_child(top) + 1);
    struct { float p1; int result; std::string pressed; } cases[] = {
        {1.7f, 0, start}, {0, 0, stop}, {-0.9f, 0, stop}, {2, 0, std::to_string(top)},
    };
    for (const auto& k : cases) {
        size_t before = pw::record().size();
        c.constant(k.p1);
        EXPECT_EQ(AlarmOnOff(&c.ci()), k.result) << k.p1;
        std::vector<std::string> got(pw::record().begin() + static_cast<long>(before), pw::record().end());
        EXPECT_EQ(got, (std::vector<std::string>{k.pressed + " down", k.pressed + " up"})) << k.p1;
    }
    pw::destroy_window(plat::first_child(top));
    c.constant(1);
    EXPECT_EQ(AlarmOnOff(&c.ci()), -1);  // no start button
}

TEST_F(AlarmWindowTest, GetSmartMsgLogsEveryRowAtEveryCall) {
    EXPECT_EQ(GetSmartMsg(nullptr), -1);
    EXPECT_EQ(log_text(), log_entry("未找到短线精灵"));
    Window sprite = pw::add_window(0, "Sprite", "短线精灵", 8);
    std::remove("TARVEX.log");
    EXPECT_EQ(GetSmartMsg(nullptr), -1);
    EXPECT_EQ(log_text(), log_entry("没找到短线精灵列表框"));
    Window list = pw::add_window(sprite, "SysListView32", "", 8);
    std::remove("TARVEX.log");
    EXPECT_EQ(GetSmartMsg(nullptr), 0);  // an empty list: nothing logged
    EXPECT_EQ(log_text(), "");
    pw::set_cells(list, {{"09:30 浦发银行 大笔买入", "x"}, {"09:31 平安银行 火箭发射"}});
    for (int i = 0; i < 2; ++i) EXPECT_EQ(GetSmartMsg(nullptr), 0);
    std::string rows = log_entry("09:30 浦发银行 大笔买入,") + log_entry("09:31 平安银行 火箭发射,");
    EXPECT_EQ(log_text(), rows + rows);
}
