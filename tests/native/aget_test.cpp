// Save2Get against the scripted desktop: the data file (dates, the 400-bar
// cap, the seventh column), the block search against the step-by-step rule,
// the offset file, and the in-memory route's one-row update, full rewrite,
// checks before writing and failures, read back from a made-up Advanced GET
// process's memory.
#include <cstring>
#include <string>
#include <vector>

#include "bridges/aget.h"
#include "bridges/aget_memory.h"
#include "bridges/aget_search.h"
#include "platform/portable_testing.h"
#include "platform/windows_testing.h"
#include "tests/native/support.h"

namespace pw = plat_windows_testing;

namespace {

const int32_t kJan2 = 1704153600;  // 2024-01-02 00:00 UTC, a Tuesday
const char kTitle[] = "Advanced GET - [SH600000DAY, Daily]";

// Bars whose columns never share a value: open 100+i, high 200+i, low 50+i,
// close 150+i, volume 1000+i; parameter 1 the closes.
Chart get_chart(int n, int32_t first = kJan2, int period = kPeriodDay, int32_t step = 86400) {
    Chart c(n);
    for (int i = 0; i < n; ++i)
        c.bars[i] = BarRecord{first + step * i, 100.0f + i, 200.0f + i, 50.0f + i, 150.0f + i, 1000.0f + i, 0, 0};
    c.closes_series(0);
    c.period = period;
    return c;
}

std::vector<std::string> lines_of(const Bytes& b) {
    std::vector<std::string> out;
    std::string s(b.begin(), b.end());
    for (size_t at = 0, nl; (nl = s.find("\r\n", at)) != std::string::npos; at = nl + 2) out.push_back(s.substr(at, nl - at));
    return out;
}

Bytes doubles(const std::vector<double>& v) {
    Bytes b(v.size() * 8);
    std::memcpy(b.data(), v.data(), b.size());
    return b;
}

// A made-up Advanced GET: its window, and its five arrays of 10 rows
// (stride 80) at `base`, loaded with the data file's rows.
struct FakeGet {
    uint32_t pid, base;
    plat::Window window;
    FakeGet(uint32_t pid_, const char* title, uint32_t base_, const std::vector<BarRecord>& rows)
        : pid(pid_), base(base_), window(pw::add_window(0, "AfxFrameOrView", title, pid_)) {
        std::vector<double> v(50, 0.0);
        for (size_t r = 0; r < rows.size(); ++r)
            for (int c = 0; c < 5; ++c) v[c * 10 + r] = (&rows[r].open)[c];
        pw::add_memory(pid, 0x100000, Bytes(0x10000, 0));  // below the arrays, searched first
        pw::add_memory(pid, base, doubles(v));
    }
    std::vector<double> row(int r) const {
        std::vector<double> v(5);
        for (int c = 0; c < 5; ++c) pw::peek_memory(pid, base + 8 * (c * 10 + r), &v[c], 8);
        return v;
    }
    Bytes offsets(int32_t rows, uint32_t window_id) const {
        Bytes b;
        put_i32(b, rows), put_u32(b, base), put_u32(b, base + 80), put_u32(b, window_id);
        return b;
    }
};

std::vector<double> bar_row(const BarRecord& b) { return {b.open, b.high, b.low, b.close, b.volume}; }

class GetTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        pw::reset();
        make_dir("get");
        write_text("TARVEX.ini", "[路径]\nGET=" + win("get") + "\\\n");
    }
    void TearDown() override {
        pw::reset();
        HostTest::TearDown();
    }
    int runs() const {
        int n = 0;
        for (const std::string& r : pw::record()) n += r == "run Veskorin.exe 0";
        return n;
    }
};

}  // namespace

