// Cost of the file exports against the file I/O they cannot avoid, measured
// in the same run: save2blk (security already in the block) and bknumb on a
// 500-record block, savedata on a 2 500-day history (same value: read only;
// a new value for the last day: read and rewrite), ReadData of 4 000 records
// onto 4 000 bars. The bare I/O reads the file whole, and where the export
// must write, writes it whole beside the old one, flushed to the disk, and
// renames it over. Each case reports export_us, bare_us and their ratio.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "blocks/exports.h"
#include "datafiles/exports.h"
#include "datafiles/selfdata_format.h"
#include "platform/portable_testing.h"
#include "tests/expected_bytes.h"
#include "tools/harness/lib/chart.h"

namespace {

std::string g_root;

// A host tree below /tmp that the library takes for the host's directory.
void host_tree() {
    if (!g_root.empty()) return;
    setenv("TZ", "CST-8", 1);
    tzset();
    char tmpl[] = "/tmp/tarvex-bench-XXXXXX";
    if (!mkdtemp(tmpl)) std::abort();
    g_root = std::string(tmpl) + "/host";
    for (const char* d : {"", "/userdata", "/userdata/block", "/userdata/self", "/userdata/SelfData",
                          "/userdata/SelfData/DATA11"})
        mkdir((g_root + d).c_str(), 0755);
    std::string exe = g_root + "\\dzh.exe";
    for (char& c : exe)
        if (c == '/') c = '\\';
    plat_testing::set_executable_path(exe.c_str());
    if (chdir(g_root.c_str()) != 0) std::abort();
    std::atexit([] { (void)!std::system(("rm -rf '" + g_root.substr(0, g_root.rfind('/')) + "'").c_str()); });
}

void put(const std::string& rel, const Bytes& b) {
    FILE* f = std::fopen((g_root + "/" + rel).c_str(), "wb");
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
}

// The whole file in one read into a buffer of its size.
Bytes bare_read(const std::string& rel) {
    FILE* f = std::fopen((g_root + "/" + rel).c_str(), "rb");
    struct stat st;
    fstat(fileno(f), &st);
    Bytes b(static_cast<size_t>(st.st_size));
    b.resize(std::fread(b.data(), 1, b.size(), f));
    std::fclose(f);
    return b;
}

// The export's rewrite must leave the old or the new content at every
// moment, so the bare one does what that takes: the bytes beside the file,
// flushed to the disk, moved over it.
void bare_write(const std::string& rel, const Bytes& b) {
    std::string path = g_root + "/" + rel, tmp = path + ".bench-new";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    std::fwrite(b.data(), 1, b.size(), f);
    std::fflush(f);
    (void)!fsync(fileno(f));
    std::fclose(f);
    std::rename(tmp.c_str(), path.c_str());
}

double now_us() {
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Runs the export and the bare I/O alternately and reports both and the ratio.
template <typename Export, typename Bare>
void compare(benchmark::State& state, Export run_export, Bare run_bare) {
    double ex = 0, bare = 0;
    for (auto _ : state) {
        double t0 = now_us();
        run_export();
        double t1 = now_us();
        run_bare();
        bare += now_us() - t1;
        ex += t1 - t0;
    }
    double n = static_cast<double>(state.iterations());
    state.counters["export_us"] = ex / n;
    state.counters["bare_us"] = bare / n;
    state.counters["ratio"] = ex / bare;
}

const char kBlock[] = "userdata/block/自选股3.BLK";
const char kHistory[] = "userdata/SelfData/DATA11/SH600000.dat";

void block_of_500() {
    std::vector<std::string> codes;
    for (int i = 0; i < 500; ++i) codes.push_back("SZ" + std::to_string(1 + i + 1000000).substr(1));
    codes[250] = "SH600000";
    put(kBlock, block_file_bytes(codes));
}

void save2blk_500(benchmark::State& state) {
    host_tree();
    block_of_500();
    Chart c(10);
    c.constant(1);
    c.p2 = {3};
    compare(state, [&] { benchmark::DoNotOptimize(save2blk(&c.ci())); },
            [&] { benchmark::DoNotOptimize(bare_read(kBlock)); });
}

void bknumb_500(benchmark::State& state) {
    host_tree();
    block_of_500();
    Chart c(10);
    c.constant(3);
    compare(state, [&] { benchmark::DoNotOptimize(bknumb(&c.ci())); },
            [&] { benchmark::DoNotOptimize(bare_read(kBlock)); });
}

// 2 500 days ending on the chart's last bar.
Chart history_of_2500(bool replace) {
    host_tree();
    Chart c(10);
    std::vector<SelfDataRecord> history;
    int32_t last_day = c.bars.back().time;
    for (int i = 0; i < 2500; ++i) history.push_back({last_day - 86400 * (2499 - i), static_cast<float>(i % 97)});
    put(kHistory, encode_selfdata_records(history));
    c.constant(static_cast<float>(2499 % 97));
    c.p2 = {11};
    (void)replace;
    return c;
}

void savedata_unchanged(benchmark::State& state) {
    Chart c = history_of_2500(false);
    compare(state, [&] { benchmark::DoNotOptimize(savedata(&c.ci())); },
            [&] { benchmark::DoNotOptimize(bare_read(kHistory)); });
}

void savedata_replace_last(benchmark::State& state) {
    Chart c = history_of_2500(true);
    float v = 1000;
    compare(state,
            [&] {
                c.p1[0] = (v += 1);  // a new value every time: the last day is replaced
                benchmark::DoNotOptimize(savedata(&c.ci()));
            },
            [&] { bare_write(kHistory, bare_read(kHistory)); });
}

void readdata_4000(benchmark::State& state) {
    host_tree();
    Chart c(4000);
    std::vector<SelfDataRecord> records;
    for (const BarRecord& b : c.bars) records.push_back({b.time, b.close});
    put(kHistory, encode_selfdata_records(records));
    c.constant(1);
    c.p2 = {11};
    compare(state, [&] { benchmark::DoNotOptimize(ReadData(&c.ci())); },
            [&] { benchmark::DoNotOptimize(bare_read(kHistory)); });
}

}  // namespace

BENCHMARK(save2blk_500);
BENCHMARK(bknumb_500);
BENCHMARK(savedata_unchanged);
BENCHMARK(savedata_replace_last);
BENCHMARK(readdata_4000);
