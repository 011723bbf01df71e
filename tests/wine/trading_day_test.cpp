// A trading day against the fixture programs: a day chart refreshed 200
// times, its last bar ticking and a new bar (dropping the oldest) every 20
// refreshes, the old bars' prices adjusted once (复权) while the last bar
// keeps its time, and a time-share chart growing by a bar a refresh. Every
// refresh calls the exports a formula set would: Save2Get into the Advanced
// GET fixture (which keeps an old copy of its arrays above them), Save2Mt4,
// TDXlineAll, save2blk, savedata, ReadData, almtime, get_alarm_data and
// StockPositions against the TDX fixture. After every call the files and
// Advanced GET's memory must hold exactly what that call should leave.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cmath>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "host/export_table.h"
#include "tests/invest_alarm_bytes.h"
#include "tests/wine/fixture_process.h"
#include "tests/wine/fixtures/advanced_get.h"
#include "tests/wine/fixtures/host_windows.h"
#include "tests/wine/fixtures/terminals.h"
#include "tests/wine/wine_check.h"

namespace {

const int kDayBars = 60;             // the day chart's bars, and Advanced GET's rows
const int32_t kJan2 = 1704153600;    // the day chart's first bar
const int32_t kBar0 = 1704155400;    // the time-share chart's first bar (08:30 UTC stamp)
const char kLineFile[] = "tdx\\T0002\\line.dat";
const char kBlock[] = "userdata\\block\\自选股3.BLK";
const char kSelfData[] = "userdata\\SelfData\\DATA11\\SH600000.dat";
const char kHistory[] = "mt4\\SH6000001440.HST";

// Bar n of the day: columns in ranges of their own, so that no three rows
// of one array are found in another; the closes wave, so that TDXlineAll
// has levels to write.
BarRecord day_bar(int n) {
    float w = std::round(10.0f * std::sin(0.7f * static_cast<float>(n))) / 10.0f;
    return BarRecord{kJan2 + 86400 * n, 11 + w, 31 + w, 5 + w, 21 + w, 1000.0f + n, 0, 0};
}

// The bars with parameter 1 their closes, or the constant `p1`.
Chart day_chart(const std::vector<BarRecord>& bars, std::vector<float> p2 = {}, const float* p1 = nullptr) {
    Chart c(0);
    c.set_bars(bars);
    c.closes_series(0);
    if (p1) c.constant(*p1);
    c.p2 = p2;
    return c;
}

Bytes foreign_line() { return tdx_line_record("000001", 20240102, 9.5f, 0, 255); }

// The TDX records the labels of a TDXlineAll call put at slots 1.. (slot 0
// holds another security's record), over what the file held before.
Bytes lines_after(const Bytes& before, const Chart& c, int first) {
    Bytes out = before;
    size_t slot = 1;
    for (int i = first; i >= 0 && i < static_cast<int>(c.bars.size()); ++i) {
        float label = c.result[i];
        if (!(label > -4 && label < 4) || label == 0) continue;
        time_t t = c.bars[i].time + 28800;
        struct tm d = *std::gmtime(&t);
        int32_t date = (d.tm_year + 1900) * 10000 + (d.tm_mon + 1) * 100 + d.tm_mday;
        Bytes r = tdx_line_record("600000", date, c.p1[i], static_cast<int32_t>(slot - 1), label < 0 ? 255 : 65280);
        if (out.size() < (slot + 1) * 298) out.resize((slot + 1) * 298);
        std::copy(r.begin(), r.end(), out.begin() + static_cast<long>(slot * 298));
        ++slot;
    }
    return out;
}

Bytes history_records(const std::vector<BarRecord>& bars) {
    Bytes b;
    for (const BarRecord& r : bars) {
        put_i32(b, r.time + 28800);
        for (float v : {r.open, r.low, r.high, r.close, r.volume}) put_f64(b, v);
    }
    return b;
}

Bytes selfdata_bytes(const std::map<int32_t, float>& m) {
    Bytes b;
    for (const auto& r : m) put_i32(b, r.first), put_f32(b, r.second);
    return b;
}

// The files and fixtures of the day: Advanced GET showing SH600000's day
// chart loaded from the data file, the TDX terminal, a line file holding
// another security's record, block 3 with two codes, and the host's alert
// file with two alerts of SH600000 (minutes 3 and 100) and one of another.
struct TradingDesk {
    Fixture get, tdx;
    std::vector<BarRecord> day;

