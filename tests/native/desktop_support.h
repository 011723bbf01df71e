// The windows the bridges drive, on the scripted desktop: the host's alert
// window and short-term-sprite list, the TDX terminal titled for the
// TitleName "TDX测试" with its buy-order panel and quick-order window, and
// the 雷凯 terminal with its order buttons.
#pragma once

#include <string>

#include "platform/windows_testing.h"
#include "tests/native/datafiles_support.h"

constexpr uint32_t kDesktopHostPid = 8;  // the host program: runs `host_exe`
const char kDesktopTdxTitleName[] = "TDX测试";

inline void plant_host_and_terminals(const std::string& host_exe) {
    namespace pw = plat_windows_testing;
    pw::reset();
    pw::set_main_module(kDesktopHostPid, host_exe.c_str());
    plat::Window alert = pw::add_window(0, "Alert", "大智慧 预警 - 运行中", kDesktopHostPid);
    pw::add_window(alert, "Button", "启动预警", kDesktopHostPid);
    pw::add_window(alert, "Button", "停止预警", kDesktopHostPid);
    for (int i = 0; i < 3; ++i) pw::add_window(alert, "Static", "", kDesktopHostPid);
    pw::set_cells(pw::add_window(alert, "SysListView32", "", kDesktopHostPid),
                  {{"600000", "突破", "12-07 09:30:00", "10.5"}, {"000001", "突破", "12-07 09:31:00", "8"}});
    plat::Window sprite = pw::add_window(0, "Sprite", "短线精灵", kDesktopHostPid);
    pw::set_cells(pw::add_window(sprite, "SysListView32", "", kDesktopHostPid), {{"09:30 浦发银行 大笔买入"}, {"x"}});

    plat::Window tdx = pw::add_window(0, "TdxW", (std::string(kDesktopTdxTitleName) + " 交易").c_str(), 5);
    pw::set_cells(pw::add_window(tdx, "SysListView32", "", 5), {{"600000 浦发银行 100"}});
    plat::Window panel = pw::add_window(tdx, "Panel", "", 5);
    pw::add_window(panel, "Static", "", 5);
    pw::add_window(panel, "Edit", "", 5);  // price
    pw::add_window(panel, "Edit", "", 5);  // code
    pw::add_window(panel, "Button", "买入下单", 5);
    plat::Window order = pw::add_window(0, "Order", "", 5);
    pw::add_window(order, "Edit", "", 5);
    pw::set_owner(pw::add_window(0, "Button", "买入下单", 5), order);

    plat::Window lk = pw::add_window(0, "LK", "雷凯投资期货交易  - [模拟]", 6);
    for (const char* caption : {"开多[F1]", "平多[F2]", "开空[F3]", "平空[F4]", "清仓(&Q)", "全撤(&X)"})
        pw::add_window(lk, "Button", caption, 6);
}

// A host directory whose TARVEX.ini points 通达信= at a terminal directory
// naming the TDX window above, with the host and the terminals planted.
class TerminalDeskTest : public DataFileTest {
protected:
    void SetUp() override {
        DataFileTest::SetUp();
        make_dir("tdx");
        write_text("TARVEX.ini", "[路径]\n通达信=" + win("tdx") + "\n");
        write_text("tdx/connect.cfg", std::string("[OTHER]\nTitleName=") + kDesktopTdxTitleName + "\n");
        plant_host_and_terminals(win("dzh.exe"));
    }
    void TearDown() override {
        plat_windows_testing::reset();
        DataFileTest::TearDown();
    }
};
