// poke_get_memory: the chart's bars written straight into the price arrays
// of a running Advanced GET. The addresses the offset file keeps hold their
// place for as long as the window is the same, while the chart slides, grows
// and has its old prices adjusted. Window handles are reused, so before each
// write the rows at those addresses must still hold what this library last
// wrote there, or the data file's first rows (what the search looks for);
// only when they hold neither (Advanced GET loaded its arrays elsewhere, or
// the host was restarted since the last write) are the addresses searched
// anew. Every write stays within the rows that the offset file names and
// that the distance between two arrays allows.
#include "bridges/aget_memory.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bridges/aget_files.h"
#include "bridges/aget_search.h"
#include "bridges/window_toolkit.h"
#include "common/capped_read.h"
#include "common/codes.h"
#include "common/host_file.h"
#include "common/log.h"
#include "common/rehearsal.h"
#include "platform/windows.h"

namespace {

// Time of the last bar written into Advanced GET's memory, for every
// security alike: when it comes again and nothing else changed, only the
// last row is rewritten.
int32_t get_last_time = 0;

enum Column { kOpen, kHigh, kLow, kClose, kVolume, kColumns };
const char* const kWriteFailed[kColumns] = {"写o内存失败", "写h内存失败", "写l内存失败", "写c内存失败",
                                            "写v内存失败"};
constexpr int kCheckedRows = 3;  // rows 0..2 of open, high, low and close: what the search matches
constexpr int kChecked = 4;

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
    // Bytes of rows 0..2 that are rows of the arrays.
    size_t checked_bytes() const { return 8u * static_cast<size_t>(rows < kCheckedRows ? rows : kCheckedRows); }
};

// The arrays the offsets describe; false when they cannot be Advanced GET's
// (outside the searched range, no rows, arrays that would overlap because
// the stride holds fewer than the rows, or past the end of the address
// space). Overlapping arrays are what the search finds inside the open array
// of a chart that starts flat: writing there would put every column into it.
bool arrays_of(const GetOffsets& off, Arrays* a) {
    if (off.open_addr < kGetSearchFrom || off.open_addr >= kGetSearchBelow || off.high_addr <= off.open_addr)
        return false;
    const uint64_t stride = off.high_addr - off.open_addr;
    const int64_t rows = off.row_count;
    if (rows < 1 || rows > static_cast<int64_t>(stride / 8) ||
        off.high_addr + 3 * stride + 8 * static_cast<uint64_t>(rows) > 0x100000000ull)
        return false;
    *a = Arrays{off.open_addr, off.high_addr, static_cast<uint32_t>(stride), static_cast<int32_t>(rows)};
    return true;
}

// What this library last wrote into one set of arrays, kept while it is
// loaded: rows 0..2 of the four checked arrays as bytes, and a digest of
// every row but the last, so that a call whose earlier bars are as written
// rewrites the last row alone.
struct Written {
    plat::Window window;
    uint32_t open_addr, high_addr;
    int32_t rows;
    unsigned char first[kChecked][8 * kCheckedRows];
    uint64_t earlier;
};
// One entry per set of arrays written; the oldest goes when there are more.
std::vector<Written> g_written;
constexpr size_t kWrittenKept = 64;

Written* written_at(plat::Window w, const Arrays& a) {
    for (Written& e : g_written)
        if (e.window == w && e.open_addr == a.open_addr && e.high_addr == a.high_addr && e.rows == a.rows) return &e;
    return nullptr;
}

void forget_written(plat::Window w, const Arrays& a) {
    if (Written* e = written_at(w, a)) g_written.erase(g_written.begin() + (e - g_written.data()));
}

// The five values a full write puts in `row`: the newest bar in the last
// row, bar 0's open in every column of the rows before bar 0.
void row_values(const tagCALCINFO& ci, const Arrays& a, int row, double (&v)[kColumns]) {
    const int i = ci.data_count - a.rows + row;
    const BarRecord& b = ci.bars[i < 0 ? 0 : i];
    const float f[kColumns] = {b.open, b.high, b.low, b.close, b.volume};
    for (int c = kOpen; c < kColumns; ++c) v[c] = i < 0 ? b.open : f[c];
}

// FNV-1a over the values of rows 0 .. rows - 2.
uint64_t earlier_rows_digest(const tagCALCINFO& ci, const Arrays& a) {
    uint64_t h = 14695981039346656037ull;
    for (int r = 0; r + 1 < a.rows; ++r) {
        double v[kColumns];
        row_values(ci, a, r, v);
        const unsigned char* p = reinterpret_cast<const unsigned char*>(v);
        for (size_t k = 0; k < sizeof v; ++k) h = (h ^ p[k]) * 1099511628211ull;
    }
    return h;
}

// Rows 0..2 of the open, high, low and close arrays.
bool read_first_rows(plat::Process* p, const Arrays& a, unsigned char (&got)[kChecked][8 * kCheckedRows]) {
    for (int c = kOpen; c < kChecked; ++c)
        if (!plat::remote_read(p, a.at(c, 0), got[c], sizeof got[c])) return false;
    return true;
}

bool file_rows_match(const unsigned char (&got)[kChecked][8 * kCheckedRows], const GetFileRows& file) {
    const float* want[kChecked] = {file.open, file.high, file.low, file.close};
    for (int c = kOpen; c < kChecked; ++c) {
        RowsWanted w{{want[c][0], want[c][1], want[c][2]}, c == kOpen, 24};
        if (!rows_match(got[c], w)) return false;
    }
    return true;
}