    void open() {
        make_dirs("get");
        make_dirs("mt4");
        make_dirs("tdx\\T0002");
        write_text("TARVEX.ini", "[路径]\r\nGET=" + host_path("get") + "\\\r\nMT4_HST_PATH=" + host_path("mt4") +
                                     "\\\r\n通达信=" + host_path("tdx") + "\r\n");
        write_text("tdx\\connect.cfg", std::string("[OTHER]\r\nTitleName=") + kTdxTitleName + "\r\n");
        write_bytes(kLineFile, foreign_line());
        write_bytes(kBlock, block_file_bytes({"SZ000001", "SH600036"}));
        remove_file(kSelfData);
        remove_file("get\\SH600000DAY.OFF");
        write_bytes("userdata\\self\\ALERT.DAT",
                    concat({alert_head({"突破", "放量", "跌停"}, 3), alert_record("SH600000", kBar0 - 28620, "放量"),
                            alert_record("SZ000001", kBar0 - 28500, "突破"),
                            alert_record("SH600000", kBar0 - 22800, "跌停")}));
        for (int n = 0; n < kDayBars; ++n) day.push_back(day_bar(n));
        Chart c = day_chart(day);
        CHECK_EQ(call("Save2Get", c), 0);  // the data file Advanced GET loads
        get = start_fixture("advanced_get.exe", host_path("get\\SH600000DAY.TXT").c_str(), kGetTitle);
        tdx = start_fixture("tdx_terminal.exe", "", std::string(kTdxTitleName) + kTdxTitleTail);
    }
    void close() {
        stop_fixture(get);
        stop_fixture(tdx);
        remove_file("TARVEX.ini");
    }
};

}  // namespace