TEST_F(GetTest, DataFileDatesCapAndSeventhColumn) {
    struct Case {
        Chart chart;
        const char* file;
        int first;
        size_t lines;
        const char* first_line;
        const char* last_date;
    } cases[] = {
        // Day bars: their own dates, from parameter 1's first bar; a constant's one value on every row.
        {get_chart(8), "get/SH600000DAY.TXT", 5, 3, "2024/01/07 105.0 205.0 55.0 155.0 1005 -1", "2024/01/09"},
        {get_chart(2), "get/SH600000DAY.TXT", 0, 2, "2024/01/02 100.0 200.0 50.0 150.0 1000 8", "2024/01/03"},
        // 1000 five-minute bars ending Friday 2026-12-04: the last 400, on
        // the 400 weekdays up to that day.
        {get_chart(1000, 1796349600 - 999 * 300, kPeriodMin5, 300), "get/SH600000M5.TXT", 600, 400,
         "2025/05/26 700.0 800.0 650.0 750.0 1600 751", "2026/12/04"},
        // Three hourly bars ending on Monday 2026-12-07: Thursday, Friday, Monday.
        {get_chart(3, 1796608800 - 2 * 3600, kPeriodMin60, 3600), "get/SH600000M60.TXT", 0, 3,
         "2026/12/03 100.0 200.0 50.0 150.0 1000 151", "2026/12/07"},
    };
    cases[0].chart.series(std::vector<float>(8, -1.6f), 5);
    cases[1].chart.constant(7);
    for (Case& c : cases) {
        EXPECT_EQ(Save2Get(&c.chart.ci()), c.first) << c.file;
        std::vector<std::string> got = lines_of(read_bytes(c.file));
        ASSERT_EQ(got.size(), c.lines) << c.file;
        EXPECT_EQ(got.front(), c.first_line);
        EXPECT_EQ(got.back().substr(0, 10), c.last_date);
        for (size_t i = 1; i < got.size(); ++i) EXPECT_LT(got[i - 1].substr(0, 10), got[i].substr(0, 10));
        EXPECT_EQ(c.chart.result[c.first], c.chart.bars[c.first].close);
        if (c.first > 0) {
            EXPECT_EQ(c.chart.result[c.first - 1], -777.0f);
        }
    }
}

TEST_F(GetTest, DataFileFailuresAndNoBars) {
    write_text("get/SH600000DAY.TXT", "old");
    plat_testing::fail_nth(plat_testing::Op::rename, 1);
    Chart c = get_chart(3);
    EXPECT_EQ(Save2Get(&c.ci()), -1);
    EXPECT_EQ(read_bytes("get/SH600000DAY.TXT"), Bytes({'o', 'l', 'd'}));
    EXPECT_EQ(c.result[0], -777.0f);
    EXPECT_NE(log_text().find("-> Save2Get 写文件失败 " + win("get/SH600000DAY.TXT")), std::string::npos);
    // Without parameter 1 (or a result series) the data file cannot be written.
    plat_testing::reset_faults();
    Chart no_p1 = get_chart(3);
    no_p1.p1.clear();
    EXPECT_EQ(Save2Get(&no_p1.ci()), -1);
    EXPECT_EQ(read_bytes("get/SH600000DAY.TXT"), Bytes({'o', 'l', 'd'}));
    EXPECT_NE(log_text().find("-> Save2Get 缺少参数1,不写数据文件"), std::string::npos);
    // No bar: nothing to hand over, nothing touched or logged.
    write_text("TARVEX.log", "");
    Chart none = get_chart(0);
    EXPECT_EQ(Save2Get(&none.ci()), -1);
    EXPECT_FALSE(poke_get_memory(none.ci()));
    EXPECT_EQ(log_text(), "");
    write_text("TARVEX.ini", "[路径]\nGET=\n");
    EXPECT_EQ(Save2Get(&c.ci()), -1);
    std::string log = log_text();
    EXPECT_NE(log.find("-> GET路径未设置"), log.rfind("-> GET路径未设置"));  // once by each route
}

