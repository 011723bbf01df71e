// The alert window bridge against the scripted desktop: which rows are filed
// once, into which blocks and self-data series; names that cannot be file
// names refused; a cleared list read again from its top. (The Wine suite
// drives the three exports against real windows.)
#include "alarms/alarm_window.h"
#include "alarms/exports.h"
#include "common/file_name.h"
#include "platform/windows_testing.h"
#include "tests/native/datafiles_support.h"

namespace pw = plat_windows_testing;

TEST(FileNames, UnsafeNamesAreRefusedAndCutsKeepWholeCharacters) {
    // 乗 and 褆 end in the bytes of "\" and "|"; \x81 starts a character that never ends.
    for (const char* name : {"突破", "MA5上穿", "乗褆", "CONX", "COM0"}) EXPECT_TRUE(is_safe_file_name(name)) << name;
    for (const char* name : {"", "a..b", "..\\x", "a/b", "c:x", "a*", "a?", "\"", "<a>", "a|b", "a\tb", "con",
                             "NUL.BLK", "LPT9", "\x81", "\x81\x30"})
        EXPECT_FALSE(is_safe_file_name(name)) << name;
    struct { const char* src; size_t cap; std::string out; } cuts[] = {
        {"600000浦发", 7, "600000"}, {"00700腾讯", 7, "00700"}, {"突破前高突破前高突破前高", 20, "突破前高突破前高突"},
        {"a突破前高突破前高突破前高", 20, "a突破前高突破前高突"}};
    for (const auto& c : cuts) {
        char out[20];
        EXPECT_FALSE(copy_whole_chars(out, c.cap, c.src));
        EXPECT_EQ(std::string(out), c.out);
    }
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
    }
    void TearDown() override {
        pw::reset();
        HostTest::TearDown();
    }
};

TEST_F(AlarmWindowTest, NewRowsAreFiledOnceAndUnsafeNamesRefusedWhereTheyNameAFile) {
    write_text("TARVEX.ini", "[板块名]\n涨幅>5%=涨幅大\n");  // a block key that is no file name, mapped
    pw::set_main_module(7, "D:\\other\\dzh.exe");
    pw::set_main_module(8, win("dzh.exe").c_str());
    pw::add_window(0, "Alert", "大智慧 预警 - 其他安装", 7);  // first in Z order, another executable
    plat::Window top = pw::add_window(0, "Alert", "大智慧 预警 - 运行中", 8);
    for (int i = 0; i < 5; ++i) pw::add_window(top, "Button", "", 8);
    plat::Window list = pw::add_window(top, "SysListView32", "", 8);
    using Row = std::vector<std::string>;
    const Row a = {"600000", "突破", "12-07 09:30:00", "10.5"}, b = {"000001", "突破", "12-07 09:30:00", "8"},
              again = {"600000", "突破", "12-07 09:31:00", "10.6"},
              cut = {"00700腾讯", "突破前高突破前高突破前高", "12-07 09:30:00", "300"},
              up = {"600036", "..\\..\\..\\x", "12-07 09:30:00", "1"}, bad = {"../../", "放量", "", "1"},
              fresh = {"600519", "放量", "12-07 09:30:00", "1800"},
              pct = {"600519", "涨幅>5%", "12-07 09:30:00", "7"}, unmapped = {"600036", "跌幅>5%", "12-07 09:30:00", "8"};
    const std::string refused = "get_alarm_data 预警名称或代码不能作文件名: ",
                      no_block = " save2blk0 板块名不能作文件名: ", no_series = "get_alarm_data 自定义数据名不能作文件名: ";
    struct { std::vector<Row> rows; const char* label; int result, done; std::vector<std::string> log; } steps[] = {
        {{a, b, again}, "600000", 0, 3, {"10.5,", "8,"}},  // again: already in 突破
        {{a, b, again, cut}, "600000", -1, 3, {}},         // the same security: nothing read
        {{a, b, again, cut, up, bad}, "000001", 0, 6,
         {"300,", no_block + "..\\..\\..\\x ..\\..\\..\\x", refused + "../../ 放量"}},
        {{fresh}, "600519", 0, 1, {"1800,"}},  // cleared, then one new alert
        // The mapped key files its block, and only its self-data series are refused.
        {{fresh, pct, unmapped}, "600036", 0, 3,
         {no_series + "预警价格_涨幅>5% 600519", no_series + "预警时间_涨幅>5% 600519", "7,", no_block + "跌幅>5% 跌幅>5%"}},
        {{fresh}, "600000", 0, 1, {}},
    };
    for (const auto& s : steps) {
        std::remove("TARVEX.log");
        pw::set_cells(list, s.rows);
        Chart c(3);
        c.label = s.label;
        EXPECT_EQ(get_alarm_data(&c.ci()), s.result) << s.label;
        EXPECT_EQ(alarm_rows_done, s.done) << s.label;
        std::string log;
        for (const auto& l : s.log) log += log_entry(l);
        EXPECT_EQ(log_text(), log) << s.label;
    }
    const std::string cut_name = "突破前高突破前高突";
    int32_t dec7 = static_cast<int32_t>(local_seconds(2026, 12, 7, 9, 30, 0) / kDay * kDay);
    EXPECT_EQ(read_bytes("userdata/block/突破.BLK"), block_file_bytes({"SH600000", "SZ000001"}));
    EXPECT_EQ(read_bytes("userdata/block/" + cut_name + ".BLK"), block_file_bytes({"HK00700"}));
    EXPECT_EQ(read_bytes("userdata/block/自选股8.BLK"),
              block_file_bytes({"SH600519", "HK00700", "SZ000001", "SH600000"}));
    EXPECT_EQ(read_bytes("userdata/SelfData/预警价格_突破/SH600000.dat"), selfdata_bytes({{dec7, 30}}));
    EXPECT_EQ(read_bytes("userdata/SelfData/预警时间_" + cut_name + "/HK00700.dat"), selfdata_bytes({{dec7, 300}}));
    EXPECT_FALSE(exists("../x.BLK"));
    EXPECT_EQ(read_bytes("userdata/block/涨幅大.BLK"), block_file_bytes({"SH600519"}));

    // A list that cannot be read is a failure, and its rows stay to be read.
    pw::set_faults({false, 1, false});
    pw::set_cells(list, {a, b});
    Chart c(3);
    c.label = "600001";
    EXPECT_EQ(get_alarm_data(&c.ci()), -1);
    EXPECT_EQ(alarm_rows_done, 1);
}
