// What the window bridges rest on, tried from this process against a second
// Windows program: a top-level window found by its title, and the cells of its report list view read through a block of
// memory in the other process. Also faults inside this process coming
// through as the Windows exceptions that the runtime and IsBad*Ptr expect
// (under qemu these need the emulation fixes).
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "tests/wine/fixture_process.h"
#include "tests/wine/fixtures/list_window.h"
#include "tests/wine/wine_check.h"

namespace {

// The 32-bit LVITEMA of the old common controls: the first 40 bytes.
struct ListItem40 {
    UINT mask;
    int item, sub_item;
    UINT state, state_mask;
    DWORD text;  // address in the list's process
    int text_max, image;
    LPARAM param;
    int indent;
};
static_assert(sizeof(ListItem40) == 40, "32-bit LVITEMA layout");

std::string remote_cell(HANDLE proc, char* block, HWND list, int row, int column) {
    ListItem40 item = {};
    item.sub_item = column;
    item.text = reinterpret_cast<DWORD>(block + sizeof item);
    item.text_max = 255;
    SIZE_T n = 0;
    if (!WriteProcessMemory(proc, block, &item, sizeof item, &n) || n != sizeof item) return "<write failed>";
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(block));
    char text[256] = {};
    if (!ReadProcessMemory(proc, block + sizeof item, text, 255, &n)) return "<read failed>";
    return text;
}

}  // namespace

WINE_TEST(windows_list_cells_read_from_another_process) {
    Fixture fixture = start_fixture("list_window.exe", "", kListWindowTitle);
    HWND top = fixture.top;
    HWND list = top ? FindWindowExA(top, nullptr, WC_LISTVIEWA, nullptr) : nullptr;
    CHECK(list != nullptr);
    if (list) {
        DWORD pid = 0;
        GetWindowThreadProcessId(list, &pid);
        CHECK_EQ(pid, fixture.pi.dwProcessId);
        CHECK_EQ(int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)), kListWindowRows);
        HANDLE proc = OpenProcess(0x438, FALSE, pid);  // query, VM operation, read and write
        CHECK(proc != nullptr);
        char* block = proc ? static_cast<char*>(VirtualAllocEx(proc, nullptr, 512, MEM_COMMIT, PAGE_READWRITE))
                           : nullptr;
        CHECK(block != nullptr);
        for (int r = 0; block && r < kListWindowRows; ++r)
            for (int c = 0; c < kListWindowColumns; ++c)
                CHECK_EQ(remote_cell(proc, block, list, r, c), std::string(kListWindowCells[r][c]));
        if (block) CHECK(VirtualFreeEx(proc, block, 0, MEM_RELEASE));
        if (proc) CloseHandle(proc);
    }
    stop_fixture(fixture);
}

// Each stub runs one faulting instruction; the handler resumes at the label
// after it, which returns.
#define FAULT_STUB(name, instructions)                                              \
    extern "C" void name();                                                        \
    extern "C" char name##_resume[];                                               \
    asm(".text\n.globl _" #name "\n.globl _" #name "_resume\n_" #name ":\n\t"         \
        instructions "\n_" #name "_resume:\n\tret\n");

FAULT_STUB(fault_read, "movl 0, %eax")
FAULT_STUB(fault_write, "movl %eax, 0")
FAULT_STUB(fault_divide, "xorl %ecx, %ecx\n\tmovl $1, %eax\n\txorl %edx, %edx\n\tdivl %ecx")
FAULT_STUB(fault_breakpoint, "int3")
FAULT_STUB(fault_invalid, "ud2")

namespace {
void* g_resume;
DWORD g_code;
ULONG_PTR g_access;

LONG CALLBACK note_and_resume(EXCEPTION_POINTERS* e) {
    g_code = e->ExceptionRecord->ExceptionCode;
    g_access = e->ExceptionRecord->NumberParameters ? e->ExceptionRecord->ExceptionInformation[0] : 99;
    e->ContextRecord->Eip = reinterpret_cast<DWORD>(g_resume);
    return EXCEPTION_CONTINUE_EXECUTION;
}
}  // namespace

WINE_TEST(windows_faults_come_through_as_exceptions) {
    struct {
        void (*run)();
        void* resume;
        DWORD code;
        ULONG_PTR access;  // ExceptionInformation[0]: 0 read, 1 write
    } cases[] = {
        {fault_read, fault_read_resume, EXCEPTION_ACCESS_VIOLATION, 0},
        {fault_write, fault_write_resume, EXCEPTION_ACCESS_VIOLATION, 1},
        {fault_divide, fault_divide_resume, EXCEPTION_INT_DIVIDE_BY_ZERO, 99},
        {fault_breakpoint, fault_breakpoint_resume, EXCEPTION_BREAKPOINT, 99},
        {fault_invalid, fault_invalid_resume, EXCEPTION_ILLEGAL_INSTRUCTION, 99},
    };
    void* handler = AddVectoredExceptionHandler(1, note_and_resume);
    for (const auto& c : cases) {
        g_code = 0;
        g_access = 99;
        g_resume = c.resume;
        c.run();
        CHECK_EQ(g_code, c.code);
        if (c.access != 99) CHECK_EQ(g_access, c.access);
    }
    RemoveVectoredExceptionHandler(handler);

    CHECK(IsBadReadPtr(nullptr, 4));
    CHECK(IsBadWritePtr(const_cast<char*>("read-only"), 1));
    int writable = 0;
    CHECK(!IsBadWritePtr(&writable, sizeof writable));
    bool caught = false;
    try {
        throw 42;
    } catch (int v) {
        caught = v == 42;
    }
    CHECK(caught);
}
