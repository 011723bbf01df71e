// An investment file as any bytes: per-day operations and trade minutes.
#include "fuzz/fuzz_host.h"
#include "invest/exports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_host();
    put_file("USERDATA/SELF/账户1.inv", data, size);
    for (int op = 1; op <= 4; ++op) {
        Chart c = fuzz_chart(7);
        c.constant(1);
        c.p2 = {static_cast<float>(op)};
        Trade(&c.ci());
    }
    Chart fs = fuzz_chart(60, kPeriodTimeShare);
    fs.constant(1);
    TradeFS(&fs.ci());
    drop_log();
    return 0;
}
