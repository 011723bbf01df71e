// The trading-terminal exports against stand-in terminals in processes of
// their own: TDX, TDXTrade and StockPositions against the TDX fixture found
// by the title its connect.cfg names, LKBS against the 雷凯 fixture; each
// beside a look-alike whose title misses by one character and must never be
// driven. The tests read back what the fixtures recorded, and the log.
#include <windows.h>

#include <cmath>
#include <string>

#include "tests/wine/fixture_process.h"
#include "tests/wine/fixtures/advanced_get.h"
#include "tests/wine/fixtures/fixture_window.h"
#include "tests/wine/fixtures/terminals.h"
#include "tests/wine/wine_check.h"

namespace {

// What a fixture recorded since the last look.
struct Record {
    const char* file;
    size_t seen = 0;
    std::string next() {
        Bytes b = read_bytes(file);
        std::string all(b.begin(), b.end());
        std::string fresh = seen <= all.size() ? all.substr(seen) : all;
        seen = all.size();
        return fresh;
    }
    // Waits up to two seconds for `text` to be recorded (input events arrive
    // after the call that sent them returns).
    std::string wait_for(const std::string& text) {
        std::string got;
        for (int i = 0; i < 40; ++i) {
            got += next();
            if (got.find(text) != std::string::npos) break;
            Sleep(50);
        }
        return got;
    }
};

Chart trade_chart(const std::string& label, float price, bool with_mode = false, float mode = 1) {
    Chart c(5);
    c.label = label;
    c.constant(price);
    c.p2 = {1};
    if (with_mode) c.p3 = {mode};
    return c;
}

void cursor_over(HWND w) {
    RECT r;
    if (GetWindowRect(w, &r)) SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// A window of this program, which is the host for the library: it counts
// the left clicks it receives. Made and pumped by a thread of its own, as
// the host's charts are by its user-interface thread.
struct ClickTarget {
    HWND hwnd = nullptr;
    HANDLE thread = nullptr, ready = nullptr;
    DWORD thread_id = 0;
};
volatile LONG g_clicks = 0;

LRESULT CALLBACK click_target_proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_LBUTTONDOWN) InterlockedIncrement(&g_clicks);
    return DefWindowProcA(h, m, w, l);
}

DWORD WINAPI click_target_thread(void* p) {
    ClickTarget* t = static_cast<ClickTarget*>(p);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = click_target_proc;
    wc.lpszClassName = "TarvexClickTarget";
    RegisterClassA(&wc);
    t->hwnd = CreateWindowA(wc.lpszClassName, "TARVEX 图表", WS_POPUP | WS_VISIBLE, 600, 450, 200, 150, nullptr,
                            nullptr, nullptr, nullptr);
    SetEvent(t->ready);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    DestroyWindow(t->hwnd);
    return 0;
}

void open_click_target(ClickTarget* t) {
    t->ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    t->thread = CreateThread(nullptr, 0, click_target_thread, t, 0, &t->thread_id);
    CHECK(WaitForSingleObject(t->ready, 10000) == WAIT_OBJECT_0 && t->hwnd);
    CloseHandle(t->ready);
}

void close_click_target(ClickTarget* t) {
    PostThreadMessageA(t->thread_id, WM_QUIT, 0, 0);
    CHECK(WaitForSingleObject(t->thread, 10000) == WAIT_OBJECT_0);
    CloseHandle(t->thread);
}

// IsWow64Process, looked up as the library does; false when absent.
bool wow64(HANDLE process, BOOL* under) {
    auto fn = reinterpret_cast<BOOL(WINAPI*)(HANDLE, PBOOL)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
    return fn && fn(process, under);
}

void configure_tdx() {
    make_dirs("tdx");
    write_text("TARVEX.ini", "[路径]\r\n通达信=" + host_path("tdx") + "\r\n");
    write_text("tdx\\connect.cfg", std::string("[OTHER]\r\nTitleName=") + kTdxTitleName + "\r\n");
}

