// Window and process services of the platform layer: what the bridges need to
// find other programs' windows, type into them, press their buttons and read
// list views living in other processes. Window handles travel as 32-bit
// values (the host is a 32-bit process); 0 means no window. The Win32
// implementation calls the user-interface and process API one to one; the
// portable one is a scripted desktop for the native tests (windows_testing.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat {

using Window = uint32_t;

// Messages and values the bridges send, as the API numbers them.
constexpr unsigned kWmSetText = 0x000C;
constexpr unsigned kWmGetText = 0x000D;
constexpr unsigned kWmLButtonDown = 0x0201;
constexpr unsigned kWmLButtonUp = 0x0202;
constexpr unsigned kLvmGetItemCount = 0x1004;
constexpr unsigned kLvmGetItemTextA = 0x102D;
constexpr uint32_t kMouseLeftDown = 0x0002;  // mouse_event flags
constexpr uint32_t kMouseLeftUp = 0x0004;
constexpr uint32_t kAccessModulePath = 0x0410;  // query information, read memory
constexpr uint32_t kAccessListRead = 0x0438;    // query, read, write and operate on memory

Window desktop_window();
Window first_child(Window w);   // GetWindow GW_CHILD
Window next_sibling(Window w);  // GetWindow GW_HWNDNEXT
Window owner_of(Window w);      // GetWindow GW_OWNER
Window parent_of(Window w);     // GetParent
// Whether the handle names a window that still exists.
bool window_exists(Window w);
// GetWindowTextA into `cap` bytes, always NUL-terminated; returns the length.
size_t window_text(Window w, char* out, size_t cap);
// FindWindowA: a top-level window of that class and title.
Window find_top_window(const char* class_name, const char* title);
// FindWindowExA(parent, none, class, title): among the direct children.
Window find_child_window(Window parent, const char* class_name, const char* title);

// A message sent and waited for, but never longer than kSendWaitMs:
// SendMessageTimeoutA with SMTO_ABORTIFHUNG, so that another program whose
// window thread stops answering cannot stop the host's calculation thread
// with it. False when the window did not answer in time (or is gone); the
// window's answer goes to `*result` when given. `lparam` may carry a pointer
// of this process (WM_SETTEXT, WM_GETTEXT) or an address in the window's
// process. A message that timed out may still be handled once the window's
// thread answers again.
constexpr unsigned kSendWaitMs = 3000;
bool send_message(Window w, unsigned message, uintptr_t wparam, intptr_t lparam, intptr_t* result = nullptr);
// PostMessageA: queued, never waited for.
bool post_message(uint32_t window, unsigned message, uint32_t wparam, int32_t lparam);

Window foreground_window();
bool set_foreground(Window w);
// mouse_event(flags, 0, 0, 0, 0): a button event at the cursor.
void mouse_button(uint32_t flags);
// The window under the mouse cursor (GetCursorPos, WindowFromPoint), 0 when
// there is none or the cursor cannot be read.
Window window_under_cursor();

// Process owning a window (GetWindowThreadProcessId); 0 when unknown.
uint32_t window_process_id(Window w);
// This process's id (GetCurrentProcessId), as window_process_id names it.
uint32_t own_process_id();

struct Process;
Process* open_process(uint32_t pid, uint32_t access);
void close_process(Process* p);
// Path of the process's main module: EnumProcessModules (250 bytes of
// handles), then GetModuleFileNameExA of the first one into `cap` bytes.
// Returns the length, 0 on failure.
size_t main_module_path(Process* p, char* out, size_t cap);
// Whether the process runs 64-bit code while this one is a 32-bit process:
// IsWow64Process (looked up at run time, as Windows before XP SP2 lacks
// it) on this process and on the other one. A 32-bit Windows, or a Windows
// without the call, runs no 64-bit processes; `unknown` when a call fails.
enum class Bitness { same, wider, unknown };
Bitness process_bitness(Process* p);
// Memory inside the other process: VirtualAllocEx (MEM_COMMIT,
// PAGE_READWRITE) giving the block's 32-bit address or 0, VirtualFreeEx with
// MEM_RELEASE, and whole-block copies in and out.
uint32_t remote_alloc(Process* p, size_t bytes);
bool remote_free(Process* p, uint32_t address);
bool remote_write(Process* p, uint32_t address, const void* data, size_t bytes);
bool remote_read(Process* p, uint32_t address, void* out, size_t bytes);

// ---- Memory of another process and starting a program (Advanced GET) ----
// PROCESS_ALL_ACCESS as Windows XP defines it; XP refuses the wider 0x1FFFFF
// of later headers outright, and later Windows accept this value too.
constexpr uint32_t kAccessAll = 0x1F0FFF;
constexpr int kShowHidden = 0;             // SW_HIDE

// One region of a process's address space as VirtualQueryEx reports it:
// [base, base + size), `readable` when committed and neither PAGE_NOACCESS
// nor a guard page. remote_read and remote_write above take any address.
struct MemoryRegion {
    uint32_t base;
    uint32_t size;
    bool readable;
};
// The region holding `address`; false past the process's address space or
// when the query fails.
bool query_region(Process* p, uint32_t address, MemoryRegion* out);

// WinExec(command, show): starts a program found by the platform's search
// rules (the host program's directory first). True when it started.
bool start_program(const char* command, int show);

}  // namespace plat
