// The rehearsal switch over every export that acts on another program, each
// against its stand-in: with "[安全] 演练=1" the call logs its act as
// "演练: ..." while no stand-in is typed into, clicked, written or started
// and no file changes; with the switch off the same call, on the same
// security, returns the same and acts.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/invest_alarm_bytes.h"
#include "tests/wine/fixture_process.h"
#include "tests/wine/fixtures/advanced_get.h"
#include "tests/wine/fixtures/host_windows.h"
#include "tests/wine/fixtures/terminals.h"
#include "tests/wine/wine_check.h"

namespace {

const int32_t kDay = 86400, kJan2 = 1704153600;

// What a stand-in recorded since the last look.
struct Record {
    const char* file;
    size_t seen = 0;
    std::string next() {
        Bytes b = read_bytes(file);
        std::string fresh = seen <= b.size() ? std::string(b.begin() + seen, b.end()) : std::string(b.begin(), b.end());
        seen = b.size();
        return fresh;
    }
};

struct Row {
    const char* fn;
    std::vector<std::pair<std::string, Bytes>> files;  // planted before the rehearsal; must change when live
    std::function<std::string()> call;                 // its return and last slot
    std::string line;                                  // in the log after "演练: <fn> "
    std::string acted;                                 // what a stand-in (or the log) shows once it acted
};

std::function<std::string()> rehearsal_call(const char* fn, std::function<void(Chart&)> make, int n = 10) {
    return chart_call(fn, make, n, "601088");
}

Bytes records(const std::vector<std::pair<int32_t, float>>& recs) {
    Bytes b;
    for (const auto& r : recs) put_u32(b, static_cast<uint32_t>(r.first)), put_f32(b, r.second);
    return b;
}

std::vector<Bytes> contents(const Row& r) {
    std::vector<Bytes> v;
    for (const auto& f : r.files) v.push_back(file_exists(f.first) ? read_bytes(f.first) : Bytes{});
    return v;
}

void switch_rehearsal(const std::string& paths, bool on) {
    write_text("TARVEX.ini", paths + (on ? "[安全]\r\n演练=1\r\n" : ""));
}

}  // namespace

