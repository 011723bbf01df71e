// The window and process toolkit of the bridges.
#include "bridges/window_toolkit.h"

#include <cstddef>
#include <cstring>

#include "common/log.h"
#include "common/text.h"
#include "platform/platform.h"

namespace {

// The LVITEMA of 32-bit Windows as the list view in the other process reads
// it; LVM_GETITEMTEXTA uses only the column, the text address and its size.
struct ListItem32 {
    uint32_t mask;
    int32_t item;
    int32_t sub_item;
    uint32_t state;
    uint32_t state_mask;
    uint32_t text;
    int32_t text_max;
    int32_t image;
    uint32_t param;
    int32_t indent;
};
static_assert(sizeof(ListItem32) == kListItemBytes, "32-bit LVITEMA is 40 bytes");

// The same structure in a 64-bit process: pointers of 8 bytes, aligned to 8.
struct ListItem64 {
    uint32_t mask;
    int32_t item;
    int32_t sub_item;
    uint32_t state;
    uint32_t state_mask;
    uint32_t pad1;
    uint64_t text;
    int32_t text_max;
    int32_t image;
    uint64_t param;
    int32_t indent;
    uint32_t pad2;
};
static_assert(sizeof(ListItem64) == kListItem64Bytes, "64-bit LVITEMA is 56 bytes");
static_assert(offsetof(ListItem64, text) == 24 && offsetof(ListItem64, text_max) == 32, "64-bit LVITEMA layout");

// A block a 64-bit list can be handed: the address the call returned is the
// block's own (a 32-bit process cannot name memory above 4 GiB), and it lies
// below 2 GiB, where widening the 32-bit message parameter to 64 bits gives
// the same address whether the sign is extended or not.
bool reachable_from_32_bits(plat::Process* p, uint32_t block, size_t bytes) {
    plat::MemoryRegion r;
    return block != 0 && block < 0x80000000u && plat::query_region(p, block, &r) && r.base == block &&
           r.readable && r.size >= bytes;
}

// Places the request for `column` of a row, in the list process's own
// layout of LVITEMA, into the reader's item block.
template <class Item>
bool write_item(const ListReader& r, int column) {
    Item lvi = {};
    lvi.sub_item = column;
    lvi.text = r.text_block;
    lvi.text_max = static_cast<int32_t>(kListTextBytes);
    return plat::remote_write(r.process, r.item_block, &lvi, sizeof lvi);
}

}  // namespace

bool window_text_equals(plat::Window w, const char* text) {
    char title[kWindowTextBytes];
    if (plat::window_text(w, title, sizeof title) == 0) return false;
    return std::strcmp(title, text) == 0;
}

TextMatch control_text_matches(const char* who, plat::Window w, const char* text) {
    char title[kWindowTextBytes] = {};
    if (!send_or_log(who, w, plat::kWmGetText, sizeof title, reinterpret_cast<intptr_t>(title)))
        return TextMatch::no_answer;
    title[sizeof title - 1] = '\0';  // a control that fills the buffer is cut here
    return std::strcmp(title, text) == 0 ? TextMatch::equal : TextMatch::differs;
}

bool send_or_log(const char* who, plat::Window w, unsigned message, uintptr_t wparam, intptr_t lparam,
                 intptr_t* result) {
    if (plat::send_message(w, message, wparam, lparam, result)) return true;
    log_line_str(who, "对方程序无响应,操作中止");
    return false;
}

size_t process_main_module_path(uint32_t pid, char* out) {
    plat::Process* p = plat::open_process(pid, plat::kAccessModulePath);
    if (!p) return 0;
    char path[kModulePathBytes];
    size_t n = plat::main_module_path(p, path, sizeof path);
    plat::close_process(p);
    if (n == 0) return 0;
    copy_text(out, kModulePathBytes, path);
    return n;
}

plat::Window find_own_top_window(const char* fragment) {
    char own[kModulePathBytes];
    plat::executable_path(own, sizeof own);
    char title[kWindowTextBytes];
    char paths[kModulePathBytes];
    for (plat::Window w = plat::first_child(plat::desktop_window()); w; w = plat::next_sibling(w)) {
        if (plat::window_text(w, title, sizeof title) == 0 || !std::strstr(title, fragment)) continue;
        if (process_main_module_path(plat::window_process_id(w), paths) > 0 && std::strcmp(paths, own) == 0)
            return w;
    }
    log_line("没找到窗口句柄");
    return 0;
}