// The log's lines from the first "-> " on, each cut to its message.
std::string logged_rows() {
    std::string log = log_text(), seen;
    for (size_t at = log.find("-> "); at != std::string::npos; at = log.find("-> ", at + 1))
        seen += log.substr(at, log.find("\r\n", at) - at);
    return seen;
}

}  // namespace

WINE_TEST(bridges_tdx_panels_positions_and_a_reopened_terminal) {
    configure_tdx();
    remove_file(kTdxRecord);
    const std::string title = std::string(kTdxTitleName) + kTdxTitleTail;
    Fixture real = start_fixture("tdx_terminal.exe", "", title);
    Fixture fake = start_fixture("tdx_terminal.exe", "lookalike", kTdxLookalikeTitle);
    CHECK(z_position(fake.top) >= 0 && z_position(fake.top) < z_position(real.top));
    HWND buy = child_at(real.top, 1), multi = child_at(real.top, 2);
    HWND buy_button = child_at(buy, 3);
    Record rec{kTdxRecord};

    // TDX: the code into the quick-order window, once per security.
    Chart tdx(3);
    tdx.label = "600000";
    CHECK_EQ(call("TDX", tdx), 0);
    CHECK_EQ(rec.next(), std::string("order.code 600000\n"));
    CHECK_EQ(call("TDX", tdx), -1);

    // TDXTrade: a new code only, then the price once the panel shows the code.
    struct {
        HWND preset_panel;  // panel whose code edit already shows the label
        Chart chart;
        int result;
        std::string typed;
    } cases[] = {
        {nullptr, trade_chart("600000", 10.456f), 0, "buy.code 600000\n"},
        {nullptr, trade_chart("600000", 10.456f), -1, ""},
        {buy, trade_chart("600036", 10.456f), 0, "buy.price 10.46\n"},
        {multi, trade_chart("600519", 1800.499f, true, 0.9f), 0, "multi.price 1800.50\n"},
        {buy, trade_chart("601318", 0.0f), 0, ""},
        // Undefined values type and click nothing.
        {buy, trade_chart("601319", NAN), -1, ""},
        {nullptr, trade_chart("601320", 10.0f, true, NAN), -1, ""},
    };
    // The cursor rests on the terminal's own order button, another
    // program's window: typed as ever, but never clicked there.
    const std::string no_click = "-> TDXTrade 鼠标不在本程序窗口上,不点击";
    for (auto& c : cases) {
        if (c.preset_panel)
            SendMessageA(child_at(c.preset_panel, 2), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.chart.label.c_str()));
        rec.next();
        clear_log();
        cursor_over(buy_button);
        CHECK_EQ(call("TDXTrade", c.chart), c.result);
        CHECK_EQ(rec.next(), c.typed);
        CHECK_EQ(log_text().find(no_click) != std::string::npos, c.result == 0);
        Sleep(200);
        CHECK_EQ(rec.next(), std::string());
    }
    // Over a window of the host itself: the click goes there.
    ClickTarget chart_window;
    open_click_target(&chart_window);
    cursor_over(chart_window.hwnd);
    LONG clicks = g_clicks;
    clear_log();
    Chart over_host = trade_chart("600050", 3.0f);
    CHECK_EQ(call("TDXTrade", over_host), 0);
    for (int i = 0; i < 40 && g_clicks == clicks; ++i) Sleep(50);
    CHECK_EQ(g_clicks, clicks + 1);
    CHECK(log_text().find(no_click) == std::string::npos);
    CHECK_EQ(rec.next(), std::string("buy.code 600050\n"));
    close_click_target(&chart_window);
    Chart no_p2 = trade_chart("600001", 1.0f);
    no_p2.p2.clear();
    CHECK_EQ(call("TDXTrade", no_p2), -1);

    CHECK(log_text().find("-> TDXTrade 参数错误") != std::string::npos);

    // StockPositions: column 0 of each row, one log line each.
    clear_log();
    CHECK_EQ(call("StockPositions", tdx), 0);
    std::string rows;
    for (const char* cell : kTdxCells) rows += std::string("-> ") + cell + ",";
    CHECK_EQ(logged_rows(), rows);

    // Closed and started again: the remembered panel is found anew.
    stop_fixture(real);
    real = start_fixture("tdx_terminal.exe", "", title);
    rec.next();
    Chart again = trade_chart("000001", 5.0f);
    CHECK_EQ(call("TDXTrade", again), 0);
    CHECK(rec.next().find("buy.code 000001\n") == 0);
    stop_fixture(real);

    // With the terminal gone, or the installation not configured.
    struct {
        const char* ini;
        const char* cfg;
        std::string logged;
    } gone[] = {
        {nullptr, kTdxTitleName, std::string("未找到交易软件 ") + kTdxTitleName},
        {nullptr, nullptr, "TDX系统不完整"},
        {"[路径]\r\n", kTdxTitleName, "未设置 [路径] 通达信="},
    };
    int n = 0;
    for (const auto& g : gone) {
        if (g.ini) write_text("TARVEX.ini", g.ini);
        if (g.cfg) write_text("tdx\\connect.cfg", std::string("[OTHER]\r\nTitleName=") + g.cfg + "\r\n");
        else remove_file("tdx\\connect.cfg");
        clear_log();
        CHECK_EQ(call("StockPositions", tdx), -1);
        CHECK(log_text().find("-> " + g.logged) != std::string::npos);
        Chart t = trade_chart("60000" + std::to_string(n++), 2.0f);
        CHECK_EQ(call("TDXTrade", t), -1);
    }
    tdx.label = "000002";
    CHECK_EQ(call("TDX", tdx), -1);
    stop_fixture(fake);
    rec.seen = 0;
    CHECK(rec.next().find("x.") == std::string::npos);
    remove_file("TARVEX.ini");
    remove_file("tdx\\connect.cfg");
}

