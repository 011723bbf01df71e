// The allocation-failure sweep, in the manner of SQLite's malloc tests:
// every export of the list, with its files and the windows it drives in
// place, is run again and again with its 1st, 2nd, ... allocation failing,
// until a run makes no more allocations than the one that fails. Every run
// must return; when an exception reached the guard, the host's slots are as
// the host gave them; every file is either as it was or as a whole run
// leaves it, with nothing left beside it; no block stays allocated in
// another process; and nothing leaks.
#include <dirent.h>
#include <sanitizer/lsan_interface.h>
#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "alarms/alarm_window.h"
#include "datafiles/exports.h"
#include "host/export_table.h"
#include "host/formula_call.h"
#include "platform/windows_testing.h"
#include "tests/invest_alarm_bytes.h"
#include "tests/native/alloc_failures.h"
#include "tests/native/datafiles_support.h"
#include "tests/native/desktop_support.h"
#include "tests/stock_info_bytes.h"

namespace pw = plat_windows_testing;

// Every formula export, declared from the export list.
extern "C" {
#define TARVEX_EXPORT(fn, symbol, bytes, built) TARVEX_DECLARE_##bytes(fn)
#define TARVEX_DECLARE_4(fn) int TARVEX_API fn(tagCALCINFO* ci);
#define TARVEX_DECLARE_16(fn)
#include "host/export_list.h"
#undef TARVEX_DECLARE_16
#undef TARVEX_DECLARE_4
#undef TARVEX_EXPORT
}

namespace {

constexpr int kBars = 30;
const char kGetTitle[] = "Advanced GET - [SH600000DAY, Daily]";
constexpr uint32_t kGetPid = 9, kGetBase = 0x200000, kGetRows = 40;

// Bars whose columns differ, on a zigzag of closes that gives the trend-line
// formulas peaks and troughs.
Chart sweep_chart() {
    Chart c(kBars);
    for (int i = 0; i < kBars; ++i) {
        float close = 10.0f + static_cast<float>((i * 7) % 11);
        c.bars[i] = BarRecord{kJan2 + kDay * i, close + 0.25f, close + 1.0f, close - 1.0f, close, 1000.0f + i,
                              close * 1000.0f, 0};
    }
    c.closes_series(0);
    return c;
}

// How the host calls one export: its parameters and period (by default the
// sweep chart as it is); and, for the bridges that remember the last
// security, operation or bar, how an unarmed call just before it differs, so
// that every run does the same work.
struct SweepCall {
    std::function<void(Chart&)> setup = [](Chart&) {};
    std::function<void(Chart&)> before = nullptr;
};

std::map<std::string, SweepCall> sweep_calls() {
    auto constant = [](float v, std::vector<float> p2 = {}) { return [=](Chart& c) { c.constant(v), c.p2 = p2; }; };
    auto series = [](std::vector<float> p2, std::vector<float> p3 = {}, std::vector<float> p4 = {}) {
        return [=](Chart& c) { c.p2 = p2, c.p3 = p3, c.p4 = p4; };
    };
    auto time_share = [](Chart& c) { c.period = kPeriodTimeShare, c.series(std::vector<float>(kBars, 1.0f), 0); };
    auto other_label = [](Chart& c) { c.label = "000001"; };
    std::map<std::string, SweepCall> calls = {
        {"AlarmOnOff", {constant(1)}}, {"bknumb", {constant(1)}}, {"readfile", {constant(1)}},
        {"Deal", {series({2}, {1})}}, {"ReadData", {series({11})}}, {"SAVEDATA_CAPITAL", {series({11}, {5000})}},
        {"SQLit3", {series({1})}}, {"saveS", {series({12})}}, {"OutLog", {constant(1, {3})}},
        {"FB", {[](Chart& c) { c.period = kPeriodTick, c.ext.assign(kBars, ExtRecord{}); }}},
        {"LKBS", {constant(1), [](Chart& c) { c.constant(2); }}},
        {"Save2Get", {[](Chart&) {}, [](Chart& c) { c.bars.pop_back(), c.result.pop_back(), c.p1.pop_back(); }}},
        {"TDX", {[](Chart&) {}, other_label}}, {"TDXTrade", {constant(10.5f, {1}), other_label}},
        {"Trade", {constant(1, {1})}}, {"TradeFS", {time_share}}, {"almtime", {time_share}},
        {"inblock", {constant(1, {1})}}, {"save2blk", {constant(1, {1})}}, {"saveInt2blk", {constant(600036, {1})}},
        {"savedata", {constant(7.5f, {11})}}, {"savedataR", {constant(7.5f, {11})}},
    };
    for (const char* fn : {"TDXlineAll", "Tline", "TlineAll", "TlineLow", "TLineS", "TlineNear"})
        calls[fn] = {series({5}, {}, {50})};
    return calls;
}

// The formula exports by name.
const std::map<std::string, FormulaCall> kFormulaExports = {
#define TARVEX_EXPORT(fn, symbol, bytes, built) TARVEX_DECLARE_##bytes(fn)
#define TARVEX_DECLARE_4(fn) {#fn, fn},
#define TARVEX_DECLARE_16(fn)
#include "host/export_list.h"
#undef TARVEX_DECLARE_4
#undef TARVEX_DECLARE_16
#undef TARVEX_EXPORT
};

using Tree = std::map<std::string, Bytes>;

void walk(const std::string& dir, const std::string& rel, Tree* out) {
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        std::string path = dir + "/" + name, r = rel.empty() ? name : rel + "/" + name;
        struct stat st;
        if (stat(path.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            walk(path, r, out);
        } else if (r != "TARVEX.log") {
            FILE* f = std::fopen(path.c_str(), "rb");
            Bytes b;
            for (int ch; f && (ch = std::fgetc(f)) != EOF;) b.push_back(static_cast<unsigned char>(ch));
            if (f) std::fclose(f);
            (*out)[r] = b;
        }
    }
    closedir(d);
}

class AllocSweep : public HostTest {
protected:
    void TearDown() override {
        alloc_failures::fail_nth(0);
        pw::reset();
        HostTest::TearDown();
    }

