// Save2Get against the Advanced GET stand-in showing a chart that starts
// flat (open = high = low = close on its first bars): the open array's own
// later rows then match the highs, lows and closes two rows on, the layout an
// earlier search saved. Each case has that offset file; the arrays are used
// only where they lie apart, and never written into otherwise.
#include <windows.h>

#include "tests/wine/fixture_process.h"
#include "tests/wine/fixtures/advanced_get.h"
#include "tests/wine/wine_check.h"

namespace {

// Bars 0..9 at 10, then columns that never share a value.
Chart flat_start_chart(int n) {
    Chart c(n);
    for (int i = 0; i < n; ++i) {
        const bool flat = i < 10;
        c.bars[i] = BarRecord{1704153600 + 86400 * i, flat ? 10.0f : 100.0f + i, flat ? 10.0f : 200.0f + i,
                              flat ? 10.0f : 50.0f + i, flat ? 10.0f : 150.0f + i, 1000.0f + i, 0, 0};
    }
    c.closes_series(0);
    return c;
}

Bytes offsets(int32_t rows, uint32_t open, uint32_t high, HWND w) {
    Bytes b;
    put_i32(b, rows), put_u32(b, open), put_u32(b, high), put_u32(b, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(w)));
    return b;
}

}  // namespace

WINE_TEST(bridges_aget_chart_that_starts_flat) {
    make_dirs("get");
    write_text("TARVEX.ini", "[路径]\r\nGET=" + host_path("get") + "\\\r\n");
    const char kOff[] = "get\\SH600000DAY.OFF";
    struct Case {
        int bars;
        bool memory;  // written into its arrays, or the data file
    } cases[] = {
        {20, true},   // the arrays hold every row: learned where they are
        {70, false},  // more rows than the stand-in's arrays hold (64): no layout fits
    };
    for (const Case& k : cases) {
        remove_file(kOff);
        Chart c = flat_start_chart(k.bars);
        CHECK_EQ(call("Save2Get", c), 0);  // not running yet: the data file it loads
        Fixture get = start_fixture("advanced_get.exe", host_path("get\\SH600000DAY.TXT").c_str(), kGetTitle);
        const GetDump before = dump_get(get.top);
        const Bytes inside = offsets(2, before.base, before.base + 16, get.top);
        write_bytes(kOff, inside);
        const int r = call("Save2Get", c);
        const GetDump after = dump_get(get.top);
        CHECK_EQ(after.outside, before.outside);
        if (k.memory) {
            CHECK_EQ(r, -1);
            CHECK(read_bytes(kOff) == offsets(20, before.base, before.base + before.stride, get.top));
            CHECK_EQ(after.rows.size(), 20u);
            for (size_t i = 0; i < after.rows.size(); ++i) {
                const BarRecord& b = c.bars[i];
                CHECK(after.rows[i] == (std::vector<double>{b.open, b.high, b.low, b.close, b.volume}));
            }
        } else {
            CHECK_EQ(r, 0);
            CHECK(read_bytes(kOff) == inside);
            CHECK(after.rows == before.rows);
        }
        stop_fixture(get);
    }
    remove_file(kOff);
    remove_file(kVeskorinRecord);
    remove_file("TARVEX.ini");
}
