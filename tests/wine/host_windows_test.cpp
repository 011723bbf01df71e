// The exports over the host's own windows: AlarmOnOff, get_alarm_data and
// GetSmartMsg. The alert and sprite windows belong to the host, the program
// that loaded the library, so this program makes them on a second thread
// that pumps their messages, as the host's user-interface thread does. A
// look-alike alert window in another program (the alert_window fixture) sits
// above them and must be passed over. The tests read back the block files,
// the self-data files and the log.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <ctime>
#include <string>

#include "tests/wine/fixtures/host_windows.h"
#include "tests/wine/wine_check.h"

namespace {

// The host's windows, made and served by their own thread.
struct HostWindows {
    HANDLE thread = nullptr;
    HANDLE ready = nullptr;
    DWORD thread_id = 0;
    HWND alert = nullptr, alert_list = nullptr, sprite = nullptr, sprite_list = nullptr;
};

// Presses seen by the alert window's buttons and by the window itself, as
// "start down", "stop up", "window down" lines; written by the window thread
// while the sending call waits.
std::string g_presses;
WNDPROC g_button_proc;

const char* press_name(HWND w) {
    char text[32] = "";
    GetWindowTextA(w, text, sizeof text);
    return std::strcmp(text, "启动预警") == 0 ? "start" : "stop";
}

LRESULT CALLBACK button_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_LBUTTONDOWN) g_presses += std::string(press_name(hwnd)) + " down\n";
    if (msg == WM_LBUTTONUP) g_presses += std::string(press_name(hwnd)) + " up\n";
    return CallWindowProcA(g_button_proc, hwnd, msg, wp, lp);
}

LRESULT CALLBACK frame_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_LBUTTONDOWN) g_presses += "window down\n";
    if (msg == WM_LBUTTONUP) g_presses += "window up\n";
    return DefWindowProcA(hwnd, msg, wp, lp);
}

DWORD WINAPI host_ui_thread(void* arg) {
    HostWindows* h = static_cast<HostWindows*>(arg);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = frame_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TarvexHostFrame";
    RegisterClassA(&wc);
    h->alert = CreateWindowA(wc.lpszClassName, kAlertWindowTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 480, 260,
                             nullptr, nullptr, wc.hInstance, nullptr);
    h->alert_list = h->alert ? fill_alert_window(h->alert) : nullptr;
    HWND start = GetWindow(h->alert, GW_CHILD);  // the start and stop buttons come first
    for (HWND b : {start, GetWindow(start, GW_HWNDNEXT)})
        g_button_proc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(b, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(button_proc)));
    h->sprite = CreateWindowA(wc.lpszClassName, kSpriteWindowTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 270, 480,
                              260, nullptr, nullptr, wc.hInstance, nullptr);
    h->sprite_list = h->sprite ? make_list(h->sprite, 1, 0, 0) : nullptr;
    SetEvent(h->ready);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (h->alert) DestroyWindow(h->alert);
    if (h->sprite) DestroyWindow(h->sprite);
    return 0;
}

bool open_host_windows(HostWindows* h) {
    h->ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    h->thread = CreateThread(nullptr, 0, host_ui_thread, h, 0, &h->thread_id);
    return h->thread && WaitForSingleObject(h->ready, 10000) == WAIT_OBJECT_0 && h->alert_list && h->sprite_list;
}

void close_host_windows(HostWindows* h) {
    if (h->thread) {
        PostThreadMessageA(h->thread_id, WM_QUIT, 0, 0);
        CHECK(WaitForSingleObject(h->thread, 10000) == WAIT_OBJECT_0);
        CloseHandle(h->thread);
    }
    if (h->ready) CloseHandle(h->ready);
    *h = HostWindows{};
}

// The look-alike in its own process, waited for until its title is set.
struct Lookalike {
    PROCESS_INFORMATION pi = {};
    HWND top = nullptr;
};

Lookalike start_lookalike() {
    Lookalike f;
    std::string cmd = "\"" + host_path("alert_window.exe") + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    CHECK(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &f.pi));
    char text[300];
    for (int i = 0; i < 400 && f.pi.hProcess && !f.top; ++i) {
        for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w && !f.top; w = GetWindow(w, GW_HWNDNEXT)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == f.pi.dwProcessId && GetWindowTextA(w, text, sizeof text) > 0 &&
                std::strcmp(text, kAlertWindowTitle) == 0)
                f.top = w;
        }
        if (!f.top) Sleep(50);
    }
    CHECK(f.top != nullptr);
    return f;
}

void stop_lookalike(Lookalike& f) {
    if (f.top) PostMessageA(f.top, WM_CLOSE, 0, 0);
    if (f.pi.hProcess) {
        if (WaitForSingleObject(f.pi.hProcess, 10000) != WAIT_OBJECT_0) {
            report_failure(__FILE__, __LINE__, "fixture did not end after WM_CLOSE");
            TerminateProcess(f.pi.hProcess, 1);
        }
        CloseHandle(f.pi.hProcess);
        CloseHandle(f.pi.hThread);
    }
    f = Lookalike{};
}