WINE_TEST(day_of_refreshes_leaves_every_place_right) {
    TradingDesk desk;
    desk.open();
    std::vector<BarRecord>& day = desk.day;
    const GetDump loaded = dump_get(desk.get.top);
    Bytes offsets;  // the arrays' place, learned once for the whole day
    put_i32(offsets, kDayBars), put_u32(offsets, loaded.base), put_u32(offsets, loaded.base + loaded.stride);
    put_u32(offsets, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(desk.get.top)));
    Bytes lines = foreign_line();
    std::map<int32_t, float> selfdata;  // day -> value
    int next_bar = kDayBars;
    Chart share(0);
    share.period = kPeriodTimeShare;
    for (int i = 0; i < 29; ++i) share.bars.push_back(BarRecord{kBar0 + 60 * i, 10, 10, 10, 10, 1, 0, 0});
    const int failed_before = failure_count();
    const DWORD started = GetTickCount();
    for (int k = 0; k < 200 && failure_count() < failed_before + 5; ++k) {
        if (k > 0 && k % 20 == 0) {
            day.erase(day.begin());
            day.push_back(day_bar(next_bar++));
        }
        if (k == 110)  // 复权: every old bar's prices, the last bar keeping its time
            for (size_t i = 0; i + 1 < day.size(); ++i)
                for (float* f : {&day[i].open, &day[i].high, &day[i].low, &day[i].close}) *f *= 0.9f;
        day.back().close += 0.01f;
        day.back().volume += 100;
        const std::string at = " at refresh " + std::to_string(k);

        Chart c = day_chart(day);
        CHECK_EQ(call("Save2Get", c), -1);
        GetDump got = dump_get(desk.get.top);
        std::vector<std::vector<double>> rows;
        for (const BarRecord& b : day) rows.push_back({b.open, b.high, b.low, b.close, b.volume});
        if (!(got.rows == rows && got.outside == loaded.outside))
            report_failure(__FILE__, __LINE__, "Advanced GET's arrays are not the chart's bars" + at);
        if (read_bytes("get\\SH600000DAY.OFF") != offsets)
            report_failure(__FILE__, __LINE__, "the offset file moved" + at);

        c = day_chart(day);
        CHECK_EQ(call("Save2Mt4", c), 0);
        Bytes history = read_bytes(kHistory);
        CHECK(history.size() == 148 + 44 * day.size() &&
              Bytes(history.begin() + 148, history.end()) == history_records(day));

        c = day_chart(day, {5});
        c.p4 = {static_cast<float>(kDayBars)};
        int first = call("TDXlineAll", c);
        lines = lines_after(lines, c, first);
        if (read_bytes(kLineFile) != lines)
            report_failure(__FILE__, __LINE__, "the line file is not what TDXlineAll should leave" + at);

        const float condition = k % 3 ? 1.0f : 0.0f;
        c = day_chart(day, {3}, &condition);
        CHECK_EQ(call("save2blk", c), kDayBars - 1);
        CHECK_EQ(c.result.back(), k % 3 ? 3.0f : 0.0f);
        CHECK_EQ(read_bytes(kBlock), block_file_bytes(k == 0 ? std::vector<std::string>{"SZ000001", "SH600036"}
                                                             : std::vector<std::string>{"SZ000001", "SH600036",
                                                                                        "SH600000"}));

        c = day_chart(day, {11}, &day.back().close);
        call("savedata", c);
        selfdata[day.back().time] = day.back().close;
        CHECK_EQ(read_bytes(kSelfData), selfdata_bytes(selfdata));
        c = day_chart(day, {11});
        CHECK_EQ(call("ReadData", c), 0);
        CHECK_EQ(c.result.back(), day.back().close);

        const int32_t minute = static_cast<int32_t>(share.bars.size());
        share.bars.push_back(BarRecord{kBar0 + 60 * minute, 10, 10, 10, 10, 1, 0, 0});
        share.result.assign(share.bars.size(), 0.0f);
        CHECK_EQ(call("almtime", share), 0);
        CHECK(share.result[3] == 2.0f && share.result[5] == 0.0f);
        CHECK_EQ(share.result.size() > 100 ? share.result[100] : 3.0f, 3.0f);

        call("get_alarm_data", c);
        CHECK_EQ(call("StockPositions", c), 0);
    }
    std::printf("  200 refreshes in %lu ms\n", GetTickCount() - started);
    CHECK(lines.size() > 2 * 298);  // TDXlineAll had levels to write
    desk.close();
}

namespace {

// Committed private memory of a process, by walking its address space, and
// the number of allocations it lies in.
struct PrivateMemory {
    unsigned long bytes = 0;
    int allocations = 0;
};
PrivateMemory private_memory(HANDLE process) {
    PrivateMemory m;
    void* base = nullptr;
    MEMORY_BASIC_INFORMATION r;
    for (uintptr_t a = 0; VirtualQueryEx(process, reinterpret_cast<void*>(a), &r, sizeof r) == sizeof r;) {
        if (r.State == MEM_COMMIT && r.Type == MEM_PRIVATE) {
            m.bytes += r.RegionSize;
            if (r.AllocationBase != base) base = r.AllocationBase, ++m.allocations;
        }
        uintptr_t next = reinterpret_cast<uintptr_t>(r.BaseAddress) + r.RegionSize;
        if (next <= a) break;
        a = next;
    }
    return m;
}

// Handles open in this process: the handle values that name an object (Wine
// answers GetProcessHandleCount with 0).
DWORD handle_count() {
    DWORD n = 0, flags;
    for (uintptr_t h = 4; h < 0x10000; h += 4)
        if (GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags)) ++n;
    return n;
}

struct Use {
    DWORD handles = 0;
    PrivateMemory host, fixtures[3];  // Advanced GET, TDX, 雷凯
};

// Standard output sent nowhere while it lives.
struct QuietStdout {
    int saved;
    QuietStdout() : saved(_dup(1)) {
        std::fflush(stdout);
        int nul = _open("NUL", _O_WRONLY);
        _dup2(nul, 1);
        _close(nul);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        _dup2(saved, 1);
        _close(saved);
    }
};

}  // namespace

