// The exports that reach into other programs keep to what is theirs, on the
// scripted desktop: a 64-bit terminal's list read with its own layout or
// refused, a program that stops answering midway gets nothing more,
// AlarmOnOff presses only the host's own alert window (the Wine suite
// checks where TDXTrade clicks), and every null or empty field of an
// acting call runs in a child process (a fault is one failed case, not a
// dead suite) and never acts on a missing code.
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <functional>
#include <string>

#include "alarms/alarm_window.h"
#include "alarms/exports.h"
#include "bridges/exports.h"
#include "bridges/window_toolkit.h"
#include "tests/native/datafiles_support.h"
#include "tests/native/desktop_support.h"

namespace pw = plat_windows_testing;

namespace {

constexpr uint32_t kTdxPid = 5, kLkPid = 6;

class HandsOff : public TerminalDeskTest {
protected:
    void SetUp() override {
        TerminalDeskTest::SetUp();
        plant();
    }
    void plant() {
        plant_host_and_terminals(win("dzh.exe"));
        alarm_last_label[0] = '\0';
        alarm_window = 0;
        alarm_rows_done = 0;
    }
    // Whether anything was typed, pressed or clicked since record line `from`.
    static bool acted(size_t from = 0) {
        const auto& record = pw::record();
        for (size_t i = from; i < record.size(); ++i) {
            const std::string& r = record[i];
            if (r.find(" settext ") != std::string::npos || r.find(" down") != std::string::npos ||
                r.rfind("mouse", 0) == 0)
                return true;
        }
        return false;
    }
};

plat::Window top(const char* fragment) { return find_child_containing(plat::desktop_window(), fragment); }
plat::Window tdx_panel() { return nth_child(top(kDesktopTdxTitleName), 1); }

// A chart for a label no bridge has seen yet (they act once per security).
Chart fresh_chart(float p1 = 1) {
    static int labels = 0;
    Chart c(5);
    c.label = std::to_string(601000 + labels++);
    c.constant(p1);
    c.p2 = {1};
    return c;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& l : lines) all += l + "\n";
    return all;
}

}  // namespace

TEST_F(HandsOff, PositionsOfA64BitTerminalAreReadWithItsLayoutOrRefused) {
    struct { bool wide, high; int result; std::string logged; } cases[] = {
        {false, false, 0, "-> 600000 浦发银行 100,"},
        {true, false, 0, "-> 600000 浦发银行 100,"},
        {false, true, 0, "-> 600000 浦发银行 100,"},  // a 32-bit list takes any address
        {true, true, -1, "-> list_reader 64位列表的内存块不在32位程序可达的地址,无法读取"},
    };
    for (const auto& c : cases) {
        plant();
        if (c.wide) pw::set_wide_process(kTdxPid);
        pw::Faults f;
        f.alloc_high = c.high;
        pw::set_faults(f);
        std::remove("TARVEX.log");
        Chart chart(1);
        EXPECT_EQ(StockPositions(&chart.ci()), c.result) << c.wide << c.high;
        EXPECT_NE(log_text().find(c.logged), std::string::npos) << log_text();
        if (c.result < 0) {
            EXPECT_EQ(log_text().find("600000"), std::string::npos);  // no row, not even empty
        }
        EXPECT_EQ(pw::stray_addresses(), 0);
        EXPECT_EQ(pw::allocated_remote_blocks(), 0);
        EXPECT_EQ(pw::open_processes(), 0);
    }
}