TEST_F(GetTest, BlockSearchFindsWhatStepsFind) {
    const uint32_t pid = 3;
    struct Case {
        std::vector<std::pair<uint32_t, double>> puts;  // {first, 2.5, 3.5} at each address
        float first;
        bool first_positive;
        uint32_t read_bytes;
        uint32_t want;
    } cases[] = {
        {{{0x100000, 1.5}}, 1.5f, true, 24, 0x100000},
        {{{0x140000 - 8, 1.5}}, 1.5f, true, 24, 0x140000 - 8},   // across a block boundary
        {{{0x150000 - 16, 1.5}}, 1.5f, true, 24, 0x150000 - 16}, // across two regions
        {{{0x151000 - 16, 1.5}, {0x160100, 1.5}}, 1.5f, true, 24, 0x160100},  // runs into reserved memory
        {{{0x151000 - 24, 1.5}, {0x160100, 1.5}}, 1.5f, false, 32, 0x160100}, // 24 bytes fit, 32 do not
        {{{0x150800, 0.0}, {0x160100, 0.0001}}, 0.0001f, true, 24, 0x160100}, // matches, but not above 0
        {{{0x150800, 0.0}, {0x160100, 0.0001}}, 0.0001f, false, 24, 0x150800},
        {{{0x161000 - 24, 1.5}}, 1.5f, true, 24, 0x161000 - 24}, // the last readable bytes
        {{}, 1.5f, true, 24, 0},
    };
    for (const Case& c : cases) {
        pw::reset();
        pw::add_memory(pid, 0x100000, doubles(std::vector<double>(0x50000 / 8, 7.0)));  // 320 KiB
        pw::add_memory(pid, 0x150000, doubles(std::vector<double>(0x1000 / 8, 7.0)));   // adjacent
        pw::add_memory(pid, 0x151000, Bytes(0x1000), false);                             // reserved
        pw::add_memory(pid, 0x160000, Bytes(0x1000));
        plat::Process* p = plat::open_process(pid, plat::kAccessAll);
        for (const auto& put : c.puts) {
            const double v[3] = {put.second, 2.5, 3.5};
            for (int i = 0; i < 3; ++i) plat::remote_write(p, put.first + 8 * i, &v[i], 8);  // what fits
        }
        RowsWanted w{{c.first, 2.5f, 3.5f}, c.first_positive, c.read_bytes};
        EXPECT_EQ(find_rows(p, kGetSearchFrom, 0x170000, w), c.want) << std::hex << c.want;
        EXPECT_EQ(find_rows_stepwise(p, kGetSearchFrom, 0x170000, w), c.want) << std::hex << c.want;
        plat::close_process(p);
    }
}

TEST_F(GetTest, InMemoryRouteChecksBeforeItWrites) {
    Chart c = get_chart(8, kJan2 + 86400 * 1000);
    EXPECT_EQ(Save2Get(&c.ci()), 0);  // no Advanced GET yet: the data file it loads
    FakeGet get(9, kTitle, 0x200000, c.bars);
    pw::add_memory(9, 0x300000, doubles(std::vector<double>(50, 42.0)));  // a decoy: other memory

    // Found by the search: the offset file, every row, the refresher.
    c.bars[3].volume = 5000;
    EXPECT_EQ(Save2Get(&c.ci()), -1);
    EXPECT_EQ(read_bytes("get/SH600000DAY.OFF"), get.offsets(8, get.window));
    EXPECT_EQ(get.row(3), bar_row(c.bars[3]));
    EXPECT_EQ(runs(), 1);

    // Offsets of another window, or of this window but pointing elsewhere:
    // searched anew and every row written (the search found the data file's
    // rows, not this chart's); nothing is written where they point.
    Bytes decoy;
    put_i32(decoy, 8), put_u32(decoy, 0x300000), put_u32(decoy, 0x300050), put_u32(decoy, get.window);
    for (const Bytes& stale : {get.offsets(8, 12345), decoy}) {
        write_bytes("get/SH600000DAY.OFF", stale);
        EXPECT_EQ(Save2Get(&c.ci()), -1);
        EXPECT_EQ(read_bytes("get/SH600000DAY.OFF"), get.offsets(8, get.window));
    }
    EXPECT_EQ(runs(), 3);
    double d[50];
    pw::peek_memory(9, 0x300000, d, sizeof d);
    EXPECT_EQ(std::vector<double>(d, d + 50), std::vector<double>(50, 42.0));

    // More rows claimed than the stride holds: arrays that would overlap are
    // not used, the addresses are learned again with the data file's 8 rows,
    // and a new bar (9 bars) writes nothing past row 7.
    write_bytes("get/SH600000DAY.OFF", get.offsets(50, get.window));
    Chart more = get_chart(9, kJan2 + 86400 * 1000);
    EXPECT_EQ(Save2Get(&more.ci()), -1);
    EXPECT_EQ(read_bytes("get/SH600000DAY.OFF"), get.offsets(8, get.window));
    for (int r = 0; r < 8; ++r) EXPECT_EQ(get.row(r), bar_row(more.bars[r + 1])) << r;
    EXPECT_EQ(get.row(8), std::vector<double>(5, 0.0));
    EXPECT_EQ(runs(), 4);
    // 12 bars: the last 8. The rows no longer hold the data file's first
    // rows but what was written there, so the saved addresses still stand.
    more = get_chart(12, kJan2 + 86400 * 1000);
    EXPECT_EQ(Save2Get(&more.ci()), -1);
    for (int r = 0; r < 8; ++r) EXPECT_EQ(get.row(r), bar_row(more.bars[r + 4])) << r;
    EXPECT_EQ(read_bytes("get/SH600000DAY.OFF"), get.offsets(8, get.window));
    EXPECT_EQ(log_text().find("内存失败"), std::string::npos);

    // The memory route needs no parameter 1; a record without a result
    // series (none the host makes) writes nothing.
    more.p1.clear();
    more.bars[11].close = 999;
    tagCALCINFO bare = more.ci();
    bare.result = nullptr;
    EXPECT_EQ(Save2Get(&bare), -1);
    EXPECT_NE(get.row(7)[3], 999.0);
    EXPECT_EQ(Save2Get(&more.ci()), -1);
    EXPECT_EQ(get.row(7)[3], 999.0);
}

