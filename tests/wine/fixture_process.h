// Fixture programs of the Wine suite in processes of their own: started
// from the host directory, found by the title of their main window (which a
// fixture sets last, when every child is there), and closed at the end of
// their test, so that no window outlives it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct Fixture {
    PROCESS_INFORMATION pi = {};
    HWND top = nullptr;
};

// Starts `exe` (in the host directory) with `arg` and waits up to 20 s for
// its top-level window titled `title`; a failure is a test failure.
Fixture start_fixture(const char* exe, const char* arg, const std::string& title);
// Closes the fixture's window and waits for it to end; terminates it when it
// does not (a test failure).
void stop_fixture(Fixture& f);

// The top-level window of process `pid` titled `title`, or null.
HWND top_window_of(DWORD pid, const std::string& title);
// Position in Z order among the top-level windows, or -1.
int z_position(HWND w);
// The child at 0-based position n among the parent's children, or null.
HWND child_at(HWND parent, int n);

// The Advanced GET fixture's arrays as it dumps them on request: their
// address and stride, a digest of its memory around the rows, and each row's
// open, high, low, close and volume. Empty rows when it did not answer.
struct GetDump {
    unsigned long base = 0, outside = 0;
    int stride = 0;
    std::vector<std::vector<double>> rows;
};
GetDump dump_get(HWND get);

// The host's own windows: its alert window, with the list view of raised
// alerts, and its short-term-sprite window, made by a second thread of this
// program that pumps their messages, as the host's user-interface thread
// does. Buttons pressed in the alert window (and clicks on the window
// itself, as "window") are noted in host_window_presses().
struct HostWindows {
    HWND alert = nullptr, alert_list = nullptr, sprite_list = nullptr;
    HANDLE thread = nullptr;
    DWORD thread_id = 0;
};
HostWindows open_host_windows();
void close_host_windows(HostWindows& h);
std::string& host_window_presses();