int z_position(HWND w) {
    int i = 0;
    for (HWND c = GetWindow(GetDesktopWindow(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++i)
        if (c == w) return i;
    return -1;
}

int call_label(const char* function, const std::string& label) {
    Chart c(3);
    c.label = label;
    return call(function, c);
}

// Seconds of 15 March of this year at 10:30:00 local time, cut to its day.
int32_t alert_day() {
    time_t now = std::time(nullptr);
    struct tm t = *std::localtime(&now);
    t.tm_mon = 2;
    t.tm_mday = 15;
    t.tm_hour = 10;
    t.tm_min = 30;
    t.tm_sec = 0;
    return static_cast<int32_t>(std::mktime(&t) / 86400 * 86400);
}

Bytes selfdata(int32_t day, float value) {
    Bytes b;
    put_i32(b, day);
    put_f32(b, value);
    return b;
}

std::string block(const std::string& name) { return "userdata\\block\\" + name + ".BLK"; }

size_t count_of(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

WINE_TEST(host_windows_alarm_switch_alert_rows_and_sprite) {
    HostWindows host;
    CHECK(open_host_windows(&host));

    // AlarmOnOff: start, stop, or the window itself.
    struct { float p1; std::string pressed; } presses[] = {
        {1.7f, "start down\nstart up\n"}, {0, "stop down\nstop up\n"}, {2, "window down\nwindow up\n"}};
    for (const auto& p : presses) {
        g_presses.clear();
        Chart c(3);
        c.constant(p.p1);
        CHECK_EQ(call("AlarmOnOff", c), 0);
        CHECK_EQ(g_presses, p.pressed);
    }

    // get_alarm_data with the look-alike above the host's window.
    Lookalike fake = start_lookalike();
    CHECK(z_position(fake.top) >= 0 && z_position(fake.top) < z_position(host.alert));
    const char* first[][kAlertColumns] = {{"600000", "突破", "03-15 10:30:00", "10.5"},
                                          {"000001", "突破", "03-15 10:30:00", "8"},
                                          {"600000", "突破", "03-15 10:31:00", "10.6"}};
    for (const auto& row : first) add_list_row(host.alert_list, row, kAlertColumns);
    CHECK_EQ(call_label("get_alarm_data", "600000"), 0);
    CHECK_EQ(call_label("get_alarm_data", "600000"), -1);  // the same security: nothing read
    const char* second[][kAlertColumns] = {{"600036", "..\\..\\逃逸", "03-15 10:32:00", "1"},
                                           {"00700", "放量", "03-15 10:33:00", "300"}};
    for (const auto& row : second) add_list_row(host.alert_list, row, kAlertColumns);
    CHECK_EQ(call_label("get_alarm_data", "000001"), 0);
    // Cleared by the user, then one new alert: read from the top again.
    SendMessageA(host.alert_list, LVM_DELETEALLITEMS, 0, 0);
    const char* cleared[kAlertColumns] = {"600519", "放量", "03-15 10:34:00", "1800"};
    add_list_row(host.alert_list, cleared, kAlertColumns);
    CHECK_EQ(call_label("get_alarm_data", "600519"), 0);

    CHECK_EQ(read_bytes(block("突破")), block_file_bytes({"SH600000", "SZ000001"}));
    CHECK_EQ(read_bytes(block("放量")), block_file_bytes({"HK00700", "SH600519"}));
    CHECK_EQ(read_bytes(block("自选股8")), block_file_bytes({"SH600519", "HK00700", "SZ000001", "SH600000"}));
    int32_t day = alert_day();
    CHECK_EQ(read_bytes("userdata\\SelfData\\预警价格_突破\\SH600000.dat"), selfdata(day, 30));
    CHECK_EQ(read_bytes("userdata\\SelfData\\预警时间_突破\\SZ000001.dat"), selfdata(day, 8));
    CHECK_EQ(read_bytes("userdata\\SelfData\\预警时间_放量\\SH600519.dat"), selfdata(day, 1800));
    CHECK(!file_exists(block(kLookalikeAlertName)));
    CHECK(!file_exists("..\\..\\逃逸.BLK") && !file_exists("userdata\\逃逸.BLK"));
    std::string log = log_text();
    for (const char* filed : {"-> 10.5,\r\n", "-> 8,\r\n", "-> 300,\r\n", "-> 1800,"})
        CHECK_EQ(count_of(log, filed), size_t(1));
    CHECK(log.find("-> 10.6,") == std::string::npos);
    CHECK(log.find("-> get_alarm_data 预警名称或代码不能作文件名: 600036 ..\\..\\逃逸") != std::string::npos);

    // GetSmartMsg: every row at every call.
    const char* events[][1] = {{"09:30 浦发银行 大笔买入"}, {"09:31 平安银行 火箭发射"}};
    for (const auto& e : events) add_list_row(host.sprite_list, e, 1);
    clear_log();
    CHECK_EQ(call_label("GetSmartMsg", "600000"), 0);
    CHECK_EQ(call_label("GetSmartMsg", "600000"), 0);
    log = log_text();
    for (const auto& e : events) CHECK_EQ(count_of(log, std::string("-> ") + e[0] + ","), size_t(2));

    // The host's windows closed: the look-alike alone is still passed over.
    close_host_windows(&host);
    clear_log();
    CHECK_EQ(call_label("get_alarm_data", "600001"), -1);
    CHECK(log_text().find("-> 没找到窗口句柄") != std::string::npos);
    CHECK_EQ(call_label("GetSmartMsg", "600000"), -1);
    CHECK(log_text().find("-> 未找到短线精灵") != std::string::npos);
    stop_lookalike(fake);
    CHECK(!file_exists(block(kLookalikeAlertName)));
    Chart on(3);
    on.constant(1);
    CHECK_EQ(call("AlarmOnOff", on), -1);
    CHECK(log_text().find("-> 未找到预警窗口") != std::string::npos);
}
