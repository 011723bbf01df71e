// The DLL as the host loads it: its export name table and imports (all of
// them present on Windows XP SP3), and the clock exports called through
// their exact symbols.
#include <algorithm>

#include "host/export_table.h"
#include "tests/wine/wine_check.h"
#include "tools/harness/lib/dll_host.h"
#include "tools/harness/lib/pe_image.h"
#include "tools/harness/lib/windows_imports.h"

WINE_TEST(dll_exports_exactly_the_built_symbols) {
    PeImage pe;
    std::string error;
    CHECK(read_pe_image(read_bytes("TARVEX.dll"), &pe, &error));
    CHECK_EQ(pe.machine, 0x14Cu);
    CHECK(pe.is_dll);
    std::vector<std::string> expected;
    for (int i = 0; i < kExportCount; ++i) {
        if (kExportTable[i].built) expected.push_back(kExportTable[i].symbol);
        CHECK_EQ(has_symbol(kExportTable[i].symbol), kExportTable[i].built);
    }
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> actual = pe.exports;
    std::sort(actual.begin(), actual.end());
    CHECK(actual == expected);
    for (const std::string& dll : pe.imports) CHECK(is_system_dll(dll));
    // The host runs on Windows XP SP3 and later: every imported function is
    // one XP SP3 exports, from the list the build allows.
    CHECK(pe.imported_functions.size() > 100u);
    ImportNeeds needs = import_needs(pe.imported_functions);
    for (const std::string& beyond : needs.beyond_xp) CHECK_EQ(beyond, std::string());
    CHECK_EQ(windows_name(needs.oldest), std::string("Windows XP SP3"));
}

WINE_TEST(systime_fills_the_last_slot_with_hhmmss) {
    Chart c(10);
    int h, m, s;
    local_now(&h, &m, &s);
    CHECK_EQ(call("systime", c), 9);
    int got = static_cast<int>(c.result[9]);
    int want = h * 10000 + m * 100 + s;
    // The second may tick between the two readings.
    CHECK(got == want || got == want + 1 || (got % 100 == 0 && got > want));
    CHECK_EQ(c.result[8], -777.0f);
}

WINE_TEST(minutes_and_time0_follow_the_local_clock) {
    Chart c(4);
    int h, m, s;
    local_now(&h, &m, &s);
    CHECK_EQ(call("time0", c), 0);
    for (float v : c.result) CHECK(v == h * 60 + m || v == h * 60 + m + 1 || v == 0);
    Chart one(1);
    CHECK_EQ(call("minutes", one), 0);
    CHECK(one.result[0] >= 0 && one.result[0] <= 245);
}

WINE_TEST(sumsec_and_msg_write_nothing) {
    Chart c(3);
    CHECK_EQ(call("SumSec", c), -1);
    CHECK_EQ(call("msg", c), 0);
    for (float v : c.result) CHECK_EQ(v, -777.0f);
    CHECK_EQ(log_text(), std::string());
}
