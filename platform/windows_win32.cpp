// Win32 window and process services: each one the API call of the same name,
// with handles carried as 32-bit values.
#include <windows.h>
#include <psapi.h>

#include <cstring>

#include "platform/windows.h"

namespace plat {

namespace {
HWND hwnd(Window w) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(w)); }
Window handle(HWND h) { return static_cast<Window>(reinterpret_cast<uintptr_t>(h)); }
}  // namespace

struct Process {
    HANDLE h;
};

Window desktop_window() { return handle(GetDesktopWindow()); }
Window first_child(Window w) { return handle(GetWindow(hwnd(w), GW_CHILD)); }
Window next_sibling(Window w) { return handle(GetWindow(hwnd(w), GW_HWNDNEXT)); }
Window owner_of(Window w) { return handle(GetWindow(hwnd(w), GW_OWNER)); }
Window parent_of(Window w) { return handle(GetParent(hwnd(w))); }
bool window_exists(Window w) { return w != 0 && IsWindow(hwnd(w)); }

size_t window_text(Window w, char* out, size_t cap) {
    if (cap == 0) return 0;
    out[0] = '\0';
    int n = GetWindowTextA(hwnd(w), out, static_cast<int>(cap));
    if (n < 0) n = 0;
    if (static_cast<size_t>(n) > cap - 1) n = static_cast<int>(cap - 1);
    out[n] = '\0';
    return static_cast<size_t>(n);
}

Window find_top_window(const char* class_name, const char* title) {
    return handle(FindWindowA(class_name, title));
}

Window find_child_window(Window parent, const char* class_name, const char* title) {
    return handle(FindWindowExA(hwnd(parent), nullptr, class_name, title));
}

bool send_message(Window w, unsigned message, uintptr_t wparam, intptr_t lparam, intptr_t* result) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(hwnd(w), message, wparam, lparam, SMTO_ABORTIFHUNG, kSendWaitMs, &answer)) return false;
    if (result) *result = static_cast<intptr_t>(answer);
    return true;
}

bool post_message(uint32_t window, unsigned message, uint32_t wparam, int32_t lparam) {
    return PostMessageA(hwnd(window), message, wparam, lparam) != 0;
}

Window foreground_window() { return handle(GetForegroundWindow()); }
bool set_foreground(Window w) { return SetForegroundWindow(hwnd(w)) != 0; }
void mouse_button(uint32_t flags) { ::mouse_event(flags, 0, 0, 0, 0); }

Window window_under_cursor() {
    POINT at;
    if (!GetCursorPos(&at)) return 0;
    return handle(WindowFromPoint(at));
}

uint32_t window_process_id(Window w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd(w), &pid);
    return pid;
}

uint32_t own_process_id() { return GetCurrentProcessId(); }

Process* open_process(uint32_t pid, uint32_t access) {
    HANDLE h = OpenProcess(access, FALSE, pid);
    return h ? new Process{h} : nullptr;
}

void close_process(Process* p) {
    if (!p) return;
    CloseHandle(p->h);
    delete p;
}

size_t main_module_path(Process* p, char* out, size_t cap) {
    HMODULE modules[64];
    DWORD needed = 0;
    if (!EnumProcessModules(p->h, modules, 250, &needed)) return 0;
    char name[255];
    DWORD n = GetModuleFileNameExA(p->h, modules[0], name, sizeof name);
    if (n == 0 || cap == 0) return 0;
    name[sizeof name - 1] = '\0';
    size_t len = strnlen(name, sizeof name);
    if (len > cap - 1) len = cap - 1;
    std::memcpy(out, name, len);
    out[len] = '\0';
    return len;
}

Bitness process_bitness(Process* p) {
    using IsWow64 = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    IsWow64 is_wow64 = kernel ? reinterpret_cast<IsWow64>(reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")))
                              : nullptr;
    if (!is_wow64) return Bitness::same;  // before XP SP2: a 32-bit Windows
    BOOL own = FALSE, other = FALSE;
    if (!is_wow64(GetCurrentProcess(), &own) || !is_wow64(p->h, &other)) return Bitness::unknown;
    // This process is 32-bit: not under WOW64 means a 32-bit Windows, where
    // every process is 32-bit; under WOW64, a target outside it is 64-bit.
    return own && !other ? Bitness::wider : Bitness::same;
}

uint32_t remote_alloc(Process* p, size_t bytes) {
    void* a = VirtualAllocEx(p->h, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(a));
}

bool remote_free(Process* p, uint32_t address) {
    return VirtualFreeEx(p->h, reinterpret_cast<void*>(static_cast<uintptr_t>(address)), 0, MEM_RELEASE) != 0;
}

bool remote_write(Process* p, uint32_t address, const void* data, size_t bytes) {
    SIZE_T done = 0;
    return WriteProcessMemory(p->h, reinterpret_cast<void*>(static_cast<uintptr_t>(address)), data, bytes,
                              &done) &&
           done == bytes;
}

bool remote_read(Process* p, uint32_t address, void* out, size_t bytes) {
    SIZE_T done = 0;
    return ReadProcessMemory(p->h, reinterpret_cast<const void*>(static_cast<uintptr_t>(address)), out, bytes,
                             &done) &&
           done == bytes;
}

// ---- Memory of another process and starting a program (Advanced GET) ----

bool query_region(Process* p, uint32_t address, MemoryRegion* out) {
    MEMORY_BASIC_INFORMATION mbi;
    if (VirtualQueryEx(p->h, reinterpret_cast<const void*>(static_cast<uintptr_t>(address)), &mbi, sizeof mbi) !=
        sizeof mbi)
        return false;
    uint64_t base = reinterpret_cast<uintptr_t>(mbi.BaseAddress);
    uint64_t end = base + mbi.RegionSize;
    if (end > 0xFFFFFFFFull) end = 0xFFFFFFFFull;
    if (end <= address) return false;
    out->base = static_cast<uint32_t>(base);
    out->size = static_cast<uint32_t>(end - base);
    out->readable = mbi.State == MEM_COMMIT && mbi.Protect != 0 && (mbi.Protect & (PAGE_NOACCESS | PAGE_GUARD)) == 0;
    return true;
}

bool start_program(const char* command, int show) { return WinExec(command, static_cast<UINT>(show)) > 31; }

}  // namespace plat
