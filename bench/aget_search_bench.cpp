// The Advanced GET address search both ways on the same made-up process (the
// portable platform's scripted memory): about 15 MiB committed in five
// regions between 1 MiB and 128 MiB, reserved and free space between them,
// and the open array near the end. "stepwise" reads 24 bytes per 8-byte step
// over the whole range, as the rule reads; "blocks" reads the committed
// regions in large blocks. Each reports its remote reads; "ratio" runs both
// per iteration and reports stepwise / blocks for reads and for time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "bridges/aget_search.h"
#include "platform/windows_testing.h"

namespace {

namespace pw = plat_windows_testing;

const uint32_t kPid = 21;
const uint32_t kOpenAddr = 0x51F0008;
const RowsWanted kOpen{{12.3f, 12.4f, 12.5f}, true, 24};

std::vector<unsigned char> region(uint32_t bytes, double first) {
    std::vector<double> v(bytes / 8);
    for (size_t i = 0; i < v.size(); ++i) v[i] = first + static_cast<double>(i);  // never a price of the rows
    std::vector<unsigned char> b(bytes);
    std::memcpy(b.data(), v.data(), bytes);
    return b;
}

// Lays the process out once; every benchmark searches the same memory.
void lay_out() {
    static bool done = false;
    if (done) return;
    done = true;
    pw::reset();
    pw::add_memory(kPid, 0x100000, region(0x40000, 1e6));
    pw::add_memory(kPid, 0x140000, std::vector<unsigned char>(0x10000), false);  // reserved
    pw::add_memory(kPid, 0x400000, region(0x100000, 2e6));                      // the program's image
    pw::add_memory(kPid, 0x1000000, region(0x800000, 3e6));                     // heap
    pw::add_memory(kPid, 0x1800000, std::vector<unsigned char>(0x400000), false);
    pw::add_memory(kPid, 0x3000000, region(0x400000, 4e6));
    std::vector<unsigned char> arrays = region(0x200000, 5e6);
    const double rows[3] = {12.3, 12.4, 12.5};
    std::memcpy(arrays.data() + (kOpenAddr - 0x5000000), rows, sizeof rows);
    pw::add_memory(kPid, 0x5000000, arrays);
}

template <uint32_t (*Search)(plat::Process*, uint32_t, uint32_t, const RowsWanted&)>
void search(benchmark::State& state) {
    lay_out();
    plat::Process* p = plat::open_process(kPid, plat::kAccessAll);
    long reads = 0;
    for (auto _ : state) {
        long before = pw::remote_reads();
        uint32_t found = Search(p, kGetSearchFrom, kGetSearchBelow, kOpen);
        reads = pw::remote_reads() - before;
        if (found != kOpenAddr) state.SkipWithError("wrong address");
    }
    plat::close_process(p);
    state.counters["remote_reads"] = static_cast<double>(reads);
}

void ratio(benchmark::State& state) {
    lay_out();
    plat::Process* p = plat::open_process(kPid, plat::kAccessAll);
    double step_s = 0, block_s = 0;
    long step_reads = 0, block_reads = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        long r0 = pw::remote_reads();
        uint32_t a = find_rows_stepwise(p, kGetSearchFrom, kGetSearchBelow, kOpen);
        auto t1 = std::chrono::steady_clock::now();
        long r1 = pw::remote_reads();
        uint32_t b = find_rows(p, kGetSearchFrom, kGetSearchBelow, kOpen);
        auto t2 = std::chrono::steady_clock::now();
        long r2 = pw::remote_reads();
        if (a != kOpenAddr || b != a) state.SkipWithError("the two searches disagree");
        step_s += std::chrono::duration<double>(t1 - t0).count();
        block_s += std::chrono::duration<double>(t2 - t1).count();
        step_reads += r1 - r0;
        block_reads += r2 - r1;
    }
    plat::close_process(p);
    state.counters["read_ratio"] = block_reads ? static_cast<double>(step_reads) / block_reads : 0;
    state.counters["time_ratio"] = block_s > 0 ? step_s / block_s : 0;
}

}  // namespace

BENCHMARK_TEMPLATE(search, find_rows_stepwise)->Name("aget_search/stepwise")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_TEMPLATE(search, find_rows)->Name("aget_search/blocks")->Unit(benchmark::kMillisecond);
BENCHMARK(ratio)->Name("aget_search/ratio")->Unit(benchmark::kMillisecond)->Iterations(3);
