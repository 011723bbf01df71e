// The fuzz targets' host tree.
#include "fuzz/fuzz_host.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/portable_testing.h"

namespace {
std::string g_root;

void remove_tree() {
    if (g_root.empty()) return;
    std::string cmd = "rm -rf '" + g_root.substr(0, g_root.rfind('/')) + "'";
    if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", g_root.c_str());
}
}  // namespace

void fuzz_host(const std::string& ini) {
    if (!g_root.empty()) return;
    setenv("TZ", "CST-8", 1);
    tzset();
    // In memory where the machine has it: every run writes and reads files.
    char shm[] = "/dev/shm/tarvex-fuzz-XXXXXX", tmp[] = "/tmp/tarvex-fuzz-XXXXXX";
    char* tmpl = mkdtemp(shm);
    if (!tmpl) tmpl = mkdtemp(tmp);
    if (!tmpl) std::abort();
    g_root = std::string(tmpl) + "/host";
    for (const char* d : {"", "/userdata", "/userdata/block", "/userdata/self", "/userdata/SelfData",
                          "/userdata/SelfData/DATA11", "/USERDATA", "/USERDATA/SELF", "/data", "/data/SH",
                          "/data/SZ", "/tdx", "/tdx/T0002"})
        mkdir((g_root + d).c_str(), 0755);
    std::string exe = g_root + "/dzh.exe";
    for (char& c : exe)
        if (c == '/') c = '\\';
    plat_testing::set_executable_path(exe.c_str());
    plat_testing::set_now(1733535065);  // a fixed clock: runs repeat
    if (chdir(g_root.c_str()) != 0) std::abort();
    if (!ini.empty()) put_file("TARVEX.ini", reinterpret_cast<const uint8_t*>(ini.data()), ini.size());
    std::atexit(remove_tree);
}

void put_file(const std::string& rel, const uint8_t* data, size_t size) {
    FILE* f = std::fopen((g_root + "/" + rel).c_str(), "wb");
    if (!f) std::abort();
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

std::string win_path(const std::string& rel) {
    std::string p = g_root + "/" + rel;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

void drop_log() { unlink((g_root + "/TARVEX.log").c_str()); }

Chart fuzz_chart(int n, int period) {
    Chart c(n);
    c.period = period;
    for (int i = 0; i < n; ++i) {
        float v = 10.0f + static_cast<float>((i * 7) % 11) - static_cast<float>((i * 3) % 5);
        c.bars[i].open = c.bars[i].close = v;
        c.bars[i].high = v + 1.0f;
        c.bars[i].low = v - 1.0f;
    }
    c.closes_series(0);
    return c;
}
