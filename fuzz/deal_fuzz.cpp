// A futures trade-record text as any bytes, put onto minute bars.
#include "fuzz/fuzz_host.h"
#include "invest/exports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_host();
    put_file("7.dat", data, size);
    for (int mode = 1; mode <= 2; ++mode) {
        Chart c = fuzz_chart(10, kPeriodMin1);
        for (int i = 0; i < 10; ++i) c.bars[i].time = 1291167000 + 60 * i;  // 2010-12-01 09:30 in UTC+8
        c.label = "IF00";
        c.series(std::vector<float>(10, 0.0f), 2);
        c.p2 = {7};
        c.p3 = {static_cast<float>(mode)};
        Deal(&c.ci());
    }
    drop_log();
    return 0;
}