// The current TDX terminals are 64-bit programs: their position list holds
// the 64-bit LVITEMA. Needs a prefix that runs 64-bit programs; in a win32
// prefix scripts/run_wine_tests.sh runs this test again in a win64 one.
WINE_TEST(bridges_positions_of_a_64bit_terminal) {
    BOOL under = FALSE;
    if (!wow64(GetCurrentProcess(), &under) || !under) {
        std::printf("  skipped here: this Wine prefix runs no 64-bit programs\n");
        return;
    }
    configure_tdx();
    const std::string title = std::string(kTdxTitleName) + kTdxTitleTail;
    Fixture wide = start_fixture("tdx_terminal64.exe", "", title);
    BOOL wide_under = TRUE;
    CHECK(wow64(wide.pi.hProcess, &wide_under) && !wide_under);  // a 64-bit process indeed
    clear_log();
    Chart chart(3);
    CHECK_EQ(call("StockPositions", chart), 0);
    std::string rows;
    for (const char* cell : kTdxCells) rows += std::string("-> ") + cell + ",";
    CHECK_EQ(logged_rows(), rows);
    stop_fixture(wide);
    remove_file("TARVEX.ini");
    remove_file("tdx\\connect.cfg");
}

// Terminals whose window thread stops answering: every export returns -1
// within its bounded waits, says so, and sends nothing after the message
// that was not answered.
WINE_TEST(bridges_a_terminal_that_stops_answering) {
    configure_tdx();
    remove_file(kFixtureWakeFile);
    remove_file(kTdxRecord);
    remove_file(kLkRecord);
    const std::string title = std::string(kTdxTitleName) + kTdxTitleTail;
    Fixture tdx = start_fixture("tdx_terminal.exe", "", title);
    Fixture lk = start_fixture("lk_terminal.exe", "", kLkTitle);
    auto answers = [](HWND w) {
        DWORD_PTR r = 0;
        return SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 300, &r) != 0;
    };
    for (HWND w : {tdx.top, lk.top}) {
        PostMessageA(w, kFixtureHangMessage, 0, 0);
        for (int i = 0; i < 50 && answers(w); ++i) Sleep(100);
        CHECK(!answers(w));
    }
    Chart positions(3), lk_op(5);
    lk_op.constant(1);
    Chart codes = trade_chart("600070", 9.5f);
    Chart order = codes;
    order.label = "600071";
    struct {
        const char* fn;
        Chart* chart;
        std::string logged;
    } cases[] = {
        {"TDX", &codes, "TDX 对方程序无响应,操作中止"},
        {"TDXTrade", &order, "TDXTrade 对方程序无响应,操作中止"},
        {"StockPositions", &positions, "list_reader 对方程序无响应,操作中止"},
        {"LKBS", &lk_op, "LKBS 对方程序无响应,操作中止"},
    };
    for (auto& c : cases) {
        clear_log();
        DWORD t0 = GetTickCount();
        CHECK_EQ(call(c.fn, *c.chart), -1);
        CHECK(GetTickCount() - t0 < 20000);  // bounded, not forever (each wait is a few seconds)
        CHECK(log_text().find("-> " + c.logged) != std::string::npos);
    }
    write_text(kFixtureWakeFile, "");
    for (HWND w : {tdx.top, lk.top})
        for (int i = 0; i < 100 && !answers(w); ++i) Sleep(100);
    // What a woken terminal may still handle is the one message that timed
    // out: no price, no button release, no click after it.
    std::string tdx_seen = Record{kTdxRecord}.next(), lk_seen = Record{kLkRecord}.next();
    CHECK(tdx_seen.find("price") == std::string::npos && tdx_seen.find("down") == std::string::npos);
    CHECK(lk_seen.find("up ") == std::string::npos);
    stop_fixture(tdx);
    stop_fixture(lk);
    remove_file(kFixtureWakeFile);
    remove_file("TARVEX.ini");
    remove_file("tdx\\connect.cfg");
}

