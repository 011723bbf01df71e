// module_dir, TARVEX.ini and the path routines.
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "common/log.h"
#include "common/paths.h"
#include "platform/platform.h"
#include "platform/portable_testing.h"
#include "tests/native/support.h"

class PathsTest : public HostTest {
protected:
    std::string md() const { return module_dir_text(); }
    void ini(const std::string& text) const { write_text("TARVEX.ini", text); }
};

TEST_F(PathsTest, ModuleDirKeepsTheLastBackslash) {
    char out[300];
    plat_testing::set_executable_path("D:\\host\\app.exe");
    module_dir(out, sizeof out);
    EXPECT_STREQ(out, "D:\\host\\");
    plat_testing::set_executable_path("app.exe");
    module_dir(out, sizeof out);
    EXPECT_STREQ(out, "");
}

TEST_F(PathsTest, DefaultsWithoutSettingsFile) {
    char out[300];
    // module_dir of the scratch tree is short enough for the 39-character roots.
    ASSERT_LT(md().size(), 40u);
    block_path_for_number(out, sizeof out, 1);
    EXPECT_EQ(std::string(out), md() + "userdata\\block\\自选股1.BLK");
    block_path_for_number(out, sizeof out, 0);
    EXPECT_EQ(std::string(out), md() + "userdata\\block\\自选股0.BLK");
    block_path_for_key(out, sizeof out, "ALARM");
    EXPECT_EQ(std::string(out), md() + "userdata\\block\\ALARM.BLK");
    block_path_for_name(out, sizeof out, "龙头股3");
    EXPECT_EQ(std::string(out), md() + "userdata\\block\\龙头股3.BLK");
    data_file_path(out, sizeof out, 7);
    EXPECT_EQ(std::string(out), md() + "7.dat");
    inv_path(out, sizeof out, 1);
    EXPECT_EQ(std::string(out), md() + "USERDATA\\SELF\\账户1.inv");
    path_setting(out, sizeof out, "MT4_HST_PATH");
    EXPECT_EQ(std::string(out), md());
    tdx_dir(out, sizeof out);
    EXPECT_STREQ(out, "");
    ini_path(out, sizeof out, "TARVEX.ini");
    EXPECT_EQ(std::string(out), md() + "TARVEX.ini");
}

TEST_F(PathsTest, DayPathHasTwoBackslashesWithTheDefaultRoot) {
    Chart c(1);
    c.label = "000001";
    char out[300];
    day_path(out, sizeof out, c.ci());
    EXPECT_EQ(std::string(out), md() + "\\SZ000001.DAY");
}

TEST_F(PathsTest, SettingsOverrideRootsAndNames) {
    ini("[路径]\r\nBLOCK_PATH=E:\\data\\\r\nDATA_PATH = F:\\d\\ \r\n通达信=C:\\new_tdx\r\n"
        "[板块名]\r\n5=我的板块\r\n[文件名]\r\n7=C:\\x\\y.dat\r\n8=eight.bin\r\n"
        "[自定义数据名]\r\n12=MYDATA\r\n[投资账户]\r\n2=main.inv\r\n");
    char out[300];
    block_path_for_number(out, sizeof out, 1);
    EXPECT_STREQ(out, "E:\\data\\userdata\\block\\自选股1.BLK");
    block_path_for_number(out, sizeof out, 5);
    EXPECT_STREQ(out, "E:\\data\\userdata\\block\\我的板块.BLK");
    data_file_path(out, sizeof out, 7);
    EXPECT_STREQ(out, "C:\\x\\y.dat");
    data_file_path(out, sizeof out, 8);
    EXPECT_STREQ(out, "F:\\d\\eight.bin");
    inv_path(out, sizeof out, 2);
    EXPECT_EQ(std::string(out), md() + "USERDATA\\SELF\\main.inv");
    tdx_dir(out, sizeof out);
    EXPECT_STREQ(out, "C:\\new_tdx");
    // A block named by number ignores nothing: block_path_for_name ignores BLOCK_PATH.
    block_path_for_name(out, sizeof out, "自选股1");
    EXPECT_EQ(std::string(out), md() + "userdata\\block\\自选股1.BLK");
}

// Answers are given again while the settings file keeps its stamp (or stays
// missing); a file made, rewritten to the same size at a later moment, or
// removed is read anew.
TEST_F(PathsTest, SettingsFollowEveryChangeOfTheFile) {
    struct Step {
        const char* ini;  // null: no settings file
        const char* root;
    };
    const Step steps[] = {{nullptr, ""}, {nullptr, ""}, {"[路径]\nBLOCK_PATH=E:\\a\\\n", "E:\\a\\"},
                          {"[路径]\nBLOCK_PATH=E:\\b\\\n", "E:\\b\\"}, {"[路径]\nBLOCK_PATH=E:\\b\\\n", "E:\\b\\"},
                          {nullptr, ""}};
    const char* last = nullptr;
    int moment = 0;
    for (const Step& s : steps) {
        if (!s.ini) std::remove(at("TARVEX.ini").c_str());
        else if (!last || std::strcmp(last, s.ini) != 0) {
            ini(s.ini);
            const struct timespec times[2] = {{1700000000 + moment, 0}, {1700000000 + moment, 0}};
            ASSERT_EQ(utimensat(AT_FDCWD, at("TARVEX.ini").c_str(), times, 0), 0);
            ++moment;
        }
        last = s.ini;
        char out[300];
        block_path_for_number(out, sizeof out, 1);
        EXPECT_EQ(std::string(out), (*s.root ? std::string(s.root) : md()) + "userdata\\block\\自选股1.BLK");
    }
}

