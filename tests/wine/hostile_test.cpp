// Every built export against the same hostile call records: counts of 0, 1
// and 100 000 bars, null arrays and a null label, non-finite and huge
// numbers, starts outside the series, labels that try to leave the host tree
// and bytes that are no GBK, and periods the host never sends. Each export's
// files are planted first (blocks, self-data, value, trade-record and
// investment files, the alert file, the security file, the MT4, GET and TDX
// directories), so the records reach past "file missing". Each call runs on
// a worker thread under a watchdog; every array ends where a no-access page
// begins, so a read or write past its end faults, and the result series is
// also fenced by canary slots before it; and the directories around the
// host tree are compared before and after.
#include <windows.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "host/export_table.h"
#include "tests/invest_alarm_bytes.h"
#include "tests/stock_info_bytes.h"
#include "tests/wine/fixture_process.h"
#include "tests/wine/fixtures/terminals.h"
#include "tests/wine/wine_check.h"
#include "tools/harness/lib/dll_host.h"

namespace {

const uint32_t kCanary = 0x7FC0BEEFu;
const int kFence = 16;
const DWORD kWatchdogMs = 20000;

struct Hostile {
    const char* what;
    int count = 10;
    bool bars = true, ext = true;
    int params = 4;            // how many of param1..param4 are present
    float value = 1.0f;        // parameter 1's values
    float rest = 3.0f;         // parameters 2 to 4
    float price = 10.0f;       // every price of every bar
    int start = -1;            // param1_start; kPastEnd: data_count + 5
    std::string label = "000999";
    bool no_label = false;  // stock_label null
    int period = kPeriodDay;
};
const int kPastEnd = 1 << 30;

std::vector<Hostile> hostile_records() {
    std::vector<Hostile> all;
    auto add = [&](const char* what, auto change) { Hostile h; h.what = what; change(h); all.push_back(h); };
    add("count 0", [](Hostile& h) { h.count = 0; });
    add("count 0, series", [](Hostile& h) { h.count = 0; h.start = 0; });
    add("count 1", [](Hostile& h) { h.count = 1; });
    add("count 1, series", [](Hostile& h) { h.count = 1; h.start = 0; });
    add("count 100000", [](Hostile& h) { h.count = 100000; h.start = 0; });
    add("count 100000, period 1", [](Hostile& h) { h.count = 100000; h.period = kPeriodTimeShare; });
    add("count -5", [](Hostile& h) { h.count = -5; });
    add("null bars", [](Hostile& h) { h.bars = false; });
    add("null bars, series", [](Hostile& h) { h.bars = false; h.start = 2; });
    add("null bars, series, period 1", [](Hostile& h) { h.bars = false; h.start = 2; h.period = kPeriodTimeShare; });
    add("null bars, count 1", [](Hostile& h) { h.bars = false; h.count = 1; h.start = 0; });
    add("null ext records, tick", [](Hostile& h) { h.ext = false; h.period = kPeriodTick; });
    add("null label", [](Hostile& h) { h.no_label = true; });
    add("null label, series", [](Hostile& h) { h.no_label = true; h.start = 0; });
    add("null label, period 1", [](Hostile& h) { h.no_label = true; h.start = 0; h.period = kPeriodTimeShare; });
    add("null label, tick", [](Hostile& h) { h.no_label = true; h.period = kPeriodTick; });
    add("null label, null bars", [](Hostile& h) { h.no_label = true; h.bars = false; h.start = 1; });
    add("null bars, count 1, period 1", [](Hostile& h) { h.bars = false; h.count = 1; h.period = kPeriodTimeShare; });
    add("null bars, tick", [](Hostile& h) { h.bars = false; h.period = kPeriodTick; h.start = 0; });
    add("null ext records, tick, series", [](Hostile& h) { h.ext = false; h.period = kPeriodTick; h.start = 0; });
    add("null parameters", [](Hostile& h) { h.params = 0; });
    add("null parameters 3 and 4", [](Hostile& h) { h.params = 2; });
    add("null bars, parameters 1 and 2", [](Hostile& h) { h.bars = false; h.params = 2; h.rest = 11; });
    add("null bars, no parameter 4", [](Hostile& h) { h.bars = false; h.params = 3; h.start = 0; });
    add("only parameter 1", [](Hostile& h) { h.params = 1; });
    const float values[] = {NAN, INFINITY, -INFINITY, -0.0f, 1e30f, -1e30f};
    const char* names[] = {"NaN", "+Inf", "-Inf", "-0", "1e30", "-1e30"};
    for (int i = 0; i < 6; ++i) {
        float v = values[i];
        all.push_back([&] { Hostile h; h.what = names[i]; h.value = v; return h; }());
        all.push_back([&] { Hostile h; h.what = names[i]; h.rest = v; return h; }());
        all.push_back([&] { Hostile h; h.what = names[i]; h.rest = v; h.period = kPeriodTick; return h; }());
        all.push_back([&] { Hostile h; h.what = names[i]; h.value = v; h.start = 0; return h; }());
        all.push_back([&] { Hostile h; h.what = names[i]; h.price = v; h.start = 3; return h; }());
        all.push_back([&] { Hostile h; h.what = names[i]; h.value = v; h.rest = v; h.price = v; h.period = kPeriodTimeShare; return h; }());
    }
    add("start 0", [](Hostile& h) { h.start = 0; });
    add("start count-1", [](Hostile& h) { h.start = 9; });
    add("start count", [](Hostile& h) { h.start = 10; });
    add("start past the end", [](Hostile& h) { h.start = kPastEnd; });
    add("start huge", [](Hostile& h) { h.start = 0x7FFFFFFF; });
    add("start past the end, period 1", [](Hostile& h) { h.start = kPastEnd; h.period = kPeriodTimeShare; });
    add("label empty", [](Hostile& h) { h.label = ""; });
    add("label 300 bytes", [](Hostile& h) { h.label = std::string(300, '6'); });
    add("label 300 bytes, series", [](Hostile& h) { h.label = std::string(300, 'S'); h.start = 0; });
    add("label with separators", [](Hostile& h) { h.label = "..\\..\\..\\..\\hx1"; });
    add("label with slashes", [](Hostile& h) { h.label = "../../../../hx2"; h.start = 0; });
    add("label ..", [](Hostile& h) { h.label = ".."; });
    add("label drive", [](Hostile& h) { h.label = "C:\\hx3"; });
    add("label bad GBK", [](Hostile& h) { h.label = "\x81\xFF\x80\xFE\x81"; });
    add("label bad GBK, series", [](Hostile& h) { h.label = "60\xFF"; h.start = 0; });
    add("index label", [](Hostile& h) { h.label = "hx4/.."; h.start = 0; h.period = kPeriodTimeShare; });
    const int periods[] = {0, 1, 2, 3, 9, 10, 99, -1, -2147483647 - 1};
    for (int p : periods) {
        all.push_back([&] { Hostile h; h.what = "period"; h.period = p; return h; }());
        all.push_back([&] { Hostile h; h.what = "period, series"; h.period = p; h.start = 0; return h; }());
    }
    return all;
}

// `count` elements of T that end where a no-access page begins: an access
// past the last one faults. Freed with the record.
template <class T>
class Fenced {
public:
    explicit Fenced(size_t count) : count_(count) {
        const size_t page = 4096, bytes = count * sizeof(T), pages = (bytes + page - 1) / page;
        size_ = (pages + 1) * page;
        base_ = static_cast<unsigned char*>(VirtualAlloc(nullptr, size_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        if (base_) VirtualProtect(base_ + pages * page, page, PAGE_NOACCESS, &old);
        data_ = base_ ? reinterpret_cast<T*>(base_ + pages * page - bytes) : nullptr;
    }
    ~Fenced() {
        if (base_) VirtualFree(base_, 0, MEM_RELEASE);
    }
    Fenced(const Fenced&) = delete;
    Fenced& operator=(const Fenced&) = delete;
    T* data() const { return data_; }
    T& operator[](size_t i) const { return data_[i]; }
    size_t size() const { return count_; }

private:
    size_t count_, size_ = 0;
    unsigned char* base_ = nullptr;
    T* data_ = nullptr;
};

// One call record with its arrays, each fenced by a no-access page; the
// result series also has canary slots before it.
struct Record {
    Fenced<BarRecord> bars;
    Fenced<ExtRecord> ext;
    Fenced<float> p1, p2, p3, p4;
    Fenced<uint32_t> fenced;
    std::string label;
    tagCALCINFO ci = {};

    explicit Record(const Hostile& h)
        : bars(count_of(h)), ext(count_of(h)), p1(count_of(h) > 0 ? count_of(h) : 1), p2(1), p3(1), p4(1),
          fenced(count_of(h) + kFence), label(h.label) {
        int n = static_cast<int>(count_of(h));
        for (int i = 0; i < n; ++i) {
            BarRecord& b = bars[i];
            b.time = 1704153600 + 86400 * (i % 20000) + 60 * (i / 20000);
            b.open = b.high = b.low = b.close = h.price;
            b.volume = b.amount = h.price;
            b.extra = 0;
        }
        for (int i = 0; i < n; ++i)
            for (float& f : ext[i].f) f = h.value;
        for (size_t i = 0; i < p1.size(); ++i) p1[i] = h.value;
        p2[0] = p3[0] = p4[0] = h.rest;
        for (size_t i = 0; i < fenced.size(); ++i) fenced[i] = kCanary;
        ci.stock_label = h.no_label ? nullptr : label.c_str();
        ci.data_count = h.count;
        ci.bars = h.bars && n ? bars.data() : nullptr;
        ci.ext_records = h.ext && n ? ext.data() : nullptr;
        ci.param1_start = h.start == kPastEnd ? h.count + 5 : h.start;
        const float* ps[4] = {p1.data(), p2.data(), p3.data(), p4.data()};
        ci.param1 = h.params > 0 ? ps[0] : nullptr;
        ci.param2 = h.params > 1 ? ps[1] : nullptr;
        ci.param3 = h.params > 2 ? ps[2] : nullptr;
        ci.param4 = h.params > 3 ? ps[3] : nullptr;
        ci.result = reinterpret_cast<float*>(fenced.data() + kFence);
        ci.period = h.period;
    }
    static size_t count_of(const Hostile& h) { return h.count > 0 ? static_cast<size_t>(h.count) : 0; }
    bool fences_intact() const {
        for (size_t i = 0; i < kFence; ++i)
            if (fenced[i] != kCanary) return false;
        return true;
    }
};

// The files every export reads, for the records' default label 000999
// (SZ000999), parameter 1 of 1 and parameters 2 to 4 of 3: blocks 1 and 3,
// data number 3, value file 1, trade-record file 3, account 1, the alert
// file, the security file, and the TDX, MT4 and GET directories.
void plant_host_files() {
    for (const char* d : {"tdx\\T0002", "mt4", "get", "data\\SZ", "userdata\\SelfData\\DATA3", "USERDATA\\SELF"})
        make_dirs(d);
    write_text("TARVEX.ini", "[路径]\r\n通达信=" + host_path("tdx") + "\r\nMT4_HST_PATH=" + host_path("mt4\\") +
                                 "\r\nMT4_FILE_PATH=" + host_path("mt4\\") + "\r\nGET=" + host_path("get\\") + "\r\n");
    write_text("tdx\\connect.cfg", "[OTHER]\r\nTitleName=敌意测试终端\r\n");
    write_bytes("tdx\\T0002\\line.dat", tdx_line_record("000999", 20240105, 10.0f, 0, 255));
    for (const char* b : {"userdata\\block\\自选股1.BLK", "userdata\\block\\自选股3.BLK"})
        write_bytes(b, block_file_bytes({"SH600000", "SZ000999"}));
    Bytes history;
    for (int i = 0; i < 30; ++i) put_i32(history, 1704153600 + 86400 * i), put_f32(history, 1.0f + i);
    write_bytes("userdata\\SelfData\\DATA3\\SZ000999.dat", history);
    Bytes floats;
    for (float v : {1.5f, 2.5f}) put_f32(floats, v);
    write_bytes("1.dat", floats);
    write_text("3.dat", "成交时间,合约,买卖,开平,成交价,手数\r\n2024/01/03 10:00:00,0009991234,买,开,10.5,2\r\n"
                        "2024/01/04 10:00:00,0009991234,卖,平,11.5,1\r\n2024/01/05 10:00:00,0009991234,买,平,12.5,1\r\n");
    write_bytes("USERDATA\\SELF\\账户1.inv", investment_file({{"000999", 2, 1704153600 + 86400, 10, 100, 0.001},
                                                              {"000999", 3, 1704153600 - 28800 + 120, 11, 50, 0}}));
    write_bytes("userdata\\self\\ALERT.DAT", concat({alert_head({"突破"}, 1), alert_record("SZ000999", 1704153600 - 28620, "突破")}));
    write_bytes("data\\SZ\\STKINFO70.DAT", stock_info_file(17574, 320, {{"000999", 7}}));
    write_bytes("mt4\\SZ0009991440.HWND", {1, 0, 0, 0});  // no window has handle 1
    write_text("get\\SZ000999DAY.TXT", "2024/01/02 10.0 10.0 10.0 10.0 10 2\r\n");
}

// What the watchdog's worker runs: one formula call, or savedata0.
struct Job {
    const char* symbol = nullptr;
    tagCALCINFO* ci = nullptr;
    const char* name = nullptr;
    long time = 0;
    const char* code = nullptr;
    float value = 0;
    int returned = 0;
};

DWORD WINAPI run_job(void* p) {
    Job* j = static_cast<Job*>(p);
    bool found = false;
    j->returned = j->ci ? call_formula(j->symbol, j->ci, &found)
                        : call_savedata0(j->name, j->time, j->code, j->value, &found);
    return found ? 0 : 1;
}

std::string g_case;
DWORD g_worker = 0;

// A fault on the worker ends only the worker (exit code 2), so that one
// finding does not hide the others; anywhere else it is reported and the
// process goes down as usual.
LONG WINAPI report_crash(EXCEPTION_POINTERS* e) {
    std::printf("  CRASH (exception %08lX) in %s\n", e->ExceptionRecord->ExceptionCode, g_case.c_str());
    std::fflush(stdout);
    if (GetCurrentThreadId() == g_worker) ExitThread(2);
    return EXCEPTION_CONTINUE_SEARCH;
}

// Runs the job on a worker thread; false when it did not return in time or
// its symbol is missing.
bool run_watched(Job& job, const std::string& what);

// Runs export `symbol` on the record, watched; false when it did not come
// back. A slot written outside the series is a failure.
bool run_record(const char* symbol, Record& r, const std::string& what, int* returned) {
    Job job;
    job.symbol = symbol;
    job.ci = &r.ci;
    if (!run_watched(job, what)) return false;
    if (!r.fences_intact()) report_failure(__FILE__, __LINE__, "slot outside the series written: " + what);
    *returned = job.returned;
    return true;
}

bool run_watched(Job& job, const std::string& what) {
    g_case = what;
    HANDLE t = CreateThread(nullptr, 0, run_job, &job, CREATE_SUSPENDED, &g_worker);
    if (!t) return false;
    ResumeThread(t);
    if (WaitForSingleObject(t, kWatchdogMs) != WAIT_OBJECT_0) {
        report_failure(__FILE__, __LINE__, "no return within the watchdog: " + what);
        TerminateThread(t, 1);
        CloseHandle(t);
        return false;
    }
    DWORD code = 1;
    GetExitCodeThread(t, &code);
    CloseHandle(t);
    if (code == 2) report_failure(__FILE__, __LINE__, "crashed: " + what);
    else if (code != 0) report_failure(__FILE__, __LINE__, "symbol missing: " + what);
    return code == 0;
}

// Every path below `dir` (recursively), with its size, skipping `skip`.
void list_tree(const std::string& dir, const std::string& skip, std::set<std::string>* out) {
    walk_tree(dir + "\\", [&](const std::string& path, bool) {
        if (_stricmp(path.c_str(), skip.c_str()) == 0) return false;
        out->insert(path);
        return out->size() < 5000;
    });
}

std::string parent_of(const std::string& dir) {
    std::string d = dir;
    while (!d.empty() && d.back() == '\\') d.pop_back();
    return d.substr(0, d.rfind('\\'));
}

// Entries beside the host tree: its parent's whole tree (but the host
// itself), and the names a hostile label could leave in the grandparent.
std::set<std::string> outside_host() {
    std::set<std::string> s;
    std::string host = parent_of(host_dir() + "x");
    std::string parent = parent_of(host);
    list_tree(parent, host, &s);
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA((parent_of(parent) + "\\*hx*").c_str(), &f);
    if (h != INVALID_HANDLE_VALUE) {
        do s.insert(std::string("grandparent: ") + f.cFileName); while (FindNextFileA(h, &f));
        FindClose(h);
    }
    h = FindFirstFileA("C:\\*hx*", &f);
    if (h != INVALID_HANDLE_VALUE) {
        do s.insert(std::string("C: ") + f.cFileName); while (FindNextFileA(h, &f));
        FindClose(h);
    }
    return s;
}

void check_nothing_new_outside(const std::set<std::string>& before) {
    for (const std::string& p : outside_host())
        if (!before.count(p)) report_failure(__FILE__, __LINE__, "file made outside the host tree: " + p);
}

}  // namespace

WINE_TEST(hostile_records_reach_every_export_safely) {
    LPTOP_LEVEL_EXCEPTION_FILTER old = SetUnhandledExceptionFilter(report_crash);
    std::set<std::string> before = outside_host();
    std::vector<Hostile> records = hostile_records();
    int calls = 0;
    for (int i = 0; i < kExportCount; ++i) {
        const ExportEntry& e = kExportTable[i];
        if (!e.built || e.arg_bytes != 4) continue;
        DWORD t0 = GetTickCount();
        plant_host_files();
        for (const Hostile& h : records) {
            Record r(h);
            std::string what = std::string(e.function) + " with " + h.what + " (count " +
                               std::to_string(h.count) + ", start " + std::to_string(r.ci.param1_start) +
                               ", period " + std::to_string(h.period) + ")";
            int returned = 0;
            if (!run_record(e.symbol, r, what, &returned)) continue;
            ++calls;
            int n = h.count;
            // A start at or past the end comes back as it was given: no slot
            // is valid, as with -1.
            bool no_slot = returned == r.ci.param1_start && returned >= n;
            if (returned != -1 && !no_slot && (returned < 0 || returned >= (n > 0 ? n : 1)))
                report_failure(__FILE__, __LINE__, "returned " + std::to_string(returned) + ": " + what);
        }
        std::printf("  %s: %lu ms\n", e.function, GetTickCount() - t0);
        std::fflush(stdout);
    }
    std::printf("  %d hostile formula calls\n", calls);
    check_nothing_new_outside(before);
    remove_file("TARVEX.ini");
    SetUnhandledExceptionFilter(old);
}

WINE_TEST(hostile_arguments_reach_savedata0_safely) {
    if (!find_export("savedata0") || !find_export("savedata0")->built) return;
    LPTOP_LEVEL_EXCEPTION_FILTER old = SetUnhandledExceptionFilter(report_crash);
    std::set<std::string> before = outside_host();
    const std::string long_text(300, 'N');
    const char* texts[] = {nullptr, "", "..", "..\\..\\..\\..\\hx5", "../../../../hx6", "C:\\hx7",
                           "\x81\xFF\x80", long_text.c_str(), "ok"};
    const long times[] = {0, -1, 1704153600, 0x7FFFFFFF, -0x7FFFFFFF - 1};
    const float values[] = {1.0f, NAN, INFINITY, -0.0f, -1e30f};
    int calls = 0;
    for (const char* name : texts)
        for (const char* code : texts)
            for (size_t t = 0; t < sizeof times / sizeof *times; ++t) {
                float v = values[(calls + t) % 5];
                Job job;
                job.name = name;
                job.code = code;
                job.time = times[t];
                job.value = v;
                std::string what = std::string("savedata0(") + show(name) + ", " + std::to_string(times[t]) +
                                   ", " + show(code) + ")";
                if (!run_watched(job, what)) continue;
                ++calls;
                if (job.returned != 0 && job.returned != -1)
                    report_failure(__FILE__, __LINE__, "returned " + std::to_string(job.returned) + ": " + what);
            }
    std::printf("  %d hostile savedata0 calls\n", calls);
    check_nothing_new_outside(before);
    SetUnhandledExceptionFilter(old);
}

// Every export with the parameters that make it act, against running
// stand-ins (the TDX and 雷凯 terminals, the host's alert window), with one
// field of the record null or empty at a time: nothing faults, and a record
// without a code presses, types and clicks nothing.
WINE_TEST(hostile_null_fields_with_acting_parameters) {
    LPTOP_LEVEL_EXCEPTION_FILTER old = SetUnhandledExceptionFilter(report_crash);
    plant_host_files();
    remove_file(kTdxRecord);
    remove_file(kLkRecord);
    Fixture tdx = start_fixture("tdx_terminal.exe", "", "敌意测试终端 - 网上交易");
    Fixture lk = start_fixture("lk_terminal.exe", "", kLkTitle);
    HostWindows host = open_host_windows();
    // `stops`: which window exports the field stops from acting (those that
    // need a code, or every one).
    enum Stops { none, code_users, all };
    struct Field {
        const char* what;
        void (*change)(Hostile&, tagCALCINFO&);
        Stops stops;
    } fields[] = {
        {"nothing", [](Hostile&, tagCALCINFO&) {}, none},
        {"label null", [](Hostile&, tagCALCINFO& ci) { ci.stock_label = nullptr; }, code_users},
        {"label empty", [](Hostile&, tagCALCINFO& ci) { ci.stock_label = ""; }, code_users},
        {"bars null", [](Hostile&, tagCALCINFO& ci) { ci.bars = nullptr; }, none},
        {"ext records null", [](Hostile&, tagCALCINFO& ci) { ci.ext_records = nullptr; }, none},
        {"param1 null", [](Hostile&, tagCALCINFO& ci) { ci.param1 = nullptr; }, none},
        {"param2 null", [](Hostile&, tagCALCINFO& ci) { ci.param2 = nullptr; }, none},
        {"param3 null", [](Hostile&, tagCALCINFO& ci) { ci.param3 = nullptr; }, none},
        {"param4 null", [](Hostile&, tagCALCINFO& ci) { ci.param4 = nullptr; }, none},
        {"result null", [](Hostile&, tagCALCINFO& ci) { ci.result = nullptr; }, all},
        {"no bars", [](Hostile&, tagCALCINFO& ci) { ci.data_count = 0; }, all},
    };
    auto acted = [] {
        return read_bytes(kTdxRecord).size() + read_bytes(kLkRecord).size() + host_window_presses().size();
    };
    int calls = 0, labels = 0;
    for (int i = 0; i < kExportCount; ++i) {
        const ExportEntry& e = kExportTable[i];
        if (!e.built || e.arg_bytes != 4) continue;
        const std::string name = e.function;
        for (size_t f = 0; f < sizeof fields / sizeof *fields; ++f) {
            Hostile h;
            h.what = fields[f].what;
            if (name == "LKBS") h.value = static_cast<float>(f % 8 + 1);  // never the operation just done
            if (name == "TDXTrade") h.value = 10.5f;
            if (name == "FB") h.period = kPeriodTick;
            // The bridges act once per security: a code of its own per call.
            if (name == "TDX" || name == "TDXTrade" || name == "get_alarm_data") h.label = std::to_string(610000 + labels++);
            const bool window_export = name == "LKBS" || name == "TDX" || name == "TDXTrade" || name == "AlarmOnOff";
            if (name == "LKBS" && f == 0) {  // another operation first: the first row is never a repeat
                Hostile prime;
                prime.value = 8;
                Record p(prime);
                Job job;
                job.symbol = e.symbol;
                job.ci = &p.ci;
                run_watched(job, "LKBS 8 first");
            }
            Record r(h);
            fields[f].change(h, r.ci);
            std::string what = name + " with " + fields[f].what;
            if (window_export) Sleep(150);  // input events of the row before arrive first
            size_t before = acted();
            int returned = 0;
            if (!run_record(e.symbol, r, what, &returned)) continue;
            ++calls;
            if (returned < -1 || returned >= h.count)
                report_failure(__FILE__, __LINE__, "returned " + std::to_string(returned) + ": " + what);
            if (window_export) Sleep(150);  // a late input event would show here
            const Stops stops = fields[f].stops;
            if (window_export && (stops == all || (stops == code_users && name != "AlarmOnOff")) && acted() != before)
                report_failure(__FILE__, __LINE__, "acted: " + what);
            if (f == 0 && window_export && acted() == before)  // else the row proves nothing
                report_failure(__FILE__, __LINE__, "did not act: " + what);
        }
    }
    std::printf("  %d calls with a null field\n", calls);
    close_host_windows(host);
    stop_fixture(tdx);
    stop_fixture(lk);
    remove_file("TARVEX.ini");
    SetUnhandledExceptionFilter(old);
}
