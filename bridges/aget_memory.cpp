// poke_get_memory: the chart's bars written straight into the price arrays
// of a running Advanced GET. Window handles are reused, so the addresses an
// offset file keeps are never trusted on its window handle alone: the rows
// they point at must still hold the data file's first rows (as the search
// requires), or rows of this chart as an earlier write left them, before
// anything is written; otherwise they are searched anew. Every write stays
// within the rows that the distance between two arrays allows.
#include <memory>
#include <vector>

#include "bridges/aget.h"
#include "bridges/aget_search.h"
#include "bridges/window_toolkit.h"
#include "common/capped_read.h"
#include "common/codes.h"
#include "common/coding.h"
#include "common/host_file.h"
#include "common/log.h"
#include "platform/windows.h"

namespace {

// Time of the last bar written into Advanced GET's memory, for every
// security alike: when it comes again, only the last row is rewritten.
int32_t get_last_time = 0;

enum Column { kOpen, kHigh, kLow, kClose, kVolume, kColumns };
const char* const kWriteFailed[kColumns] = {"写o内存失败", "写h内存失败", "写l内存失败", "写c内存失败",
                                            "写v内存失败"};

// Advanced GET's five arrays: open, then high, low, close and volume at
// equal distance, each of `rows` usable rows.
struct Arrays {
    uint32_t open_addr;
    uint32_t high_addr;
    uint32_t stride;
    int32_t rows;
    uint32_t at(int column, int row) const {
        uint32_t base = column == kOpen ? open_addr : high_addr + static_cast<uint32_t>(column - 1) * stride;
        return base + 8u * static_cast<uint32_t>(row);
    }
};

// The arrays the offsets describe, with the row count cut to what the
// stride holds; false when they cannot be Advanced GET's (outside the
// searched range, no distance, or past the end of the address space).
bool arrays_of(const GetOffsets& off, Arrays* a) {
    if (off.open_addr < kGetSearchFrom || off.open_addr >= kGetSearchBelow || off.high_addr <= off.open_addr)
        return false;
    const uint64_t stride = off.high_addr - off.open_addr;
    int64_t rows = off.row_count;
    if (rows > static_cast<int64_t>(stride / 8)) rows = static_cast<int64_t>(stride / 8);
    if (rows < 1 || off.high_addr + 3 * stride + 8 * static_cast<uint64_t>(rows) > 0x100000000ull) return false;
    *a = Arrays{off.open_addr, off.high_addr, static_cast<uint32_t>(stride), static_cast<int32_t>(rows)};
    return true;
}

bool read_offsets(const char* addr_fn, GetOffsets* off) {
    std::vector<unsigned char> b;
    if (read_file_prefix(addr_fn, kGetOffsetBytes, &b) != CappedRead::whole || b.size() < kGetOffsetBytes)
        return false;
    *off = GetOffsets{decode_i32(&b[0]), decode_u32(&b[4]), decode_u32(&b[8]), decode_u32(&b[12])};
    return true;
}

void write_offsets(const char* addr_fn, const GetOffsets& off) {
    unsigned char b[kGetOffsetBytes];
    encode_i32(b, off.row_count);
    encode_u32(b + 4, off.open_addr);
    encode_u32(b + 8, off.high_addr);
    encode_u32(b + 12, off.window);
    replace_file_contents(addr_fn, b, sizeof b);  // without it the next call searches again
}

// Rows 0..2 of the open, high, low and close arrays.
bool read_first_rows(plat::Process* p, const Arrays& a, unsigned char (&got)[4][24]) {
    for (int c = kOpen; c <= kClose; ++c)
        if (!plat::remote_read(p, a.at(c, 0), got[c], sizeof got[c])) return false;
    return true;
}

bool columns_match(const unsigned char (&got)[4][24], const float (&want)[4][3]) {
    for (int c = kOpen; c <= kClose; ++c) {
        RowsWanted w{{want[c][0], want[c][1], want[c][2]}, c == kOpen, 24};
        if (!rows_match(got[c], w)) return false;
    }
    return true;
}

// Whether the saved arrays still hold what the search looked for, or rows
// of this chart where a full write put them: bar r + s in row r, or bar 0's
// open in the rows before the first bar.
bool still_matched(plat::Process* p, const Arrays& a, const GetFileRows* file, const tagCALCINFO& ci) {
    unsigned char got[4][24];
    if (!read_first_rows(p, a, got)) return false;
    float want[4][3];
    if (file) {
        for (int r = 0; r < 3; ++r)
            want[kOpen][r] = file->open[r], want[kHigh][r] = file->high[r], want[kLow][r] = file->low[r],
            want[kClose][r] = file->close[r];
        if (columns_match(got, want)) return true;
    }
    for (int s = -3; s <= ci.data_count - 3; ++s) {
        for (int r = 0; r < 3; ++r) {
            int i = r + s;
            const BarRecord& b = ci.bars[i < 0 ? 0 : i];
            want[kOpen][r] = b.open;
            want[kHigh][r] = i < 0 ? b.open : b.high;
            want[kLow][r] = i < 0 ? b.open : b.low;
            want[kClose][r] = i < 0 ? b.open : b.close;
        }
        if (columns_match(got, want)) return true;
    }
    return false;
}

// The search: the open array where rows 0..2 of the file's opens lie, the
// high array after it, and the low and close arrays checked at the same
// distance. Logs why it failed.
bool learn_arrays(plat::Process* p, const GetFileRows& file, plat::Window w, GetOffsets* off) {
    RowsWanted open{{file.open[0], file.open[1], file.open[2]}, true, 24};
    uint32_t open_addr = find_rows(p, kGetSearchFrom, kGetSearchBelow, open);
    if (!open_addr) {
        log_line("没找到Open地址");
        return false;
    }
    RowsWanted high{{file.high[0], file.high[1], file.high[2]}, false, 32};
    uint32_t high_addr = find_rows(p, open_addr + 16, kGetSearchBelow, high);
    if (!high_addr) {
        log_line("没找到high地址");
        return false;
    }
    const uint64_t stride = high_addr - open_addr;
    int32_t rows = file.row_count;
    if (stride / 8 < static_cast<uint64_t>(rows)) rows = static_cast<int32_t>(stride / 8);
    const float* check[2] = {file.low, file.close};
    for (int k = 0; k < 2; ++k) {
        uint64_t at = high_addr + (k + 1) * stride;
        unsigned char got[24];
        RowsWanted want{{check[k][0], check[k][1], check[k][2]}, false, 24};
        if (at + sizeof got > 0x100000000ull || !plat::remote_read(p, static_cast<uint32_t>(at), got, sizeof got) ||
            !rows_match(got, want)) {
            log_line("low 地址验证错误");
            return false;
        }
    }
    *off = GetOffsets{rows, open_addr, high_addr, w};
    return true;
}

void write_value(plat::Process* p, uint32_t address, float v, int column) {
    double d = v;
    if (!plat::remote_write(p, address, &d, sizeof d)) log_line(kWriteFailed[column]);
}

void write_bar(plat::Process* p, const Arrays& a, int row, const BarRecord& b) {
    const float v[kColumns] = {b.open, b.high, b.low, b.close, b.volume};
    for (int c = kOpen; c < kColumns; ++c) write_value(p, a.at(c, row), v[c], c);
}

// Writes the bars, newest in the last row; only the last row when the last
// bar is the one written last time (it is still changing).
void write_bars(plat::Process* p, const Arrays& a, const tagCALCINFO& ci) {
    const BarRecord* bars = ci.bars;
    const int count = ci.data_count, rows = a.rows;
    if (get_last_time == bars[count - 1].time) {
        write_bar(p, a, rows - 1, bars[count - 1]);
        return;
    }
    if (count > rows) {
        for (int r = 0; r < rows; ++r) write_bar(p, a, r, bars[count - rows + r]);
    } else {
        const int pad = rows - count;
        for (int r = 0; r < pad; ++r)
            for (int c = kOpen; c < kColumns; ++c) write_value(p, a.at(c, r), bars[0].open, c);
        for (int i = 0; i < count; ++i) write_bar(p, a, pad + i, bars[i]);
    }
    if (!plat::start_program("Veskorin.exe", plat::kShowHidden)) log_line("Veskorin.exe 启动失败");
}

bool poke_process(const tagCALCINFO& ci, const GetNames& n, plat::Window w, plat::Process* p) {
    GetFileRows file;
    std::vector<unsigned char> raw;
    const bool have_file = read_file_capped(n.fn, kGetDataFileCap, &raw) == CappedRead::whole &&
                           parse_get_rows(std::string(raw.begin(), raw.end()), &file);
    GetOffsets off;
    Arrays a;
    bool saved = read_offsets(n.addr_fn, &off) && off.window == w && arrays_of(off, &a) &&
                 still_matched(p, a, have_file ? &file : nullptr, ci);
    if (!saved) {
        if (!have_file) {
            log_line_str("打开文件失败", n.fn);
            return false;
        }
        if (!learn_arrays(p, file, w, &off) || !arrays_of(off, &a)) return false;
        write_offsets(n.addr_fn, off);
    }
    write_bars(p, a, ci);
    get_last_time = ci.bars[ci.data_count - 1].time;
    return true;
}

}  // namespace

bool poke_get_memory(const tagCALCINFO& ci) {
    if (ci.data_count < 1 || !ci.bars) return false;
    GetNames n;
    if (!get_names(ci, &n)) {
        log_line("GET路径未设置");
        return false;
    }
    plat::Window w = find_child_containing(plat::desktop_window(), n.title);
    if (!w) {
        log_line_str("没启动", n.title);
        return false;
    }
    // Closed however the route ends, also when it throws.
    std::unique_ptr<plat::Process, void (*)(plat::Process*)> p(
        plat::open_process(plat::window_process_id(w), plat::kAccessAll), plat::close_process);
    if (!p) {
        log_line("OpenProcess 失败");
        return false;
    }
    return poke_process(ci, n, w, p.get());
}