WINE_TEST(bridges_lk_presses_each_operation_once) {
    remove_file(kLkRecord);
    Fixture real = start_fixture("lk_terminal.exe", "", kLkTitle);
    Fixture fake = start_fixture("lk_terminal.exe", "lookalike", kLkLookalikeTitle);
    CHECK(z_position(fake.top) >= 0 && z_position(fake.top) < z_position(real.top));
    Record rec{kLkRecord};
    struct {
        float op;
        int result;
        std::string pressed;  // caption pressed, or empty
        std::string logged;
    } cases[] = {
        {1, 99, "开多[F1]", "开多[F1]600000 成功"},
        {1, -1, "", "重复操作，返回 1"},
        {2, 99, "平多[F2]", "平多[F2]600000 成功"},
        {0, -1, "", "错误的雷凯操作"},
        {9, -1, "", "错误的雷凯操作"},
        {NAN, -1, "", "LKBS 参数1未定义(无K线或非数值),不操作"},
        {5, 99, "开多[F1]", "开多[F1]600000 成功"},
        {7.9f, 99, "清仓(&Q)", "清仓(&Q)600000 成功"},
        {3, 99, "开空[F3]", "开空[F3]600000 成功"},
    };
    int last = -1;
    for (const auto& c : cases) {
        clear_log();
        Chart chart(100);
        chart.constant(c.op);
        CHECK_EQ(call("LKBS", chart), c.result);
        std::string log = log_text();
        CHECK(log.find("-> LKBS 启动,历史操作= " + std::to_string(last)) != std::string::npos);
        CHECK(log.find("-> " + c.logged) != std::string::npos);
        std::string want = c.pressed.empty() ? "" : "down " + c.pressed + "\nup " + c.pressed + "\n";
        CHECK_EQ(rec.next(), want);
        if (c.result >= 0) {
            CHECK_EQ(chart.result[99], static_cast<float>(static_cast<int>(c.op)));
            last = static_cast<int>(c.op);
        } else {
            CHECK_EQ(chart.result[99], -777.0f);
        }
    }
    // Only the look-alike left: its title misses, so nothing is pressed.
    stop_fixture(real);
    clear_log();
    Chart chart(100);
    chart.constant(4);
    CHECK_EQ(call("LKBS", chart), -1);
    CHECK(log_text().find("-> 雷凯交易软件未启动") != std::string::npos);
    stop_fixture(fake);
    CHECK_EQ(rec.next(), std::string());
}