TEST_F(GetTest, InMemoryFailuresTakeTheFileRoute) {
    struct Case {
        int spoiled_column;  // zeroed in Advanced GET's memory, or -1
        pw::Faults faults;
        bool no_data_file;
        std::string logged;
    } cases[] = {
        {-1, {true, 0, false, false}, false, "OpenProcess 失败"},
        {-1, {}, true, "打开文件失败 " + win("get/SH600000DAY.TXT")},
        {0, {}, false, "没找到Open地址"},
        {1, {}, false, "没找到high地址"},
        {2, {}, false, "low 地址验证错误"},
        {3, {}, false, "low 地址验证错误"},
    };
    for (const Case& k : cases) {
        pw::reset();
        Chart c = get_chart(5, kJan2 + 86400 * 2000);
        EXPECT_EQ(Save2Get(&c.ci()), 0);
        std::vector<BarRecord> rows = c.bars;
        if (k.spoiled_column >= 0)
            for (BarRecord& b : rows) (&b.open)[k.spoiled_column] = 0;
        FakeGet get(9, kTitle, 0x200000, rows);
        if (k.no_data_file) std::remove(at("get/SH600000DAY.TXT").c_str());
        pw::set_faults(k.faults);
        write_text("TARVEX.log", "");
        EXPECT_EQ(Save2Get(&c.ci()), 0) << k.logged;
        EXPECT_NE(log_text().find("-> " + k.logged), std::string::npos) << k.logged;
        for (int r = 0; r < 5; ++r) EXPECT_EQ(get.row(r), bar_row(rows[r])) << k.logged;  // untouched
        EXPECT_FALSE(exists("get/SH600000DAY.OFF"));
    }
    // Writes that fail are each logged; the route still counts as done.
    pw::reset();
    Chart c = get_chart(5, kJan2 + 86400 * 2000);
    FakeGet get(9, kTitle, 0x200000, c.bars);
    pw::set_faults({false, 0, true, false});
    EXPECT_EQ(Save2Get(&c.ci()), -1);
    for (const char* m : {"写o内存失败", "写h内存失败", "写l内存失败", "写c内存失败", "写v内存失败"})
        EXPECT_NE(log_text().find(std::string("-> ") + m), std::string::npos) << m;
}