TEST_F(HandsOff, AProgramThatStopsAnsweringGetsNothingMore) {
    auto preset_code = [](Chart& c) {
        plat::send_message(nth_child(tdx_panel(), 2), plat::kWmSetText, 0, reinterpret_cast<intptr_t>(c.label.c_str()));
    };
    auto none = [](Chart&) {};
    struct Case {
        const char* what;
        FormulaCall fn;
        float p1;
        uint32_t pid;
        int answers;  // messages answered before the window thread stops
        std::function<void(Chart&)> setup;
        std::string logged, must_not;  // must_not: a record line that would be acting past the stop
    } cases[] = {
        {"positions, count", StockPositions, 1, kTdxPid, 0, none, "list_reader 对方程序无响应,操作中止", ""},
        {"positions, first cell", StockPositions, 1, kTdxPid, 1, none, "list_reader 对方程序无响应,操作中止", ""},
        {"TDX code", TDX, 1, kTdxPid, 0, none, "TDX 对方程序无响应,操作中止", ""},
        {"TDXTrade code read", TDXTrade, 10.5f, kTdxPid, 0, none, "TDXTrade 对方程序无响应,操作中止", "settext"},
        {"TDXTrade code typed", TDXTrade, 10.5f, kTdxPid, 1, none, "TDXTrade 对方程序无响应,操作中止", "mouse"},
        {"TDXTrade price read", TDXTrade, 10.5f, kTdxPid, 1, preset_code, "TDXTrade 对方程序无响应,操作中止", "10.50"},
        {"TDXTrade price typed", TDXTrade, 10.5f, kTdxPid, 2, preset_code, "TDXTrade 对方程序无响应,操作中止", "mouse"},
        {"LKBS press", LKBS, 7, kLkPid, 0, none, "LKBS 对方程序无响应,操作中止", " up"},
        {"AlarmOnOff press", AlarmOnOff, 1, kDesktopHostPid, 0, none, "AlarmOnOff 对方程序无响应,操作中止", " up"},
        {"alert list", get_alarm_data, 1, kDesktopHostPid, 0, none, "get_alarm_data 对方程序无响应,操作中止", ""},
    };
    for (const Case& k : cases) {
        plant();
        pw::set_window_under_cursor(top("预警 -"));  // where a click would be allowed
        Chart c = fresh_chart(k.p1);
        k.setup(c);
        pw::hang_after(k.pid, k.answers);
        std::remove("TARVEX.log");
        EXPECT_EQ(k.fn(&c.ci()), -1) << k.what;
        EXPECT_NE(log_text().find("-> " + k.logged), std::string::npos) << k.what << log_text();
        std::string record = joined(pw::record());
        EXPECT_NE(record.find("timeout"), std::string::npos) << k.what;
        if (!k.must_not.empty()) {
            EXPECT_EQ(record.find(k.must_not), std::string::npos) << k.what << record;
        }
        for (float v : c.result) EXPECT_EQ(v, -777.0f) << k.what;
    }

    // An order button that took the press but not the release may still
    // click once the terminal answers: the operation is not sent again.
    plant();
    pw::hang_after(kLkPid, 1);
    Chart lk = fresh_chart(4);
    EXPECT_EQ(LKBS(&lk.ci()), -1);
    pw::hang_after(kLkPid, INT_MAX);
    std::remove("TARVEX.log");
    EXPECT_EQ(LKBS(&lk.ci()), -1);
    EXPECT_NE(log_text().find("-> 重复操作，返回 4"), std::string::npos);
    // One whose press was not taken at all is tried again.
    pw::hang_after(kLkPid, 0);
    Chart lk2 = fresh_chart(2);
    EXPECT_EQ(LKBS(&lk2.ci()), -1);
    pw::hang_after(kLkPid, INT_MAX);
    EXPECT_EQ(LKBS(&lk2.ci()), 4);
}

