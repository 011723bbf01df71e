// The window toolkit against the scripted desktop: the searches, the text
// comparisons, the own-executable lookup, and the list-reading pass with its
// cut lines, its refused starts and its remote blocks always released.
#include <string>

#include "bridges/window_toolkit.h"
#include "platform/portable_testing.h"
#include "platform/windows_testing.h"
#include "tests/native/support.h"

namespace pw = plat_windows_testing;
using plat::Window;

class ToolkitTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        plat_testing::set_now(local_seconds(2026, 12, 7, 9, 31, 5));
        pw::reset();
    }
    void TearDown() override {
        pw::reset();
        HostTest::TearDown();
    }
    static std::string line(const std::string& s) { return "\r\n26-12-07 09:31:05 -> " + s; }
};

TEST_F(ToolkitTest, SearchesWalkChildrenInZOrder) {
    Window top = pw::add_window(0, "Main", "交易终端 预警 - 1");
    Window a = pw::add_window(top, "Panel", "");
    Window deep = pw::add_window(a, "Button", "买入下单");
    Window b = pw::add_window(top, "Panel", "");
    Window direct = pw::add_window(top, "Button", "买入下单");

    EXPECT_EQ(find_child_containing(plat::desktop_window(), "预警 -"), top);
    EXPECT_EQ(find_child_containing(plat::desktop_window(), "预警 -2"), 0u);
    // A direct child wins over a grandchild below an earlier sibling.
    EXPECT_EQ(find_window_deep(top, "Button", "买入下单"), direct);
    pw::destroy_window(direct);
    EXPECT_EQ(find_window_deep(top, "Button", "买入下单"), deep);
    EXPECT_EQ(find_window_deep(top, "Static", "买入下单"), 0u);
    EXPECT_EQ(find_window_deep(0, "Button", "买入下单"), 0u);

    struct { int n; Window want; } positions[] = {{-1, a}, {0, a}, {1, b}, {2, 0}};
    for (const auto& p : positions) EXPECT_EQ(nth_child(top, p.n), p.want) << p.n;
}

TEST_F(ToolkitTest, TextComparisonsSeeAtMost254Characters) {
    std::string long_title(300, 'x');
    Window w = pw::add_window(0, "Edit", long_title.c_str());
    Window empty = pw::add_window(0, "Edit", "");
    EXPECT_TRUE(window_text_equals(w, std::string(254, 'x').c_str()));
    EXPECT_FALSE(window_text_equals(w, long_title.c_str()));
    EXPECT_EQ(control_text_matches("t", w, std::string(254, 'x').c_str()), TextMatch::equal);
    EXPECT_FALSE(window_text_equals(empty, ""));
    EXPECT_EQ(control_text_matches("t", empty, ""), TextMatch::equal);
    EXPECT_EQ(control_text_matches("t", empty, "600000"), TextMatch::differs);
}

TEST_F(ToolkitTest, OwnTopWindowIsTheOneOfThisExecutable) {
    std::string own = win("dzh.exe");
    pw::set_main_module(7, "D:\\other\\dzh.exe");
    pw::set_main_module(8, own.c_str());
    pw::add_window(0, "Main", "大智慧 预警 - 其他安装", 7);
    Window mine = pw::add_window(0, "Main", "大智慧 预警 - 本机", 8);
    EXPECT_EQ(find_own_top_window("预警 -"), mine);
    EXPECT_EQ(log_text(), "");
    EXPECT_EQ(find_own_top_window("短线精灵"), 0u);
    EXPECT_EQ(log_text(), line("没找到窗口句柄"));
}

TEST_F(ToolkitTest, ListRowsBecomeLogLinesCutAtTheirBuffer) {
    Window list = pw::add_window(0, "SysListView32", "", 5);
    // A row far longer than a line: cut, never written past (CR LF: 300 bytes).
    std::string wide;
    for (int i = 0; i < 300; ++i) wide += "股";
    pw::set_cells(list, {{"600000", "浦发银行"}, {""}, {"0123456789AB", wide}});
    EXPECT_EQ(log_list_rows(list, 1), 0);
    EXPECT_EQ(log_text(), line("600000,") + line(",") + line("0123456789AB,"));
    EXPECT_EQ(pw::live_remote_blocks(), 0);

    std::remove("TARVEX.log");
    EXPECT_EQ(log_list_rows(list, 2), 0);
    EXPECT_EQ(log_text(), line("600000,浦发银行,") + line(",,") + line("0123456789AB," + wide).substr(0, 300));
    EXPECT_EQ(pw::stray_addresses(), 0);
}

TEST_F(ToolkitTest, AListThatCannotBeReachedIsNeverSentAnAddress) {
    Window list = pw::add_window(0, "SysListView32", "", 5);
    pw::set_cells(list, {{"600000"}});
    struct {
        pw::Faults faults;
        const char* logged;
    } cases[] = {
        {{true, 0, false}, "list_reader 打开进程失败"},
        {{false, 1, false}, "list_reader 分配内存失败"},
        {{false, 2, false}, "list_reader 分配内存失败"},
        {{false, 0, true}, "list_reader 读取失败"},
    };
    for (const auto& c : cases) {
        std::remove("TARVEX.log");
        pw::set_faults(c.faults);
        EXPECT_EQ(log_list_rows(list, 1), -1) << c.logged;
        EXPECT_EQ(log_text(), line(c.logged));
        EXPECT_EQ(pw::live_remote_blocks(), 0) << c.logged;
        EXPECT_EQ(pw::stray_addresses(), 0) << c.logged;
    }
}
