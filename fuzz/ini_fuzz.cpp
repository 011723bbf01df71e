// TARVEX.ini as any bytes: every path routine that reads a setting.
#include "common/paths.h"
#include "fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_host();
    put_file("TARVEX.ini", data, size);
    char out[300];
    // One lookup of each kind: each reads the file afresh.
    path_setting(out, sizeof out, "MT4_HST_PATH");
    tdx_dir(out, sizeof out);
    int n = size > 0 ? data[0] % 8 : 3;
    block_path_for_number(out, sizeof out, n);
    make_selfdata_fn(out, sizeof out, n, "600000", 0);
    data_file_path(out, sizeof out, n);
    inv_path(out, sizeof out, n);
    block_path_for_name(out, sizeof out, "强势");
    Chart c(2);
    day_path(out, sizeof out, c.ci());
    drop_log();
    return 0;
}