TEST_F(HandsOff, AlarmOnOffPressesOnlyTheHostsOwnAlertWindow) {
    pw::reset();
    pw::set_main_module(7, "D:\\other\\dzh.exe");
    pw::set_main_module(kDesktopHostPid, win("dzh.exe").c_str());
    plat::Window other = pw::add_window(0, "Alert", "大智慧 预警 - 其他安装", 7);  // first in Z order
    plat::Window other_start = pw::add_window(other, "Button", "启动预警", 7);
    plat::Window own = pw::add_window(0, "Alert", "大智慧 预警 - 运行中", kDesktopHostPid);
    plat::Window own_start = pw::add_window(own, "Button", "启动预警", kDesktopHostPid);
    Chart c = fresh_chart(1);
    EXPECT_EQ(AlarmOnOff(&c.ci()), 0);
    EXPECT_EQ(joined(pw::record()), std::to_string(own_start) + " down\n" + std::to_string(own_start) + " up\n");
    pw::destroy_window(own);
    EXPECT_EQ(AlarmOnOff(&c.ci()), -1);
    EXPECT_NE(log_text().find("-> 未找到预警窗口"), std::string::npos);
    EXPECT_EQ(joined(pw::record()).find(std::to_string(other_start)), std::string::npos);
}

TEST_F(HandsOff, NullOrEmptyFieldsOfAnActingCallNeverFault) {
    // Each export with the parameters that make it act on the planted desktop.
    struct Acting { const char* name; FormulaCall fn; float p1; bool needs_label; } exports[] = {
        {"AlarmOnOff", AlarmOnOff, 1, false}, {"get_alarm_data", get_alarm_data, 1, true},
        {"LKBS", LKBS, 3, true},   {"TDX", TDX, 1, true},
        {"TDXTrade", TDXTrade, 10.5f, true}, {"StockPositions", StockPositions, 1, false},
    };
    // `stops`: which exports the field stops from acting (those that need a
    // code, or every one).
    enum Stops { none, code_users, all };
    struct Field { const char* name; std::function<void(tagCALCINFO&)> clear; Stops stops; } fields[] = {
        {"nothing", [](tagCALCINFO&) {}, none},
        {"label null", [](tagCALCINFO& ci) { ci.stock_label = nullptr; }, code_users},
        {"label empty", [](tagCALCINFO& ci) { ci.stock_label = ""; }, code_users},
        {"bars null", [](tagCALCINFO& ci) { ci.bars = nullptr; }, none},
        {"ext records null", [](tagCALCINFO& ci) { ci.ext_records = nullptr; }, none},
        {"param1 null", [](tagCALCINFO& ci) { ci.param1 = nullptr; }, none},
        {"param2 null", [](tagCALCINFO& ci) { ci.param2 = nullptr; }, none},
        {"param3 null", [](tagCALCINFO& ci) { ci.param3 = nullptr; }, none},
        {"param4 null", [](tagCALCINFO& ci) { ci.param4 = nullptr; }, none},
        {"result null", [](tagCALCINFO& ci) { ci.result = nullptr; }, all},
        {"no bars", [](tagCALCINFO& ci) { ci.data_count = 0; }, all},
    };
    for (const Acting& e : exports)
        for (const Field& f : fields) {
            std::string what = std::string(e.name) + " with " + f.name;
            pid_t child = fork();
            if (child == 0) {  // exit 0: returned without acting, 3: acted, 4: out of range (ASan dies with 1)
                pw::set_window_under_cursor(top("预警 -"));
                if (e.fn == LKBS) {  // an operation other than the case's goes first: never a repeat
                    Chart prime = fresh_chart(8);
                    LKBS(&prime.ci());
                }
                const size_t mark = pw::record().size();
                Chart c = fresh_chart(e.p1);
                c.p3 = {1}, c.p4 = {1};
                tagCALCINFO ci = c.ci();
                f.clear(ci);
                int r = e.fn(&ci);
                _exit(r < -1 || r >= 5 ? 4 : acted(mark) ? 3 : 0);
            }
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            EXPECT_TRUE(code == 0 || code == 3 || code == 4) << what << " faulted";
            EXPECT_NE(code, 4) << what << " returned outside the series";
            if (f.stops == all || (f.stops == code_users && e.needs_label)) EXPECT_EQ(code, 0) << what << " acted";
            if (std::string(f.name) == "nothing" && std::string(e.name) != "StockPositions" &&
                std::string(e.name) != "get_alarm_data") {
                EXPECT_EQ(code, 3) << what << " did not act: the row proves nothing";
            }
        }
}