TEST_F(GetTest, LastBarTimeIsOneForAllSecurities) {
    Chart a = get_chart(6, kJan2 + 86400 * 3000), b = get_chart(6, kJan2 + 86400 * 3000);
    b.label = "600036";
    EXPECT_EQ(Save2Get(&a.ci()) + Save2Get(&b.ci()), 0);
    FakeGet get_a(9, kTitle, 0x200000, a.bars), get_b(11, "Advanced GET - [SH600036DAY, Daily]", 0x400000, b.bars);
    EXPECT_EQ(Save2Get(&a.ci()), -1);
    // Another security whose last bar has the same time: every row while
    // its arrays hold the data file's rows, then its last row alone.
    for (BarRecord& r : b.bars) r.close += 1;
    EXPECT_EQ(Save2Get(&b.ci()), -1);
    EXPECT_EQ(get_b.row(4), bar_row(b.bars[4]));
    b.bars[5].close = 1;
    EXPECT_EQ(Save2Get(&a.ci()) + Save2Get(&b.ci()), -2);
    EXPECT_EQ(runs(), 2);  // the earlier rows of a and of b were as written
    EXPECT_EQ(get_b.row(5), bar_row(b.bars[5]));
    EXPECT_EQ(get_b.row(4)[3], 155.0);
}

TEST_F(GetTest, SavedAddressesHoldTheirPlaceAsTheChartMoves) {
    Chart c = get_chart(8, kJan2 + 86400 * 4000);
    EXPECT_EQ(Save2Get(&c.ci()), 0);
    FakeGet get(9, kTitle, 0x200000, c.bars);
    // An old copy of the arrays above them, as a program that reloads keeps.
    Bytes old(400);
    pw::peek_memory(9, 0x200000, old.data(), old.size());
    pw::add_memory(9, 0x300000, old);
    const Bytes offsets = get.offsets(8, get.window);
    struct Step {
        const char* what;
        void (*change)(Chart&);
        int refresher_runs;
    } steps[] = {
        {"found", [](Chart&) {}, 1},
        {"ticks", [](Chart& k) { k.bars.back().close += 0.5f; }, 0},
        {"adjusted", [](Chart& k) { for (size_t i = 0; i + 1 < k.bars.size(); ++i) k.bars[i].open *= 0.9f; }, 1},
        {"slides", [](Chart& k) {
             k.bars.erase(k.bars.begin());
             k.bars.push_back(BarRecord{k.bars.back().time + 86400, 1, 2, 0.5f, 1.5f, 9, 0, 0});
         }, 1},
        {"grows", [](Chart& k) { k.set_bars(get_chart(9, kJan2 + 86400 * 4001).bars); k.closes_series(0); }, 1},
    };
    for (const Step& s : steps) {
        int before = runs();
        s.change(c);
        EXPECT_EQ(Save2Get(&c.ci()), -1) << s.what;
        for (int r = 0; r < 8; ++r) EXPECT_EQ(get.row(r), bar_row(c.bars[c.bars.size() - 8 + r])) << s.what << r;
        EXPECT_EQ(get.row(8), std::vector<double>(5, 0.0)) << s.what;  // past the 8 rows named
        EXPECT_EQ(runs() - before, s.refresher_runs) << s.what;
        EXPECT_EQ(read_bytes("get/SH600000DAY.OFF"), offsets) << s.what;
        Bytes now(400);
        pw::peek_memory(9, 0x300000, now.data(), now.size());
        EXPECT_EQ(now, old) << s.what;
    }
    // Reloaded elsewhere: the saved rows hold neither what was written nor
    // the data file's, so the addresses are learned again.
    pw::add_memory(9, 0x280000, old);
    pw::add_memory(9, 0x200000, Bytes(400, 0));
    EXPECT_EQ(Save2Get(&c.ci()), -1);
    Bytes moved;
    put_i32(moved, 8), put_u32(moved, 0x280000), put_u32(moved, 0x280000 + 80), put_u32(moved, get.window);
    EXPECT_EQ(read_bytes("get/SH600000DAY.OFF"), moved);
}