    // Every file an export reads or writes, as a fresh host tree holds them.
    void plant_files() {
        write_text("TARVEX.ini", "[路径]\n通达信=" + win("tdx") + "\n");
        for (const char* d : {"tdx", "tdx/T0002", "data", "data/SH", "USERDATA", "USERDATA/SELF",
                              "userdata/SelfData/DATA11", "userdata/SelfData/DATA12"})
            make_dir(d);
        write_text("tdx/connect.cfg", std::string("[OTHER]\nTitleName=") + kDesktopTdxTitleName + "\n");
        write_bytes("tdx/T0002/line.dat", tdx_line_record("600036", 20240105, 11.0f, 0, 255));
        write_bytes("userdata/block/自选股1.BLK", block_file_bytes({"SZ000001", "SH600519"}));
        write_bytes("userdata/block/突破.BLK", block_file_bytes({"SZ000001"}));
        write_bytes("userdata/SelfData/DATA11/SH600000.dat",
                    selfdata_bytes({{kJan2, 1}, {kJan2 + 5 * kDay, 2}, {kJan2 + 40 * kDay, 3}}));
        write_bytes("userdata/SelfData/DATA12/SH600000.dat", selfdata_bytes({{kJan2, 9}}));
        Bytes floats;
        for (float v : {1.5f, 2.5f, 3.5f}) put_f32(floats, v);
        write_bytes("1.dat", floats);
        write_text("2.dat", "成交时间,合约,买卖,开平,成交价,手数\r\n"
                            "2024/01/03 10:00:00,6000001234,买,开,10.5,2\r\n"
                            "2024/01/05 10:00:00,6000001234,买,开,11.5,1\r\n"
                            "2024/01/05 11:00:00,6000001234,买,开,12.5,3\r\n");
        int32_t t0 = kJan2 - 28800;
        write_bytes("USERDATA/SELF/账户1.inv",
                    investment_file({{"600000", 2, kJan2 + 2 * kDay, 10.0, 100, 0.001},
                                     {"600000", 2, static_cast<int32_t>(local_seconds(2024, 1, 4, 8, 0, 0)), 11.0, 100,
                                      0.001},
                                     {"600000", 3, t0 + 120, 12.0, 100, 0.0}}));
        write_bytes("userdata/self/ALERT.DAT",
                    concat({alert_head({"突破", "放量"}, 2), alert_record("SH600000", kJan2 - 28620, "放量"),
                            alert_record("SH600000", kJan2 - 28500, "突破")}));
        write_bytes("data/SH/STKINFO70.DAT", stock_info_file(17574, 320, {{"600000", 42}}));
        write_text("主程序.txt", "");
        write_bytes("SH600000-1440.HWND", {0x00, 0x01, 0x00, 0x00});
        write_bytes("SH6000001440.HST", Bytes(148, 1));
        std::string get;
        Chart c = sweep_chart();
        for (int i = 0; i < kBars; ++i) {
            const BarRecord& b = c.bars[i];
            char line[120];
            std::snprintf(line, sizeof line, "2024/01/%02d %.1f %.1f %.1f %.1f %.0f %.0f\r\n", 2 + i, b.open, b.high,
                          b.low, b.close, b.volume, b.close + 1);
            get += line;
        }
        write_text("SH600000DAY.TXT", get);
    }

