// Runs the registered Wine tests against TARVEX.dll beside this program.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "host/export_table.h"
#include "tests/wine/wine_check.h"
#include "tools/harness/lib/dll_host.h"

namespace {
std::vector<WineTest>& tests() {
    static std::vector<WineTest> all;
    return all;
}
int g_failures = 0;
const char* g_current = "";
}  // namespace

int register_wine_test(const char* name, void (*fn)()) {
    tests().push_back({name, fn});
    return 0;
}

void report_failure(const char* file, int line, const std::string& what) {
    ++g_failures;
    std::printf("  FAILED %s (%s:%d): %s\n", g_current, file, line, what.c_str());
}

int failure_count() { return g_failures; }

std::string show(const Bytes& v) {
    std::string s;
    char hex[4];
    for (size_t i = 0; i < v.size() && i < 64; ++i) {
        std::snprintf(hex, sizeof hex, "%02X ", v[i]);
        s += hex;
    }
    return "[" + std::to_string(v.size()) + " bytes: " + s + (v.size() > 64 ? "...]" : "]");
}

int call(const char* function, Chart& chart) {
    const ExportEntry* e = find_export(function);
    bool found = false;
    int r = e ? call_formula(e->symbol, &chart.ci(), &found) : -1;
    if (!found) report_failure(__FILE__, __LINE__, std::string("symbol missing for ") + function);
    return r;
}

void three_level_chart(Chart& c) {
    std::vector<float> closes(50, 10.0f);
    closes[12] = 14.0f, closes[24] = 6.0f, closes[36] = 12.0f;
    c.set_bars(day_bars(closes));
    c.closes_series(0);
    c.p2 = {5.0f}, c.p4 = {50.0f};
}

std::function<std::string()> chart_call(const char* fn, std::function<void(Chart&)> make, int n, const char* label) {
    return [fn, make, n, label] {
        Chart c(n);
        c.label = label;
        make(c);
        int r = call(fn, c);
        return std::to_string(r) + " " + (c.result.empty() ? "" : show(c.result.back()));
    };
}

int call_savedata0(const char* name, long time, const char* code, float value) {
    bool found = false;
    int r = ::call_savedata0(name, time, code, value, &found);
    if (!found) report_failure(__FILE__, __LINE__, "savedata0 symbol missing");
    return r;
}

std::string host_dir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.rfind('\\') + 1);
}

std::string host_path(const std::string& rel) { return host_dir() + rel; }

void write_bytes(const std::string& rel, const Bytes& bytes) {
    std::ofstream out(host_path(rel), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void write_text(const std::string& rel, const std::string& text) {
    write_bytes(rel, Bytes(text.begin(), text.end()));
}

Bytes read_bytes(const std::string& rel) {
    std::ifstream in(host_path(rel), std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool file_exists(const std::string& rel) {
    return GetFileAttributesA(host_path(rel).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void make_dirs(const std::string& rel) {
    for (size_t i = 0; i <= rel.size(); ++i)
        if (i == rel.size() || rel[i] == '\\') CreateDirectoryA(host_path(rel.substr(0, i)).c_str(), nullptr);
}

void remove_file(const std::string& rel) { DeleteFileA(host_path(rel).c_str()); }

std::string log_text() {
    std::ifstream in("TARVEX.log", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void clear_log() { DeleteFileA("TARVEX.log"); }

void local_now(int* hour, int* minute, int* second) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    *hour = t.wHour;
    *minute = t.wMinute;
    *second = t.wSecond;
}

void walk_tree(const std::string& dir, const std::function<bool(const std::string&, bool)>& visit) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        bool is_dir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (visit(dir + name, is_dir) && is_dir) walk_tree(dir + name + "\\", visit);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

namespace {
// Side files that a rewrite left anywhere below the host directory: none may outlive a test.
void check_no_side_files() {
    walk_tree(host_dir(), [](const std::string& path, bool is_dir) {
        if (!is_dir && path.find(".tarvex-new") != std::string::npos)
            report_failure(__FILE__, __LINE__, "side file left: " + path);
        return true;
    });
}
}  // namespace

int main(int argc, char** argv) {
    // Unbuffered: when a test takes the program down, what ran before shows.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // Set by the scripts: natively or under qemu, so a log says what ran.
    if (const char* way = std::getenv("TARVEX_WINE_WAY")) std::printf("%s\n", way);
    if (GetACP() != 936) {
        std::printf("ANSI code page is %u, not 936: run with LANG=zh_CN.UTF-8 and the locale installed\n",
                    GetACP());
        return 2;
    }
    std::string error;
    if (!load_tarvex(host_path("TARVEX.dll"), &error)) {
        std::printf("cannot load TARVEX.dll: %s\n", error.c_str());
        return 2;
    }
    const char* filter = argc > 1 ? argv[1] : nullptr;
    // The trading-day, hostile-record and rehearsal tests last, in that
    // order: they leave module state (remembered labels, the last futures
    // operation, tick-flow slots, handled alert rows) that the other tests
    // expect fresh.
    auto rank = [](const WineTest& t) {
        return std::strncmp(t.name, "rehearsal_", 10) == 0 ? 3
               : std::strncmp(t.name, "hostile_", 8) == 0  ? 2
               : std::strncmp(t.name, "day_", 4) == 0      ? 1
                                                           : 0;
    };
    std::stable_sort(tests().begin(), tests().end(),
                     [&](const WineTest& a, const WineTest& b) { return rank(a) < rank(b); });
    int run = 0;
    for (const WineTest& t : tests()) {
        if (filter && !std::strstr(t.name, filter)) continue;
        g_current = t.name;
        int before = g_failures;
        clear_log();
        t.fn();
        check_no_side_files();
        ++run;
        std::printf("%s %s\n", g_failures == before ? "ok    " : "FAILED", t.name);
    }
    std::printf("%d Wine tests, %d failed checks\n", run, g_failures);
    return g_failures == 0 && run > 0 ? 0 : 1;
}