WINE_TEST(bridges_aget_memory_of_a_running_advanced_get) {
    make_dirs("get");
    write_text("TARVEX.ini", "[路径]\r\nGET=" + host_path("get") + "\\\r\n");
    remove_file("get\\SH600000DAY.OFF");
    remove_file(kVeskorinRecord);
    Record refresher{kVeskorinRecord};
    Chart c(20);
    for (int i = 0; i < 20; ++i)  // columns that never share a value
        c.bars[i] = BarRecord{1704153600 + 86400 * i, 100.0f + i, 200.0f + i, 50.0f + i, 150.0f + i, 1000.0f + i, 0, 0};
    c.closes_series(0);
    auto row_of = [](const BarRecord& b) { return std::vector<double>{b.open, b.high, b.low, b.close, b.volume}; };

    // Advanced GET not running: the data file it loads.
    CHECK_EQ(call("Save2Get", c), 0);
    CHECK(log_text().find(std::string("-> 没启动 ") + kGetTitle) != std::string::npos);
    Bytes file = read_bytes("get\\SH600000DAY.TXT");
    CHECK_EQ(std::string(file.begin(), file.begin() + 44), std::string("2024/01/02 100.0 200.0 50.0 150.0 1000 151\r\n"));

    // Found in its memory: the offset file, every row, the refresher once.
    Fixture get = start_fixture("advanced_get.exe", host_path("get\\SH600000DAY.TXT").c_str(), kGetTitle);
    GetDump dump = dump_get(get.top);
    CHECK_EQ(dump.rows.size(), 20u);
    c.bars[5].volume = 7777;
    clear_log();
    CHECK_EQ(call("Save2Get", c), -1);
    CHECK(log_text().find("->  Save2Get - findGet OK") != std::string::npos);
    Bytes offsets;
    put_i32(offsets, 20), put_u32(offsets, dump.base), put_u32(offsets, dump.base + dump.stride);
    put_u32(offsets, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(get.top)));
    CHECK_EQ(read_bytes("get\\SH600000DAY.OFF"), offsets);
    CHECK(dump_get(get.top).rows[5] == row_of(c.bars[5]));
    CHECK_EQ(refresher.wait_for("started\n"), std::string("started\n"));

    // The last bar again, the earlier ones as written: its row alone, no
    // refresher. Then the chart moves on by a bar: every row anew, and the
    // refresher once more.
    c.bars[19].close = 170;
    CHECK_EQ(call("Save2Get", c), -1);
    std::vector<std::vector<double>> rows = dump_get(get.top).rows;
    CHECK(rows[19][3] == 170.0 && rows[0][3] == 150.0);
    c.bars = std::vector<BarRecord>(c.bars.begin() + 1, c.bars.end());
    c.bars.push_back(BarRecord{1704153600 + 86400 * 20, 1, 2, 0.5f, 1.5f, 9, 0, 0});
    CHECK_EQ(call("Save2Get", c), -1);
    rows = dump_get(get.top).rows;
    CHECK(rows.size() == 20 && rows[0] == row_of(c.bars[0]) && rows[19] == row_of(c.bars[19]));
    CHECK_EQ(refresher.wait_for("started\n"), std::string("started\n"));

    // Closed: the data file again.
    stop_fixture(get);
    clear_log();
    CHECK_EQ(call("Save2Get", c), 0);
    CHECK(log_text().find(std::string("-> 没启动 ") + kGetTitle) != std::string::npos);
    CHECK_EQ(refresher.next(), std::string());
    remove_file("TARVEX.ini");
}