plat::Window find_window_deep(plat::Window start, const char* class_name, const char* name) {
    if (!start) return 0;
    if (plat::Window found = plat::find_child_window(start, class_name, name)) return found;
    for (plat::Window c = plat::first_child(start); c; c = plat::next_sibling(c))
        if (plat::Window found = find_window_deep(c, class_name, name)) return found;
    return 0;
}

plat::Window find_child_containing(plat::Window parent, const char* text) {
    char title[kWindowTextBytes];
    for (plat::Window w = plat::first_child(parent); w; w = plat::next_sibling(w))
        if (plat::window_text(w, title, sizeof title) > 0 && std::strstr(title, text)) return w;
    return 0;
}

plat::Window nth_child(plat::Window parent, int n) {
    plat::Window w = plat::first_child(parent);
    for (int i = 0; i < n && w; ++i) w = plat::next_sibling(w);
    return w;
}

ListReader::~ListReader() { close_list_reader(*this); }

bool open_list_reader(plat::Window list, ListReader* r) {
    close_list_reader(*r);
    r->list = list;
    intptr_t rows = 0;
    if (!send_or_log("list_reader", list, plat::kLvmGetItemCount, 0, 0, &rows)) return false;
    r->rows = static_cast<int>(rows);
    r->process = plat::open_process(plat::window_process_id(list), plat::kAccessListRead);
    if (!r->process) {
        log_line("list_reader 打开进程失败");
        return false;
    }
    const plat::Bitness bits = plat::process_bitness(r->process);
    if (bits == plat::Bitness::unknown) {
        log_line("list_reader 无法判断列表进程是32位还是64位,不读取");
        close_list_reader(*r);
        return false;
    }
    r->wide = bits == plat::Bitness::wider;
    const size_t item_bytes = r->wide ? kListItem64Bytes : kListItemBytes;
    r->item_block = plat::remote_alloc(r->process, item_bytes);
    r->text_block = plat::remote_alloc(r->process, kListTextBytes);
    if (!r->item_block || !r->text_block) {
        log_line("list_reader 分配内存失败");
        close_list_reader(*r);
        return false;
    }
    if (r->wide && (!reachable_from_32_bits(r->process, r->item_block, item_bytes) ||
                    !reachable_from_32_bits(r->process, r->text_block, kListTextBytes))) {
        log_line("list_reader 64位列表的内存块不在32位程序可达的地址,无法读取");
        close_list_reader(*r);
        return false;
    }
    return true;
}

bool read_cell(ListReader& r, int row, int column, char (&item)[kListTextBytes]) {
    item[0] = '\0';
    const bool written = r.wide ? write_item<ListItem64>(r, column) : write_item<ListItem32>(r, column);
    if (!written) return false;
    intptr_t length = 0;
    if (!send_or_log("list_reader", r.list, plat::kLvmGetItemTextA, static_cast<uintptr_t>(row),
                     static_cast<intptr_t>(r.item_block), &length))
        return false;
    // An empty cell, or one the list does not answer, reads as empty rather
    // than as what the block still holds from the cell before.
    if (length <= 0) return true;
    if (!plat::remote_read(r.process, r.text_block, item, sizeof item)) {
        item[0] = '\0';
        return false;
    }
    item[sizeof item - 1] = '\0';
    return true;
}

void close_list_reader(ListReader& r) {
    if (r.process) {
        if (r.item_block) plat::remote_free(r.process, r.item_block);
        if (r.text_block) plat::remote_free(r.process, r.text_block);
        plat::close_process(r.process);
    }
    r.list = 0;
    r.rows = 0;
    r.process = nullptr;
    r.item_block = r.text_block = 0;
    r.wide = false;
}

int log_list_rows(plat::Window list, int columns) {
    ListReader r;
    if (!open_list_reader(list, &r)) return -1;
    char item[kListTextBytes];
    for (int row = 0; row < r.rows; ++row) {
        char s[kListLineBytes] = "";
        bool whole = true;
        for (int c = 0; c < columns && whole; ++c) {
            if (!read_cell(r, row, c, item)) {
                log_line("list_reader 读取失败");
                close_list_reader(r);
                return -1;
            }
            whole = append_text(s, sizeof s, item) && append_text(s, sizeof s, ",");
        }
        log_line(s);
    }
    close_list_reader(r);
    return 0;
}