WINE_TEST(rehearsal_every_acting_export_logs_instead_then_acts) {
    for (const char* d : {"userdata\\SelfData\\DATA21", "userdata\\SelfData\\DATA22", "userdata\\SelfData\\DATA23",
                          "userdata\\SelfData\\DATA24", "userdata\\SelfData\\RH", "tdx\\T0002", "get"})
        make_dirs(d);
    for (const char* f : {"userdata\\block\\演练预警.BLK", "userdata\\block\\自选股21.BLK", "userdata\\block\\自选股22.BLK",
                          "get\\SH600000DAY.OFF", kTdxRecord, kLkRecord, kVeskorinRecord})
        remove_file(f);
    const std::string paths = "[路径]\r\n通达信=" + host_path("tdx") + "\r\nGET=" + host_path("get") + "\\\r\n";
    switch_rehearsal(paths, false);
    write_text("tdx\\connect.cfg", std::string("[OTHER]\r\nTitleName=") + kTdxTitleName + "\r\n");

    // The stand-ins: the TDX and 雷凯 terminals, Advanced GET showing the
    // chart from the data file a live call wrote, the host's own windows.
    Chart get_chart(20);
    get_chart.label = "600000";  // the chart the stand-in shows
    for (int i = 0; i < 20; ++i)
        get_chart.bars[i] = BarRecord{kJan2 + kDay * (600 + i), 100.0f + i, 200.0f + i, 50.0f + i, 150.0f + i, 500.0f + i, 0, 0};
    get_chart.closes_series(0);
    CHECK_EQ(call("Save2Get", get_chart), 0);
    Fixture tdx = start_fixture("tdx_terminal.exe", "", std::string(kTdxTitleName) + kTdxTitleTail);
    Fixture lk = start_fixture("lk_terminal.exe", "", kLkTitle);
    Fixture get = start_fixture("advanced_get.exe", host_path("get\\SH600000DAY.TXT").c_str(), kGetTitle);
    HostWindows host = open_host_windows();
    for (int i = 0; i < 5; ++i) {  // more rows than the bridge may have handled before
        std::string code = std::to_string(601100 + i);
        const char* row[kAlertColumns] = {code.c_str(), "演练预警", "03-15 10:30:00", "1"};
        add_list_row(host.alert_list, row, kAlertColumns);
    }
    const char* event[] = {"10:00 演练 大笔买入"};
    add_list_row(host.sprite_list, event, 1);
    Record tdx_rec{kTdxRecord}, lk_rec{kLkRecord}, refresher{kVeskorinRecord};
    std::string& presses = host_window_presses();

    const int32_t d1 = kJan2 + 10 * kDay;
    const Bytes history = records({{d1, 1.0f}, {d1 + 2 * kDay, 3.0f}});
    auto store = [](int n) {
        return [n](Chart& c) { c.series(std::vector<float>(10, 2.0f), 3), c.p2 = {static_cast<float>(n)}; };
    };
    auto levels = three_level_chart;
    const std::string sd = "userdata\\SelfData\\", title = std::string(kTdxTitleName) + kTdxTitleTail;
    const Row table[] = {
        {"TDX", {}, rehearsal_call("TDX", [](Chart&) {}, 3), "会在 快速下单 的代码框填 601088", "order.code 601088"},
        {"TDXTrade", {}, rehearsal_call("TDXTrade", [](Chart& c) { c.constant(10.5f), c.p2 = {1}; }, 3),
         "会在 " + title + " 的代码框填 601088", "buy.code 601088"},
        {"StockPositions", {}, rehearsal_call("StockPositions", [](Chart&) {}, 1),
         "会读 " + title + " 的第一个列表, 每行抄进日志", "-> 600000,"},
        {"LKBS", {}, rehearsal_call("LKBS", [](Chart& c) { c.constant(8); }, 100), "会按 全撤(&X)601088", "down 全撤(&X)"},
        {"AlarmOnOff", {}, rehearsal_call("AlarmOnOff", [](Chart& c) { c.constant(1); }, 1),
         std::string("会在 ") + kAlertWindowTitle + " 上按 启动预警", "启动预警"},
        {"GetSmartMsg", {}, rehearsal_call("GetSmartMsg", [](Chart&) {}, 1), "会读 短线精灵 的列表, 每行抄进日志",
         "-> 10:00 演练 大笔买入,"},
        {"get_alarm_data", {{"userdata\\block\\演练预警.BLK", {}}, {sd + "预警价格_演练预警\\SH601104.dat", {}}},
         rehearsal_call("get_alarm_data", [](Chart&) {}, 1), "会改写 " + host_path("userdata\\block\\演练预警.BLK"), ""},
        {"Save2Get", {}, [&get_chart] { return std::to_string(call("Save2Get", get_chart)); },
         std::string("会写入 Advanced GET 内存 20 行 (") + kGetTitle + ")", "started"},
        {"save2blk", {{"userdata\\block\\自选股21.BLK", block_file_bytes({"SZ000001"})}},
         rehearsal_call("save2blk", [](Chart& c) { c.constant(1), c.p2 = {21}; }), "会改写 ", ""},
        {"saveInt2blk", {{"userdata\\block\\自选股22.BLK", block_file_bytes({"SZ000001"})}},
         rehearsal_call("saveInt2blk", [](Chart& c) { c.constant(601088), c.p2 = {22}; }), "会改写 ", ""},
        {"savedata", {{sd + "DATA21\\SH601088.dat", history}}, rehearsal_call("savedata", store(21)), "会改写 ", ""},
        {"savedataR", {{sd + "DATA22\\SH601088.dat", history}}, rehearsal_call("savedataR", store(22)), "会改写 ", ""},
        {"savedata0", {{sd + "RH\\SH601088.dat", history}},
         [d1] { return std::to_string(call_savedata0("RH", d1 + kDay, "601088", 2.0f)); }, "会改写 ", ""},
        {"savedata0", {{sd + "RH2\\SH601088.dat", {}}},
         [d1] { return std::to_string(call_savedata0("RH2", d1, "601088", 2.0f)); }, "会建目录 " + host_path(sd + "RH2"),
         ""},
        {"SAVEDATA_CAPITAL", {{sd + "DATA23\\SH601088.dat", history}},
         rehearsal_call("SAVEDATA_CAPITAL", [](Chart& c) { c.series({0, 0, 4.0f}, 0), c.p2 = {23}, c.p3 = {100}; }, 3),
         "会改写 ", ""},
        {"saveS", {{sd + "DATA24\\SH601088.dat", history}},
         rehearsal_call("saveS", [](Chart& c) { c.series({5, 6, 7}, 1), c.p2 = {24}; }, 3), "会改写 ", ""},
        {"saveDay", {{"SH601088.DAY", history}}, rehearsal_call("saveDay", [](Chart& c) { c.series({0, 0}, 0); }, 2),
         "会改写 ", ""},
        {"TDXlineAll", {{"tdx\\T0002\\line.dat", Bytes(298, 0x5A)}}, rehearsal_call("TDXlineAll", levels, 0),
         "会改写 " + host_path("tdx\\T0002\\line.dat"), ""},
        {"ClearAlarm", {{"userdata\\self\\ALERT.DAT", concat({alert_head({"突破"}, 1), alert_record("SH601088", kJan2, "突破")})}},
         rehearsal_call("ClearAlarm", [](Chart&) {}, 1), "会改写 " + host_path("userdata\\self\\ALERT.DAT"), ""},
        {"Save2Mt4", {{"SH6010881440.HST", {'o', 'l', 'd'}}},
         rehearsal_call("Save2Mt4", [](Chart& c) { c.closes_series(1); }, 4), "会改写 " + host_path("SH6010881440.HST"), ""},
    };

    for (const Row& r : table) {
        for (const auto& f : r.files)
            if (f.second.empty()) remove_file(f.first);
            else write_bytes(f.first, f.second);
        RemoveDirectoryA(host_path(sd + "RH2").c_str());
        const std::vector<Bytes> before = contents(r);
        const GetDump get_before = dump_get(get.top);
        switch_rehearsal(paths, true);
        clear_log();
        presses.clear();
        const std::string rehearsed = r.call();
        Sleep(100);  // a click would arrive after the call
        const std::string log = log_text();
        if (log.find(std::string("-> 演练: ") + r.fn + " " + r.line) == std::string::npos)
            report_failure(__FILE__, __LINE__, std::string(r.fn) + " rehearsal line missing:\n" + log);
        const std::string stood = tdx_rec.next() + lk_rec.next() + refresher.next() + presses;
        CHECK_EQ(stood, std::string());
        CHECK(contents(r) == before);
        CHECK(dump_get(get.top).rows == get_before.rows);
        if (r.line.rfind("会建目录", 0) == 0) CHECK(!file_exists(sd + "RH2"));

        switch_rehearsal(paths, false);
        clear_log();
        CHECK_EQ(r.call(), rehearsed);
        if (!r.files.empty()) CHECK(contents(r) != before);
        if (!r.acted.empty()) {
            std::string shown;
            for (int i = 0; i < 40 && shown.find(r.acted) == std::string::npos; ++i, Sleep(50))
                shown += tdx_rec.next() + lk_rec.next() + refresher.next() + presses;
            if (shown.find(r.acted) == std::string::npos) shown += log_text();
            if (shown.find(r.acted) == std::string::npos) report_failure(__FILE__, __LINE__, std::string(r.fn) + " did not act");
        }
        CHECK(log_text().find("演练:") == std::string::npos);
    }
    close_host_windows(host);
    stop_fixture(get);
    stop_fixture(lk);
    stop_fixture(tdx);
    remove_file("TARVEX.ini");
    remove_file("tdx\\connect.cfg");
}
