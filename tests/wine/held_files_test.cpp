// Every file writer while another program holds its file open, as the host,
// MT4, the TDX terminal and Advanced GET do while they show them. Letting
// others write, the call gives what it gives when nothing holds the file and
// leaves the same bytes; letting others only read, the call reports failure
// and the old bytes stay.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/invest_alarm_bytes.h"
#include "tests/wine/fixture_process.h"
#include "tests/wine/fixtures/advanced_get.h"
#include "tests/wine/fixtures/file_holder.h"
#include "tests/wine/wine_check.h"

namespace {

const int32_t kDay = 86400, kJan2 = 1704153600;

struct Held {
    const char* what;
    std::vector<std::pair<std::string, Bytes>> files;  // below the host directory, with their old bytes
    std::function<std::string()> call;                  // what the call reports: its return and last slot
    bool failure_shows = true;                          // the Save2Get offsets are kept silently
};


Bytes records(const std::vector<std::pair<int32_t, float>>& recs) {
    Bytes b;
    for (const auto& r : recs) put_u32(b, static_cast<uint32_t>(r.first)), put_f32(b, r.second);
    return b;
}

void plant(const Held& h) {
    for (const auto& f : h.files) write_bytes(f.first, f.second);
}

std::vector<Bytes> contents(const Held& h) {
    std::vector<Bytes> v;
    for (const auto& f : h.files) v.push_back(read_bytes(f.first));
    return v;
}

// Sends the holder one order; true when it did it.
bool order(HWND holder, const std::string& text) {
    COPYDATASTRUCT cd = {0, static_cast<DWORD>(text.size()), const_cast<char*>(text.data())};
    return SendMessageA(holder, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cd)) == 1;
}

HWND g_holder = nullptr;

std::string call_held(const Held& h, const char* mode) {
    for (const auto& f : h.files)
        if (!order(g_holder, std::string(mode) + " " + host_path(f.first))) report_failure(__FILE__, __LINE__, "not held: " + f.first);
    std::string got = h.call();
    order(g_holder, "release");
    return got;
}

void check_held(const Held& h) {
    plant(h);
    const std::string free_outcome = h.call();
    const std::vector<Bytes> after = contents(h);
    std::vector<Bytes> before;
    for (const auto& f : h.files) before.push_back(f.second);
    if (after == before) report_failure(__FILE__, __LINE__, std::string(h.what) + ": the call changes nothing");

    plant(h);
    std::string got = call_held(h, "rw");
    if (got != free_outcome || contents(h) != after)
        report_failure(__FILE__, __LINE__, std::string(h.what) + " held, others may write: " + got + " vs " + free_outcome);

    plant(h);
    got = call_held(h, "r");
    if (contents(h) != before || (h.failure_shows && got == free_outcome))
        report_failure(__FILE__, __LINE__, std::string(h.what) + " held, others may only read: " + got);
}

}  // namespace

WINE_TEST(held_files_every_writer_with_its_file_held_open) {
    make_dirs("userdata\\SelfData\\DATA11");
    make_dirs("userdata\\SelfData\\ALARM");
    make_dirs("tdx\\T0002");
    make_dirs("get");
    write_text("TARVEX.ini", "[路径]\r\n通达信=" + host_path("tdx") + "\r\nGET=" + host_path("get") + "\\\r\n");
    const int32_t d1 = kJan2 + 10 * kDay, d3 = d1 + 2 * kDay;
    const Bytes history = records({{d1, 1.0f}, {d3, 3.0f}});
    const std::string data11 = "userdata\\SelfData\\DATA11\\SH600000.dat";
    const Bytes block = block_file_bytes({"SZ000001", "HK00700"});
    const Bytes old = {'o', 'l', 'd'};
    auto store = [](Chart& c) {
        c.series(std::vector<float>(10, 2.0f), 3);
        c.p2 = {11};
    };
    auto levels = three_level_chart;
    const Held table[] = {
        {"save2blk", {{"userdata\\block\\自选股3.BLK", block}}, chart_call("save2blk", [](Chart& c) {
             c.constant(1), c.p2 = {3};
         })},
        {"saveInt2blk", {{"userdata\\block\\自选股3.BLK", block}}, chart_call("saveInt2blk", [](Chart& c) {
             c.constant(600000), c.p2 = {3};
         })},
        {"del2blk", {{"userdata\\block\\自选股3.BLK", block_file_bytes({"SZ000001", "SH600000", "HK00700"})}},
         chart_call("del2blk", [](Chart& c) { c.constant(1), c.p2 = {3}; })},
        {"savedata", {{data11, history}}, chart_call("savedata", store)},
        {"savedataR", {{data11, history}}, chart_call("savedataR", store)},
        {"savedata0", {{"userdata\\SelfData\\ALARM\\SH600000.dat", history}},
         [d1] { return std::to_string(call_savedata0("ALARM", d1 + kDay, "600000", 2.0f)); }},
        {"SAVEDATA_CAPITAL", {{data11, history}}, chart_call("SAVEDATA_CAPITAL", [](Chart& c) {
             c.series({0, 0, 4.0f}, 0), c.p2 = {11}, c.p3 = {100};
         }, 3)},
        {"saveS", {{data11, history}}, chart_call("saveS", [](Chart& c) { c.series({5, 6, 7}, 1), c.p2 = {11}; }, 3)},
        {"saveDay", {{"SH600000.DAY", history}}, chart_call("saveDay", [](Chart& c) { c.series({0, 0}, 0); }, 2)},
        {"TDXlineAll", {{"tdx\\T0002\\line.dat", Bytes(298, 0x5A)}}, chart_call("TDXlineAll", levels, 0)},
        {"ClearAlarm", {{"userdata\\self\\ALERT.DAT",
                         concat({alert_head({"突破", "放量"}, 2), alert_record("SH600000", kJan2, "放量")})}},
         chart_call("ClearAlarm", [](Chart&) {}, 1)},
        {"Save2Mt4", {{"SH6000001440.HST", old}}, chart_call("Save2Mt4", [](Chart& c) { c.closes_series(1); }, 4)},
        {"Save2Get", {{"get\\SH600000DAY.TXT", old}}, chart_call("Save2Get", [](Chart& c) { c.closes_series(0); }, 4)},
    };
    Fixture holder = start_fixture("file_holder.exe", "", kFileHolderTitle);
    g_holder = holder.top;
    for (const Held& h : table) check_held(h);

    // The offset file while Advanced GET shows the chart: learnt anew over
    // offsets that point nowhere. The bars end on a day no other test's
    // chart ends on: the bridge remembers the last bar it wrote.
    Chart c(20);
    for (int i = 0; i < 20; ++i)
        c.bars[i] = BarRecord{kJan2 + kDay * (400 + i), 100.0f + i, 200.0f + i, 50.0f + i, 150.0f + i, 1000.0f + i, 0, 0};
    c.closes_series(0);
    remove_file("get\\SH600000DAY.OFF");
    call("Save2Get", c);  // the data file Advanced GET loads
    Fixture get = start_fixture("advanced_get.exe", host_path("get\\SH600000DAY.TXT").c_str(), kGetTitle);
    Bytes nowhere;
    put_i32(nowhere, 20), put_u32(nowhere, 16), put_u32(nowhere, 32), put_u32(nowhere, 1);
    check_held({"Save2Get offsets", {{"get\\SH600000DAY.OFF", nowhere}},
                [&c] {
                    c.bars[5].volume += 1;  // a change to write each time
                    return std::to_string(call("Save2Get", c));
                },
                false});
    stop_fixture(get);
    stop_fixture(holder);
    remove_file("TARVEX.ini");
}