    // The windows the bridges drive, and an Advanced GET whose arrays hold
    // the data file's rows.
    void plant_windows() {
        plant_host_and_terminals(win("dzh.exe"));
        pw::add_window(0, "AfxFrameOrView", kGetTitle, kGetPid);
        Chart c = sweep_chart();
        std::vector<double> arrays(5 * kGetRows, 0.0);
        for (int r = 0; r < kBars; ++r)
            for (int col = 0; col < 5; ++col) arrays[col * kGetRows + r] = (&c.bars[r].open)[col];
        Bytes mem(arrays.size() * 8);
        std::memcpy(mem.data(), arrays.data(), mem.size());
        pw::add_memory(kGetPid, 0x100000, Bytes(0x1000, 0));
        pw::add_memory(kGetPid, kGetBase, mem);
    }

    // The planted files again: what a run wrote is put back, what it added
    // removed (rewriting only those, as removing and creating files is slow).
    void restore_files() {
        if (planted_.empty()) {
            plant_files();
            planted_ = tree();
            return;
        }
        Tree now = tree();
        for (const auto& f : now)
            if (!planted_.count(f.first)) std::remove(at(f.first).c_str());
        for (const auto& f : planted_) {
            auto n = now.find(f.first);
            if (n == now.end() || n->second != f.second) write_bytes(f.first, f.second);
        }
    }

    // Fresh files, windows and bridge state, then the unarmed call before.
    void prepare(const std::string& fn, const SweepCall& how) {
        restore_files();
        plant_windows();
        alarm_last_label[0] = '\0';
        alarm_window = 0;
        alarm_rows_done = 0;
        if (how.before) {
            Chart c = chart_for(how);
            how.before(c);
            call(fn, c);
        }
        std::remove("TARVEX.log");
    }

    static Chart chart_for(const SweepCall& how) {
        Chart c = sweep_chart();
        how.setup(c);
        return c;
    }

    static int call(const std::string& fn, Chart& c) {
        if (fn == "savedata0") {
            char name[] = "DATA11", code[] = "SH600000";
            return savedata0(name, kJan2 + 3 * kDay, code, 4.5f);
        }
        return kFormulaExports.at(fn)(&c.ci());
    }

    Tree planted_;

    Tree tree() const {
        Tree t;
        walk(root_, "", &t);
        return t;
    }

    // What a run may leave in a file: what it held, or what a whole run left.
    static std::string file_fault(const Tree& before, const Tree& whole, const Tree& after) {
        for (const auto& f : after) {
            auto b = before.find(f.first), w = whole.find(f.first);
            if ((b == before.end() || b->second != f.second) && (w == whole.end() || w->second != f.second))
                return f.first + " is neither as it was nor as a whole run leaves it";
        }
        for (const auto& f : before)
            if (whole.count(f.first) && !after.count(f.first)) return f.first + " is gone";
        return "";
    }
};

}  // namespace

TEST_F(AllocSweep, EveryExportSurvivesEachFailedAllocation) {
    const std::map<std::string, SweepCall> calls = sweep_calls();
    for (int i = 0; i < kExportCount; ++i) {
        const ExportEntry& e = kExportTable[i];
        if (!e.built) continue;
        const std::string fn = e.function;
        auto row = calls.find(fn);
        SweepCall how = row == calls.end() ? SweepCall{} : row->second;
        // A whole run: what it returns, writes and leaves.
        prepare(fn, how);
        Tree before = tree();
        Chart whole = chart_for(how);
        const int want = call(fn, whole);
        const Tree after_whole = tree();
        long runs = 0;
        for (long n = 1; n < 100000; ++n, ++runs) {
            prepare(fn, how);
            const int blocks = pw::live_remote_blocks();
            Chart c = chart_for(how);
            alloc_failures::fail_nth(n);
            const int got = call(fn, c);
            const bool fired = alloc_failures::fired();
            alloc_failures::fail_nth(0);
            const std::string where = fn + ", allocation " + std::to_string(n);
            if (!fired) {
                EXPECT_EQ(got, want) << where;
                break;
            }
            const bool caught = log_text().find("-> " + fn + " 异常退出:") != std::string::npos;
            if (caught) {
                EXPECT_EQ(got, -1) << where;
                for (float v : c.result) ASSERT_EQ(v, -777.0f) << where << ": a slot was written";
            } else {
                EXPECT_TRUE(got == -1 || got == want) << where << " returned " << got;
            }
            EXPECT_EQ(file_fault(before, after_whole, tree()), "") << where;
            EXPECT_EQ(pw::live_remote_blocks(), blocks) << where << ": a block left in another process";
        }
        EXPECT_GT(runs, 0) << fn;  // the guard's copy of the slots, at least
        std::printf("  %s: %ld allocations failed in turn\n", fn.c_str(), runs);
    }
    // Once for all (the check stops the process to scan it): a leak report
    // names the export's routine in its stack.
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
}
