// Fixture programs of the Wine suite in processes of their own: started
// from the host directory, found by the title of their main window (which a
// fixture sets last, when every child is there), and closed at the end of
// their test, so that no window outlives it.
#pragma once

#include <windows.h>

#include <string>

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