// The data file's first rows, read once per call when they are needed.
struct DataFile {
    const char* fn;
    bool read = false, ok = false;
    GetFileRows rows{};
    const GetFileRows* get() {
        if (!read) {
            read = true;
            std::vector<unsigned char> raw;
            ok = read_file_capped(fn, kGetDataFileCap, &raw) == CappedRead::whole &&
                 parse_get_rows(std::string(raw.begin(), raw.end()), &rows);
        }
        return ok ? &rows : nullptr;
    }
};

// Whether the saved arrays are still there: rows 0..2 hold what was last
// written there, or the data file's first rows. Sets *known to the record
// of the last write when that is what they hold, and drops a record they
// no longer bear out.
bool still_there(plat::Process* p, plat::Window w, const Arrays& a, DataFile& file, Written** known) {
    unsigned char got[kChecked][8 * kCheckedRows];
    if (!read_first_rows(p, a, got)) return false;
    if (Written* e = written_at(w, a)) {
        bool same = true;
        for (int c = kOpen; c < kChecked; ++c) same = same && std::memcmp(got[c], e->first[c], a.checked_bytes()) == 0;
        if (same) {
            *known = e;
            return true;
        }
        forget_written(w, a);
    }
    const GetFileRows* rows = file.get();
    return rows && file_rows_match(got, *rows);
}

// Whether saved arrays whose rows fill the stride exactly hold the data
// file's rows too. Such an offset file may be one that an earlier search
// learned inside the open array of a chart that starts flat, with the rows
// cut to the stride; only the data file tells it from arrays packed end to
// end. Arrays with room to spare are taken as they are.
bool rows_fit(const Arrays& a, DataFile& file) {
    if (static_cast<uint64_t>(a.rows) < a.stride / 8) return true;
    const GetFileRows* rows = file.get();
    return rows && static_cast<uint64_t>(rows->row_count) <= a.stride / 8;
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
    // The high array begins past the open array's rows: on a chart that
    // starts flat the open array's own later rows match the highs too.
    RowsWanted high{{file.high[0], file.high[1], file.high[2]}, false, 32};
    const uint64_t high_from = open_addr + 8 * static_cast<uint64_t>(file.row_count);
    uint32_t high_addr = high_from < kGetSearchBelow
                             ? find_rows(p, static_cast<uint32_t>(high_from), kGetSearchBelow, high) : 0;
    if (!high_addr) {
        log_line("没找到high地址");
        return false;
    }
    const uint64_t stride = high_addr - open_addr;
    const int32_t rows = file.row_count;
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

// Writes one row's five values, one remote write each; false when any of
// them failed (each logged).
bool write_row(plat::Process* p, const Arrays& a, int row, const double (&v)[kColumns], Written* record) {
    bool all = true;
    for (int c = kOpen; c < kColumns; ++c) {
        if (!plat::remote_write(p, a.at(c, row), &v[c], sizeof v[c])) {
            log_line(kWriteFailed[c]);
            all = false;
        } else if (record && c < kChecked && row < kCheckedRows) {
            std::memcpy(record->first[c] + 8 * row, &v[c], 8);
        }
    }
    return all;
}

// Writes the bars, newest in the last row, and keeps a record of what was
// written. Only the last row when its bar is the one written last time
// (it is still changing) and every earlier row already holds what it
// should; otherwise every row, and the refresher is started.
void write_bars(plat::Process* p, plat::Window w, const Arrays& a, const tagCALCINFO& ci, Written* known) {
    const uint64_t earlier = earlier_rows_digest(ci, a);
    double v[kColumns];
    if (known && get_last_time == ci.bars[ci.data_count - 1].time && known->earlier == earlier) {
        row_values(ci, a, a.rows - 1, v);
        if (!write_row(p, a, a.rows - 1, v, known)) forget_written(w, a);
        return;
    }
    Written record{w, a.open_addr, a.high_addr, a.rows, {}, earlier};
    bool all = true;
    for (int r = 0; r < a.rows; ++r) {
        row_values(ci, a, r, v);
        all = write_row(p, a, r, v, &record) && all;
    }
    forget_written(w, a);
    if (all) {
        if (g_written.size() >= kWrittenKept) g_written.erase(g_written.begin());
        g_written.push_back(record);
    }
    if (!plat::start_program("Veskorin.exe", plat::kShowHidden)) log_line("Veskorin.exe 启动失败");
}

// What write_bars would write, logged instead (one row, or every row and
// the refresher).
void rehearse_write(const tagCALCINFO& ci, const GetNames& n, const Arrays& a, const Written* known) {
    const bool one_row = known && get_last_time == ci.bars[ci.data_count - 1].time &&
                         known->earlier == earlier_rows_digest(ci, a);
    const std::string rows = std::to_string(one_row ? 1 : a.rows);
    log_rehearsal({"会写入 Advanced GET 内存 ", rows.c_str(), " 行 (", n.title, ")"});
    if (!one_row) log_rehearsal({"会启动 Veskorin.exe (", n.title, ")"});
}

bool poke_process(const tagCALCINFO& ci, const GetNames& n, plat::Window w, plat::Process* p) {
    DataFile file{n.fn};
    GetOffsets off;
    Arrays a;
    Written* known = nullptr;
    const bool saved =
        read_get_offsets(n.addr_fn, &off) && off.window == w && arrays_of(off, &a) && rows_fit(a, file) &&
        still_there(p, w, a, file, &known);
    if (!saved) {
        const GetFileRows* rows = file.get();
        if (!rows) {
            log_line_str("打开文件失败", n.fn);
            return false;
        }
        if (!learn_arrays(p, *rows, w, &off) || !arrays_of(off, &a)) return false;
        forget_written(w, a);
        write_get_offsets(n.addr_fn, off);  // without it the next call searches again
    }
    if (rehearsing()) {  // the last bar written stays the live one's
        rehearse_write(ci, n, a, known);
        return true;
    }
    write_bars(p, w, a, ci, known);
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
