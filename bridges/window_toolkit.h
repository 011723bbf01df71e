// The routines every window bridge shares: finding a window by text, class or
// position among its siblings, comparing a window's text, finding the
// executable behind a window, and reading the cells of a list view that lives
// in another process. Texts read from other programs are cut to the buffers
// below before anything compares, logs or builds a path with them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/windows.h"

constexpr size_t kWindowTextBytes = 255;  // title[255]: at most 254 characters seen
constexpr size_t kModulePathBytes = 255;  // paths[255], CurrentPath[255], szPathName[255]
constexpr size_t kListItemBytes = 40;     // the 32-bit LVITEMA written into the list's process
constexpr size_t kListItem64Bytes = 56;   // the same in a 64-bit process
constexpr size_t kListTextBytes = 512;    // item[512]: one cell's text
constexpr size_t kListLineBytes = 300;    // s[300]: one logged row

// The window's own text (GetWindowTextA) is non-empty and equals `text`.
bool window_text_equals(plat::Window w, const char* text);
// Whether the control's text (WM_GETTEXT into a zeroed 255-byte buffer)
// equals `text`; an empty control equals only the empty text. `no_answer`
// when the control's program did not answer in time (logged for `who`).
enum class TextMatch { equal, differs, no_answer };
TextMatch control_text_matches(const char* who, plat::Window w, const char* text);

// A message to another program's window, waited for at most
// plat::kSendWaitMs. When it does not answer, logs `who` with
// "对方程序无响应,操作中止" and returns false: the caller then does nothing
// more of what it was doing.
bool send_or_log(const char* who, plat::Window w, unsigned message, uintptr_t wparam, intptr_t lparam,
                 intptr_t* result = nullptr);

// Path of the main executable of process `pid` into `out` (255 bytes).
// Returns its length, 0 (buffer untouched) on failure.
size_t process_main_module_path(uint32_t pid, char* out);

// The first top-level window, in Z order, whose title contains `fragment`
// and whose process runs this process's own executable. Logs
// "没找到窗口句柄" and returns 0 when there is none.
plat::Window find_own_top_window(const char* fragment);

// Depth first: a direct child of `start` of that class and name wins over
// any deeper match; then each child's subtree in Z order. 0 when none.
plat::Window find_window_deep(plat::Window start, const char* class_name, const char* name);

// The first direct child whose text is non-empty and contains `text`.
plat::Window find_child_containing(plat::Window parent, const char* text);

// The child at 0-based position n in Z order (n <= 0: the first), or 0.
plat::Window nth_child(plat::Window parent, int n);

// One pass over a list view in another process: the process opened, one
// block for the LVITEMA and one for the cell text allocated inside it. A
// 64-bit process (the host is 32-bit) gets the LVITEMA of its own layout,
// which holds the text block's address in 8 bytes. The
// pass is closed when the reader goes out of scope, also when an exception
// leaves it, so no block stays behind in the other process.
struct ListReader {
    plat::Window list = 0;
    int rows = 0;
    plat::Process* process = nullptr;
    uint32_t item_block = 0;
    uint32_t text_block = 0;
    bool wide = false;  // the list's process is 64-bit

    ListReader() = default;
    ListReader(const ListReader&) = delete;
    ListReader& operator=(const ListReader&) = delete;
    ~ListReader();
};
// Opens the pass. When the list does not answer, its process cannot be
// opened, its bitness is unknown, or a block cannot be allocated where the
// list can be given its address, logs why, releases what it took and
// returns false: the list is then never sent an address.
bool open_list_reader(plat::Window list, ListReader* r);
// Reads the cell at (row, column) into `item`, always NUL-terminated. False
// when the LVITEMA could not be written, the list did not answer in time
// (logged) or the text could not be read back.
bool read_cell(ListReader& r, int row, int column, char (&item)[kListTextBytes]);
// Releases both remote blocks and closes the process.
void close_list_reader(ListReader& r);

// Logs each row of the list view as one line: the texts of columns 0 to
// columns - 1, each followed by ",", cut at the line buffer. Returns 0; -1 when the pass could not start or stopped
// early, which is logged.
int log_list_rows(plat::Window list, int columns);
