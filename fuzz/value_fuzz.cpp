// A numbered value file as any bytes, read into the result series.
#include "datafiles/exports.h"
#include "fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_host();
    put_file("7.dat", data, size);
    for (int n : {1, 5, 300}) {
        Chart c(n);
        c.constant(7);
        readfile(&c.ci());
    }
    drop_log();
    return 0;
}
