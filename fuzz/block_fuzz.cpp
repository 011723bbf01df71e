// A block file as any bytes: counted, searched and added to.
#include "blocks/exports.h"
#include "fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_host();
    put_file("userdata/block/自选股3.BLK", data, size);
    Chart c(3);
    c.p2 = {3};
    c.p3 = {3};
    c.constant(3);
    bknumb(&c.ci());
    c.constant(1);
    inblock(&c.ci());
    save2blk(&c.ci());
    drop_log();
    return 0;
}
