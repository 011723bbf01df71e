// The portable window services: a scripted desktop of windows in made-up
// processes, enough of the user-interface and process API for the native
// tests of the bridges. List views answer LVM_GETITEMTEXTA from the 32-bit
// LVITEMA found at the given address in their process's blocks, as a list
// view in another process does.
#include <cstring>
#include <iterator>
#include <map>
#include <set>

#include "platform/windows.h"
#include "platform/windows_testing.h"

namespace {

using plat::Window;

struct Win {
    Window parent = 0, owner = 0;
    std::string class_name, text;
    uint32_t pid = 0;
    std::vector<Window> children;
    std::vector<std::vector<std::string>> cells;
};

struct Block {
    uint32_t pid;
    std::vector<unsigned char> bytes;
    bool readable = true;  // false: reserved, not committed
};

const Window kDesktop = 0x10;
std::map<Window, Win> g_windows;
Window g_next_window = 0x100;
Window g_foreground = 0;
std::map<uint32_t, std::string> g_modules;
std::map<uint32_t, Block> g_blocks;  // by address
uint32_t g_next_address = 0x10000;
plat_windows_testing::Faults g_faults;
int g_allocations = 0;
int g_stray = 0;
std::vector<std::string> g_record;
long g_remote_reads = 0;
std::map<uint32_t, int> g_answers_left;  // by process: messages it still answers before it hangs
std::set<uint32_t> g_wide;                // processes running 64-bit code
Window g_under_cursor = 0;
uint32_t g_own_pid = 8;
int g_open_processes = 0;           // opened and not closed yet
std::set<uint32_t> g_allocated;     // blocks of remote_alloc not freed yet
const uint64_t kAddressSpaceEnd = 0x80000000;  // a 32-bit process's user addresses

Win* find(Window w) {
    auto it = g_windows.find(w);
    return it == g_windows.end() ? nullptr : &it->second;
}

// The block of `pid` holding `bytes` bytes at `address`, and the offset there.
unsigned char* block_bytes(uint32_t pid, uint32_t address, size_t bytes) {
    auto it = g_blocks.upper_bound(address);
    if (it == g_blocks.begin()) return nullptr;
    --it;
    if (it->second.pid != pid) return nullptr;
    size_t offset = address - it->first;
    if (offset + bytes > it->second.bytes.size()) return nullptr;
    return it->second.bytes.data() + offset;
}

// Copies `bytes` at `address` of process `pid` out of (or into) its memory,
// across adjacent blocks as ReadProcessMemory does; nothing is copied unless
// every byte lies in readable memory of that process.
bool copy_memory(uint32_t pid, uint32_t address, unsigned char* data, size_t bytes, bool into_process) {
    for (int pass = 0; pass < 2; ++pass) {
        uint64_t at = address;
        size_t done = 0;
        while (done < bytes) {
            auto it = g_blocks.upper_bound(static_cast<uint32_t>(at));
            if (at > 0xFFFFFFFFull || it == g_blocks.begin()) return false;
            --it;
            const size_t size = it->second.bytes.size();
            const uint64_t offset = at - it->first;
            if (it->second.pid != pid || !it->second.readable || offset >= size) return false;
            size_t n = bytes - done < size - offset ? bytes - done : static_cast<size_t>(size - offset);
            if (pass == 1) {
                unsigned char* mem = it->second.bytes.data() + offset;
                if (into_process) std::memcpy(mem, data + done, n);
                else std::memcpy(data + done, mem, n);
            }
            done += n;
            at += n;
        }
    }
    return true;
}

uint32_t read_u32(const unsigned char* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// The LVITEMA as the list's process lays it out: pszText and cchTextMax at
// 20 and 24 in a 32-bit process, at 24 (8 bytes) and 32 in a 64-bit one.
intptr_t list_item_text(Win& list, uintptr_t row, intptr_t address) {
    const bool wide = g_wide.count(list.pid) != 0;
    unsigned char* item = block_bytes(list.pid, static_cast<uint32_t>(address), wide ? 56 : 40);
    if (!item) return ++g_stray, 0;
    uint32_t column = read_u32(item + 8);
    uint32_t text_at = read_u32(item + (wide ? 24 : 20)), text_max = read_u32(item + (wide ? 32 : 24));
    if (wide && read_u32(item + 28) != 0) return ++g_stray, 0;  // above 4 GiB: no block of ours
    unsigned char* text = block_bytes(list.pid, text_at, text_max);
    if (!text || text_max == 0) return ++g_stray, 0;
    std::string cell;
    if (row < list.cells.size() && column < list.cells[row].size()) cell = list.cells[row][column];
    size_t n = cell.size() < text_max - 1 ? cell.size() : text_max - 1;
    std::memcpy(text, cell.data(), n);
    text[n] = '\0';
    return static_cast<intptr_t>(n);
}

// What a window of the scripted desktop answers to a message, and records.
intptr_t answer_message(Win& window, const std::string& id, unsigned message, uintptr_t wparam, intptr_t lparam) {
    using namespace plat;
    Win* me = &window;
    switch (message) {
    case kWmSetText:
        me->text = reinterpret_cast<const char*>(lparam);
        g_record.push_back(id + " settext " + me->text);
        return 1;
    case kWmGetText: {
        if (wparam == 0) return 0;
        size_t n = me->text.size() < wparam - 1 ? me->text.size() : wparam - 1;
        std::memcpy(reinterpret_cast<char*>(lparam), me->text.data(), n);
        reinterpret_cast<char*>(lparam)[n] = '\0';
        return static_cast<intptr_t>(n);
    }
    case kWmLButtonDown: g_record.push_back(id + " down"); return 0;
    case kWmLButtonUp: g_record.push_back(id + " up"); return 0;
    case kLvmGetItemCount: return static_cast<intptr_t>(me->cells.size());
    case kLvmGetItemTextA: return list_item_text(*me, wparam, lparam);
    default: return 0;
    }
}

bool matches(const Win& w, const char* class_name, const char* title) {
    return (!class_name || w.class_name == class_name) && (!title || w.text == title);
}

Window find_among(Window parent, const char* class_name, const char* title) {
    Win* p = find(parent);
    if (!p) return 0;
    for (Window c : p->children)
        if (matches(g_windows[c], class_name, title)) return c;
    return 0;
}

}  // namespace

namespace plat {

struct Process {
    uint32_t pid;
};

Window desktop_window() { return kDesktop; }

Window first_child(Window w) {
    Win* p = find(w);
    return p && !p->children.empty() ? p->children.front() : 0;
}

Window next_sibling(Window w) {
    Win* me = find(w);
    Win* p = me ? find(me->parent) : nullptr;
    if (!p) return 0;
    for (size_t i = 0; i + 1 < p->children.size(); ++i)
        if (p->children[i] == w) return p->children[i + 1];
    return 0;
}

Window owner_of(Window w) {
    Win* me = find(w);
    return me ? me->owner : 0;
}

Window parent_of(Window w) {
    Win* me = find(w);
    return me && me->parent != kDesktop ? me->parent : 0;
}

bool window_exists(Window w) { return w != kDesktop && find(w) != nullptr; }

size_t window_text(Window w, char* out, size_t cap) {
    if (cap == 0) return 0;
    Win* me = find(w);
    std::string text = me ? me->text : "";
    size_t n = text.size() < cap - 1 ? text.size() : cap - 1;
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return n;
}

Window find_top_window(const char* class_name, const char* title) {
    return find_among(kDesktop, class_name, title);
}

Window find_child_window(Window parent, const char* class_name, const char* title) {
    return find_among(parent, class_name, title);
}

bool send_message(Window w, unsigned message, uintptr_t wparam, intptr_t lparam, intptr_t* result) {
    Win* me = find(w);
    if (!me) return false;
    std::string id = std::to_string(w);
    auto hang = g_answers_left.find(me->pid);
    if (hang != g_answers_left.end() && hang->second-- <= 0) {
        g_record.push_back(id + " timeout " + std::to_string(message));
        return false;
    }
    intptr_t answer = answer_message(*me, id, message, wparam, lparam);
    if (result) *result = answer;
    return true;
}

Window window_under_cursor() { return g_under_cursor; }
uint32_t own_process_id() { return g_own_pid; }

bool post_message(uint32_t window, unsigned message, uint32_t wparam, int32_t lparam) {
    if (!find(window)) return false;
    g_record.push_back(std::to_string(window) + " post " + std::to_string(message) + " " +
                       std::to_string(wparam) + " " + std::to_string(lparam));
    return true;
}

Window foreground_window() { return g_foreground; }

bool set_foreground(Window w) {
    if (!window_exists(w)) return false;
    g_foreground = w;
    return true;
}

void mouse_button(uint32_t flags) { g_record.push_back("mouse " + std::to_string(flags)); }

uint32_t window_process_id(Window w) {
    Win* me = find(w);
    return me ? me->pid : 0;
}

Process* open_process(uint32_t pid, uint32_t) {
    if (g_faults.open_fails || pid == 0) return nullptr;
    Process* p = new Process{pid};  // counted once it exists: the scripted desktop may run out of memory
    ++g_open_processes;
    return p;
}

void close_process(Process* p) {
    if (p) --g_open_processes;
    delete p;
}

size_t main_module_path(Process* p, char* out, size_t cap) {
    auto it = g_modules.find(p->pid);
    if (it == g_modules.end() || cap == 0) return 0;
    size_t n = it->second.size() < cap - 1 ? it->second.size() : cap - 1;
    std::memcpy(out, it->second.data(), n);
    out[n] = '\0';
    return n;
}

Bitness process_bitness(Process* p) { return g_wide.count(p->pid) ? Bitness::wider : Bitness::same; }

uint32_t remote_alloc(Process* p, size_t bytes) {
    if (++g_allocations == g_faults.alloc_fails_at) return 0;
    if (g_faults.alloc_high) g_next_address = 0x80000000u;
    // The next free page: never over memory a test gave a process.
    auto taken = [](uint32_t at) {
        auto it = g_blocks.upper_bound(at);
        return it != g_blocks.begin() && at - std::prev(it)->first < std::prev(it)->second.bytes.size();
    };
    while (taken(g_next_address) || taken(g_next_address + 0xFFF)) g_next_address += 0x1000;
    uint32_t a = g_next_address;
    g_next_address += 0x1000;
    g_allocated.insert(a);
    try {
        g_blocks[a] = Block{p->pid, std::vector<unsigned char>(bytes, 0xCD)};
    } catch (...) {
        g_allocated.erase(a);  // out of memory in the scripted desktop: no block, none counted
        throw;
    }
    return a;
}

bool remote_free(Process* p, uint32_t address) {
    auto it = g_blocks.find(address);
    if (it == g_blocks.end() || it->second.pid != p->pid) return false;
    g_blocks.erase(it);
    g_allocated.erase(address);
    return true;
}

bool remote_write(Process* p, uint32_t address, const void* data, size_t bytes) {
    if (g_faults.write_fails) return false;
    return copy_memory(p->pid, address, static_cast<unsigned char*>(const_cast<void*>(data)), bytes, true);
}

bool remote_read(Process* p, uint32_t address, void* out, size_t bytes) {
    ++g_remote_reads;
    return copy_memory(p->pid, address, static_cast<unsigned char*>(out), bytes, false);
}

// ---- Memory of another process and starting a program (Advanced GET) ----

bool query_region(Process* p, uint32_t address, MemoryRegion* out) {
    if (address >= kAddressSpaceEnd) return false;
    // The block of this process that starts last at or before the address.
    auto next = g_blocks.upper_bound(address);
    uint64_t free_from = 0;
    for (auto it = next; it != g_blocks.begin();) {
        --it;
        if (it->second.pid != p->pid) continue;
        uint64_t end = it->first + static_cast<uint64_t>(it->second.bytes.size());
        if (address < end) {
            *out = MemoryRegion{it->first, static_cast<uint32_t>(end - it->first), it->second.readable};
            return true;
        }
        free_from = end;
        break;
    }
    uint64_t free_to = kAddressSpaceEnd;
    for (auto it = next; it != g_blocks.end(); ++it)
        if (it->second.pid == p->pid) {
            free_to = it->first;
            break;
        }
    *out = MemoryRegion{static_cast<uint32_t>(free_from), static_cast<uint32_t>(free_to - free_from), false};
    return true;
}

bool start_program(const char* command, int show) {
    if (g_faults.start_fails) return false;
    g_record.push_back(std::string("run ") + command + " " + std::to_string(show));
    return true;
}

}  // namespace plat

namespace plat_windows_testing {

void reset() {
    g_windows.clear();
    g_windows[kDesktop] = Win{};
    g_next_window = 0x100;
    g_foreground = 0;
    g_modules.clear();
    g_blocks.clear();
    g_allocated.clear();
    g_faults = Faults{};
    g_allocations = 0;
    g_stray = 0;
    g_record.clear();
    g_remote_reads = 0;
    g_answers_left.clear();
    g_wide.clear();
    g_under_cursor = 0;
    g_own_pid = 8;
}

Window add_window(Window parent, const char* class_name, const char* text, uint32_t pid) {
    if (parent == 0) parent = kDesktop;
    if (!find(kDesktop)) g_windows[kDesktop] = Win{};
    Window w = g_next_window++;
    Win me;
    me.parent = parent;
    me.class_name = class_name;
    me.text = text;
    me.pid = pid;
    g_windows[w] = me;
    g_windows[parent].children.push_back(w);
    return w;
}

void set_owner(Window w, Window owner) {
    if (Win* me = find(w)) me->owner = owner;
}

void destroy_window(Window w) {
    Win* me = find(w);
    if (!me) return;
    std::vector<Window> children = me->children;
    for (Window c : children) destroy_window(c);
    if (Win* p = find(me->parent)) {
        auto& sib = p->children;
        for (size_t i = 0; i < sib.size(); ++i)
            if (sib[i] == w) {
                sib.erase(sib.begin() + static_cast<long>(i));
                break;
            }
    }
    if (g_foreground == w) g_foreground = 0;
    g_windows.erase(w);
}

void set_cells(Window list, const std::vector<std::vector<std::string>>& rows) {
    if (Win* me = find(list)) me->cells = rows;
}

void set_main_module(uint32_t pid, const char* path) { g_modules[pid] = path; }

void hang_after(uint32_t pid, int answers) { g_answers_left[pid] = answers; }
void set_wide_process(uint32_t pid) { g_wide.insert(pid); }
void set_window_under_cursor(Window w) { g_under_cursor = w; }
void set_own_process(uint32_t pid) { g_own_pid = pid; }

void set_faults(const Faults& f) {
    g_faults = f;
    g_allocations = 0;
}

const std::vector<std::string>& record() { return g_record; }
int live_remote_blocks() { return static_cast<int>(g_blocks.size()); }
int stray_addresses() { return g_stray; }

void add_memory(uint32_t pid, uint32_t address, const std::vector<unsigned char>& bytes, bool readable) {
    Block b{pid, bytes, readable};
    g_blocks[address] = b;
}

bool peek_memory(uint32_t pid, uint32_t address, void* out, size_t bytes) {
    return copy_memory(pid, address, static_cast<unsigned char*>(out), bytes, false);
}

long remote_reads() { return g_remote_reads; }

int open_processes() { return g_open_processes; }
int allocated_remote_blocks() { return static_cast<int>(g_allocated.size()); }

}  // namespace plat_windows_testing
