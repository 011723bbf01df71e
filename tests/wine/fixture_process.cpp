#include "tests/wine/fixture_process.h"

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

int z_position(HWND w) {
    int i = 0;
    for (HWND c = GetWindow(GetDesktopWindow(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++i)
        if (c == w) return i;
    return -1;
}
