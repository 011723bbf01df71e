// The utility exports and Save2Mt4 through the DLL's exact symbols: a marker
// file, OutLog by its type-decorated symbol, FB across calls, SQLit3 on a real
// database reached as D:\StockData\yjyg.db (run_wine_tests.sh) with its printed
// lines captured, and Save2Mt4 notifying a real window of this program.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/wine/wine_check.h"

namespace {

std::vector<WPARAM> g_commands;
LRESULT CALLBACK record_commands(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_COMMAND && lp == 0) g_commands.push_back(wp);
    return DefWindowProcA(w, m, wp, lp);
}

Chart ticks(const char* code, int n, float price) {
    Chart c(n);
    c.label = code, c.period = kPeriodTick;
    for (BarRecord& b : c.bars) b.close = price, b.volume = 2, b.amount = 5000;
    c.ext.assign(n, ExtRecord{});
    for (ExtRecord& e : c.ext) e.f[0] = 10.00f, e.f[10] = 10.10f;
    c.series(std::vector<float>(n, 10.0f), 0);
    c.p2 = {1000};
    return c;
}

}  // namespace

WINE_TEST(utilities_queries_outlog_fb_and_sqlit3) {
    Chart c(3);
    write_text("主程序.txt", "");
    CHECK_EQ(call("is_main_dzh", c), 2);
    CHECK_EQ(c.result[2], 1.0f);
    c.constant(1), c.p2 = {7.9f};
    CHECK_EQ(call("OutLog", c), 0);
    CHECK(log_text().find("-> 600000 发生事件 7") != std::string::npos);

    Chart a = ticks("600100", 3, 10.07f), b = ticks("600100", 5, 10.03f);  // ask side, then bid side
    CHECK_EQ(call("FB", a), 2);
    CHECK_EQ(a.result[2], 6.0f);
    CHECK_EQ(call("FB", b), 4);  // only the two new ticks
    CHECK_EQ(b.result[4], 2.0f);

    // SQLit3 prints through the C runtime this program shares: stdout into a file.
    std::fflush(stdout);
    int saved = _dup(1), fd = _open("stdout.txt", _O_WRONLY | _O_CREAT | _O_TRUNC, _S_IREAD | _S_IWRITE);
    _dup2(fd, 1), _close(fd);
    int r = call("SQLit3", c);
    _dup2(saved, 1), _close(saved);
    CHECK_EQ(r, -1);
    Bytes out = read_bytes("stdout.txt");
    out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());
    CHECK_EQ(std::string(out.begin(), out.end()),
             std::string("row:2 column = 3 \n\nThe result of querying is : \n"
                         "azResult[0] = code\nazResult[1] = name\nazResult[2] = pct\n"
                         "azResult[3] = 600000\nazResult[4] = PFYH\nazResult[5] = 12.5\n"
                         "azResult[6] = 000001\nazResult[7] = \nazResult[8] = -3.25\n"));
}

WINE_TEST(utilities_save2mt4_writes_and_notifies_a_window) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = record_commands;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TarvexMt4Chart";
    RegisterClassA(&wc);
    HWND chart = CreateWindowA("TarvexMt4Chart", "SH600000,Daily", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                               nullptr, wc.hInstance, nullptr);
    CHECK(chart != nullptr);
    Bytes handle;
    put_u32(handle, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(chart)));
    write_bytes("SH600000-1440.HWND", handle);  // both MT4 paths default to module_dir

    Chart c(3);
    c.bars[0].time = 1000000000;
    c.closes_series(0);
    CHECK_EQ(call("Save2Mt4", c), 0);
    Bytes file = read_bytes("SH6000001440.HST"), first_time;
    put_i32(first_time, 1000028800);  // the first bar's time moved by 8 hours
    CHECK(file.size() == 148 + 3 * 44 && Bytes(file.begin() + 148, file.begin() + 152) == first_time);
    MSG msg;
    for (int i = 0; i < 100 && g_commands.empty(); ++i) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (g_commands.empty()) Sleep(10);
    }
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);  // and no second one
    CHECK(g_commands == std::vector<WPARAM>{33324});
    DestroyWindow(chart);
}
