// The host's security-information files as any bytes: records looked up
// for a Shanghai and a Shenzhen code.
#include "common/stock_info.h"
#include "formulas/exports.h"
#include "fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_host();
    size_t half = size / 2;
    put_file("data/SH/STKINFO70.DAT", data, half);
    put_file("data/SZ/STKINFO60.DAT", data + half, size - half);
    for (const char* code : {"600000", "000001", "SH600001"}) {
        Chart c(2);
        c.label = code;
        c.constant(1);
        LableGet(&c.ci());
    }
    drop_log();
    return 0;
}
