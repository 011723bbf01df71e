#include "tests/wine/fixture_process.h"

#include <cstdio>

#include "tests/wine/fixtures/advanced_get.h"
#include "tests/wine/fixtures/host_windows.h"
#include "tests/wine/wine_check.h"

HWND top_window_of(DWORD pid, const std::string& title) {
    char text[300];
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && GetWindowTextA(w, text, sizeof text) > 0 && title == text) return w;
    }
    return nullptr;
}

Fixture start_fixture(const char* exe, const char* arg, const std::string& title) {
    Fixture f;
    std::string cmd = "\"" + host_path(exe) + "\" " + arg;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    CHECK(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &f.pi));
    for (int i = 0; i < 400 && f.pi.hProcess && !f.top; ++i) {
        f.top = top_window_of(f.pi.dwProcessId, title);
        if (!f.top) Sleep(50);
    }
    CHECK(f.top != nullptr);
    return f;
}

void stop_fixture(Fixture& f) {
    if (f.top) PostMessageA(f.top, WM_CLOSE, 0, 0);
    if (f.pi.hProcess) {
        if (WaitForSingleObject(f.pi.hProcess, 10000) != WAIT_OBJECT_0) {
            report_failure(__FILE__, __LINE__, "fixture did not end after WM_CLOSE");
            TerminateProcess(f.pi.hProcess, 1);
        }
        CloseHandle(f.pi.hProcess);
        CloseHandle(f.pi.hThread);
    }
    f = Fixture{};
}

HWND child_at(HWND parent, int n) {
    HWND w = GetWindow(parent, GW_CHILD);
    for (int i = 0; i < n && w; ++i) w = GetWindow(w, GW_HWNDNEXT);
    return w;
}

int z_position(HWND w) {
    int i = 0;
    for (HWND c = GetWindow(GetDesktopWindow(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++i)
        if (c == w) return i;
    return -1;
}

GetDump dump_get(HWND get) {
    GetDump d;
    remove_file(kGetDump);
    SendMessageA(get, kGetDumpMessage, 0, 0);
    Bytes b = read_bytes(kGetDump);
    std::string text(b.begin(), b.end());
    int n = 0, used = 0;
    const char* p = text.c_str();
    if (std::sscanf(p, "%lu %d %d %lu%n", &d.base, &d.stride, &n, &d.outside, &used) != 4) return d;
    for (std::vector<double> r(5); n-- > 0 && std::sscanf(p += used, "%lf %lf %lf %lf %lf%n", &r[0], &r[1], &r[2],
                                                           &r[3], &r[4], &used) == 5;)
        d.rows.push_back(r);
    return d;
}

namespace {

HostWindows g_host;
std::string g_presses;  // written by the window thread while the sender waits

LRESULT CALLBACK host_frame_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    char text[32] = "";
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED && GetWindowTextA(reinterpret_cast<HWND>(lp), text, 32))
        g_presses += std::string(text) + "\n";
    if (msg == WM_LBUTTONUP) g_presses += "window\n";
    return DefWindowProcA(hwnd, msg, wp, lp);
}

DWORD WINAPI host_ui_thread(void* ready) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = host_frame_proc;
    wc.lpszClassName = "TarvexHostFrame";
    RegisterClassA(&wc);
    DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    g_host.alert = CreateWindowA(wc.lpszClassName, kAlertWindowTitle, style, 0, 0, 480, 260, nullptr, nullptr, nullptr,
                                 nullptr);
    g_host.alert_list = fill_alert_window(g_host.alert);
    HWND sprite = CreateWindowA(wc.lpszClassName, "短线精灵", style, 0, 270, 480, 260, nullptr, nullptr, nullptr, nullptr);
    g_host.sprite_list = make_list(sprite, 1);
    SetEvent(ready);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    DestroyWindow(g_host.alert);
    DestroyWindow(sprite);
    return 0;
}

}  // namespace

HostWindows open_host_windows() {
    g_host = HostWindows{};
    g_presses.clear();
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, host_ui_thread, ready, 0, &g_host.thread_id);
    CHECK(WaitForSingleObject(ready, 10000) == WAIT_OBJECT_0);
    CloseHandle(ready);
    g_host.thread = thread;
    return g_host;
}

void close_host_windows(HostWindows& h) {
    PostThreadMessageA(h.thread_id, WM_QUIT, 0, 0);
    CHECK(WaitForSingleObject(h.thread, 10000) == WAIT_OBJECT_0);
    CloseHandle(h.thread);
    h = HostWindows{};
}

std::string& host_window_presses() { return g_presses; }
