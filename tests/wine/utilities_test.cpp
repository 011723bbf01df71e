// The utility exports and Save2Mt4 through the DLL's exact symbols: marker
// files, LableGet over a security-information file built from its layout,
// OutLog by its type-decorated symbol, FB across calls, SQLit3 on a real
// database reached as D:\StockData\yjyg.db with its printed lines captured,
// and Save2Mt4 notifying a real window of this program.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/stock_info_bytes.h"
#include "tests/wine/wine_check.h"

namespace {

bool log_has(const std::string& text) { return log_text().find(text) != std::string::npos; }

// What `fn` prints on standard output (the DLL shares this program's C
// runtime), CRs of the text mode removed.
template <class Fn>
std::string captured_stdout(Fn fn) {
    std::fflush(stdout);
    int saved = _dup(_fileno(stdout));
    int fd = _open("stdout.txt", _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
    _dup2(fd, _fileno(stdout));
    _close(fd);
    fn();
    std::fflush(stdout);
    _dup2(saved, _fileno(stdout));
    _close(saved);
    Bytes b = read_bytes("stdout.txt");
    std::string s;
    for (unsigned char c : b)
        if (c != '\r') s += static_cast<char>(c);
    return s;
}

std::vector<WPARAM> g_commands;
LRESULT CALLBACK record_commands(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_COMMAND && lp == 0) g_commands.push_back(wp);
    return DefWindowProcA(w, m, wp, lp);
}

Chart ticks(const char* code, int n, float price) {
    Chart c(n);
    c.label = code;
    c.period = kPeriodTick;
    for (BarRecord& b : c.bars) {
        b.close = price;
        b.volume = 2;
        b.amount = 5000;
    }
    c.ext.assign(n, ExtRecord{});
    for (ExtRecord& e : c.ext) {
        e.f[0] = 10.00f;
        e.f[10] = 10.10f;
    }
    c.series(std::vector<float>(n, 10.0f), 0);
    c.p2 = {1000};
    return c;
}

}  // namespace

WINE_TEST(utilities_queries_outlog_and_fb) {
    Chart c(3);
    write_text("主程序.txt", "");
    CHECK_EQ(call("is_main_dzh", c), 2);
    CHECK_EQ(c.result[2], 1.0f);
    CHECK_EQ(call("is_HK_dzh", c), 2);
    CHECK_EQ(c.result[2], 0.0f);
    remove_file("主程序.txt");

    make_dirs("data\\SH");
    write_bytes("data\\SH\\STKINFO70.DAT", stock_info_file(kStkInfo70, {{"600001", 1}, {"600000", -2}}));
    CHECK_EQ(call("LableGet", c), 2);
    CHECK_EQ(c.result[2], -2.0f);
    c.label = "000001";
    CHECK_EQ(call("LableGet", c), -1);
    CHECK(log_has("-> 没找到文件 " + host_path("data\\SZ\\STKINFO60.DAT")));

    c.label = "600000";
    c.constant(1);
    c.p2 = {7.9f};
    CHECK_EQ(call("OutLog", c), 0);  // through its type-decorated symbol
    CHECK(log_has("-> 600000 发生事件 7"));

    // FB: tick 0 above the reference, then ask side; a later call adds only new ticks.
    Chart a = ticks("600100", 3, 10.07f), b = ticks("600100", 5, 10.03f), edge = ticks("600101", 2, 11.00f);
    CHECK_EQ(call("FB", a), 2);
    CHECK_EQ(a.result[2], 6.0f);
    CHECK_EQ(call("FB", b), 4);
    CHECK_EQ(b.result[4], 2.0f);
    CHECK_EQ(call("FB", edge), 1);  // the upper band edge counts nothing
    CHECK_EQ(edge.result[1], 0.0f);
}

WINE_TEST(utilities_sqlit3_prints_the_rows_of_yg) {
    Chart c(2);
    c.p2 = {0};
    int r = 0;
    std::string out = captured_stdout([&] { r = call("SQLit3", c); });
    CHECK_EQ(r, -1);
    CHECK_EQ(out, std::string("row:2 column = 3 \n\nThe result of querying is : \n"
                              "azResult[0] = code\nazResult[1] = name\nazResult[2] = pct\n"
                              "azResult[3] = 600000\nazResult[4] = PFYH\nazResult[5] = 12.5\n"
                              "azResult[6] = 000001\nazResult[7] = \nazResult[8] = -3.25\n"));
    CHECK_EQ(c.result[1], -777.0f);
    CHECK_EQ(log_text(), std::string());
}

WINE_TEST(utilities_save2mt4_writes_and_notifies_a_window) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = record_commands;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TarvexMt4Chart";
    RegisterClassA(&wc);
    HWND chart_window = CreateWindowA("TarvexMt4Chart", "SH600000,Daily", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                      nullptr, nullptr, wc.hInstance, nullptr);
    CHECK(chart_window != nullptr);
    Bytes handle;
    put_u32(handle, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(chart_window)));
    write_bytes("SH600000-1440.HWND", handle);  // MT4_FILE_PATH and MT4_HST_PATH default to module_dir

    Chart c(3);
    c.bars[0].time = 1000000000;
    c.bars[2].close = 12.5f;
    c.closes_series(0);
    g_commands.clear();
    CHECK_EQ(call("Save2Mt4", c), 0);
    CHECK_EQ(c.result[2], 12.5f);
    Bytes file = read_bytes("SH6000001440.HST"), want;
    put_i32(want, 400);
    put_text(want, "(C)opyright 2003, MetaQuotes Software Corp.", 64);
    put_text(want, "SH600000", 12);
    put_i32(want, 1440);
    put_i32(want, 2);
    want.resize(148, 0);
    put_i32(want, 1000028800);  // the first bar's time moved by 8 hours
    CHECK(file.size() == 148 + 3 * 44 && Bytes(file.begin(), file.begin() + 152) == want);

    MSG msg;
    for (int i = 0; i < 100 && g_commands.empty(); ++i) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (g_commands.empty()) Sleep(10);
    }
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);  // and no second one
    CHECK_EQ(static_cast<int>(g_commands.size()), 1);
    if (!g_commands.empty()) CHECK_EQ(static_cast<unsigned long>(g_commands[0]), 33324ul);
    DestroyWindow(chart_window);
    remove_file("SH600000-1440.HWND");
    remove_file("SH6000001440.HST");
}
