// A self-data file as any bytes: read back onto the bars and merged into;
// a day file as the same bytes, replaced by saveDay.
#include "datafiles/exports.h"
#include "fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_host();
    const char* file = "userdata/SelfData/DATA11/SH600000.dat";
    Chart c = fuzz_chart(40);
    c.p2 = {11};
    put_file(file, data, size);
    ReadData(&c.ci());
    c.constant(size > 0 ? data[0] : 1.0f);
    savedata(&c.ci());
    put_file(file, data, size);
    savedataR(&c.ci());
    put_file(file, data, size);
    char name[] = "DATA11", code[] = "600000";
    savedata0(name, 1704153600 + 86400 * static_cast<long>(size % 64), code, 2.0f);
    put_file("data/SH/600000.DAY", data, size);
    saveDay(&c.ci());
    drop_log();
    return 0;
}