// Every export called 10 000 times in all, round after round, on a day
// chart, the same chart of another security and a time-share chart, with
// every program and window it acts on present: afterwards this (the host)
// process holds the handles and private memory it held before, and the
// fixture programs hold no block more than before.
WINE_TEST(day_ten_thousand_calls_leave_nothing_behind) {
    TradingDesk desk;
    desk.open();
    Fixture lk = start_fixture("lk_terminal.exe", "", kLkTitle);
    HostWindows host = open_host_windows();
    const char* alert[kAlertColumns] = {"600000", "突破", "03-15 10:30:00", "10.5"};
    add_list_row(host.alert_list, alert, kAlertColumns);
    const char* event[] = {"09:30 浦发银行 大笔买入"};
    add_list_row(host.sprite_list, event, 1);
    write_bytes("USERDATA\\SELF\\账户1.inv", investment_file({{"600000", 2, kJan2 + 7200, 10, 100, 0}}));
    RECT button;  // TDXTrade clicks at the cursor: over the TDX fixture's buy button
    if (GetWindowRect(child_at(child_at(desk.tdx.top, 1), 3), &button))
        SetCursorPos((button.left + button.right) / 2, (button.top + button.bottom) / 2);

    std::vector<Chart> charts = {day_chart(desk.day, {3}), day_chart(desk.day, {11}), day_chart(desk.day, {1})};
    charts[0].p3 = {1}, charts[0].p4 = {static_cast<float>(kDayBars)};
    charts[1].label = "600036", charts[1].p3 = {99};
    Chart& share = charts[2];
    share.period = kPeriodTimeShare;
    for (int i = 0; i < kDayBars; ++i) share.bars[i].time = kBar0 + 60 * i;
    share.series(std::vector<float>(kDayBars, 1.0f), 0);
    const HANDLE fixtures[3] = {desk.get.pi.hProcess, desk.tdx.pi.hProcess, lk.pi.hProcess};
    int made = 0;
    auto calls = [&](int n) {
        QuietStdout quiet;  // SQLit3 prints its query's rows
        for (int end = made + n; made < end; ++made) {
            if (made % kExportCount == 0)  // a message a round: the fixtures end after a minute without one
                for (HWND w : {desk.get.top, desk.tdx.top, lk.top}) SendMessageA(w, WM_NULL, 0, 0);
            const ExportEntry& e = kExportTable[made % kExportCount];
            if (e.arg_bytes == 16) call_savedata0("预警数据", kJan2 + made, "600000", 1.0f);
            else call(e.function, charts[made / kExportCount % charts.size()]);
        }
    };
    auto use = [&] {
        Use u;
        u.handles = handle_count();
        u.host = private_memory(GetCurrentProcess());
        for (int i = 0; i < 3; ++i) u.fixtures[i] = private_memory(fixtures[i]);
        return u;
    };
    calls(static_cast<int>(charts.size()) * kExportCount);  // every export on every chart once, first
    const Use before = use();
    DWORD started = GetTickCount();
    calls(10000);
    DWORD took = GetTickCount() - started;
    const Use after = use();
    std::printf("  10000 calls in %lu ms: handles %lu -> %lu, private memory %lu -> %lu KiB; private allocations "
                "of the Advanced GET, TDX and LK fixtures:", took, before.handles, after.handles, before.host.bytes / 1024,
                after.host.bytes / 1024);
    for (int i = 0; i < 3; ++i) {
        std::printf("%s %d -> %d", i ? "," : "", before.fixtures[i].allocations, after.fixtures[i].allocations);
        CHECK_EQ(after.fixtures[i].allocations, before.fixtures[i].allocations);
    }
    std::printf("\n");
    CHECK_EQ(after.handles, before.handles);
    CHECK(after.host.bytes <= before.host.bytes + 64 * 1024);  // a leaked block a call would be 900 KiB
    close_host_windows(host);
    stop_fixture(lk);
    desk.close();
    remove_file("USERDATA\\SELF\\账户1.inv");
}