TEST_F(PathsTest, RootWithoutTrailingBackslashIsUsedAsWritten) {
    ini("[路径]\nBLOCK_PATH=E:\\data\n");
    char out[300];
    block_path_for_number(out, sizeof out, 1);
    EXPECT_STREQ(out, "E:\\datauserdata\\block\\自选股1.BLK");
}

TEST_F(PathsTest, ValuesAreCutToTheirReadLimits) {
    std::string root40 = "E:\\" + std::string(37, 'r') + "\\";  // 41 characters
    ini("[路径]\nBLOCK_PATH=" + root40 + "\n通达信=" + std::string(250, 't') + "\n");
    char out[300];
    block_path_for_number(out, sizeof out, 1);
    EXPECT_EQ(std::string(out), root40.substr(0, 39) + "userdata\\block\\自选股1.BLK");
    tdx_dir(out, sizeof out);
    EXPECT_EQ(std::string(out), std::string(199, 't'));
    // Cut inside a double-byte character: that character is left out whole.
    std::string twenty;
    for (int i = 0; i < 20; ++i) twenty += "股";
    ini("[路径]\nBLOCK_PATH=E:\\\n[板块名]\n5=" + twenty + "\n");
    block_path_for_number(out, sizeof out, 5);
    EXPECT_EQ(std::string(out), "E:\\userdata\\block\\" + twenty.substr(0, 38) + ".BLK");
}

TEST_F(PathsTest, PathsNeverRunPastTheirBuffer) {
    char out[40];
    std::memset(out, 'Z', sizeof out);
    char small[20];
    block_path_for_key(small, sizeof small, "a very long block key that goes on and on");
    EXPECT_EQ(std::strlen(small), 19u);
    data_file_path(out, 12, 7);
    EXPECT_EQ(std::strlen(out), 11u);
    EXPECT_EQ(out[12], 'Z');
}

TEST(MarketSeparator, IndexFlagAndCodeRules) {
    EXPECT_STREQ(market_separator("000300", 1), "\\SH");
    EXPECT_STREQ(market_separator("399006", 1), "\\SZ");
    EXPECT_STREQ(market_separator("900001", 1), "\\B$");
    EXPECT_STREQ(market_separator("000001", 0), "\\SZ");
    EXPECT_STREQ(market_separator("600000", 0), "\\SH");
    EXPECT_STREQ(market_separator("688001", 0), "\\SH");
    EXPECT_STREQ(market_separator("00700", 0), "\\HK");
    EXPECT_STREQ(market_separator("900901", 0), "\\B$");
    EXPECT_STREQ(market_separator("SH600000", 0), "\\");
    EXPECT_STREQ(market_separator("SH600000", 1), "\\");
}

TEST_F(PathsTest, SelfDataPathCreatesItsDirectory) {
    char out[300];
    EXPECT_TRUE(make_selfdata_fn(out, sizeof out, 12, "600000", 0));
    EXPECT_EQ(std::string(out), md() + "userdata\\SelfData\\DATA12\\SH600000.dat");
    EXPECT_TRUE(exists("userdata/SelfData/DATA12"));
    EXPECT_TRUE(make_selfdata_fn(out, sizeof out, "ALARM", "SZ000001", 0));
    EXPECT_EQ(std::string(out), md() + "userdata\\SelfData\\ALARM\\SZ000001.dat");
    EXPECT_EQ(log_text(), "");  // an existing directory is not an error
}

TEST_F(PathsTest, SelfDataPathWithoutParentLogsAndFailsTheCallersOpen) {
    ASSERT_EQ(system(("rm -rf '" + at("userdata/SelfData") + "'").c_str()), 0);
    char out[300];
    EXPECT_FALSE(make_selfdata_fn(out, sizeof out, 3, "600000", 0));
    std::string dir = md() + "userdata\\SelfData\\DATA3";
    EXPECT_EQ(std::string(out), dir);
    EXPECT_NE(log_text().find("-> make_selfdata_fn 建目录路径错误 " + dir), std::string::npos);
    EXPECT_EQ(plat::open_file(out, "rb"), nullptr);
}

// The same settings file as the Wine suite reads through GetPrivateProfileStringA:
// the portable reader must give the same answers.
TEST_F(PathsTest, ProfileReaderMatchesTheWindowsRules) {
    ini("; comment\r\n[路径]\r\nblock_path =  E:\\data\\  \r\nDATA_PATH=\"F:\\q\\\"\r\n"
        "INV_PATH=E:\\" + std::string(37, 'r') + "\\\r\n[板块名]\r\n5=我的板块\r\n");
    char out[300];
    block_path_for_number(out, sizeof out, 5);
    EXPECT_STREQ(out, "E:\\data\\userdata\\block\\我的板块.BLK");
    data_file_path(out, sizeof out, 7);
    EXPECT_STREQ(out, "F:\\q\\7.dat");
    inv_path(out, sizeof out, 1);
    EXPECT_EQ(std::string(out), "E:\\" + std::string(36, 'r') + "USERDATA\\SELF\\账户1.inv");
    block_path_for_number(out, sizeof out, 6);
    EXPECT_STREQ(out, "E:\\data\\userdata\\block\\自选股6.BLK");
}
