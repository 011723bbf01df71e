// The host's alert file as any bytes: alert minutes marked, raised alerts
// cleared.
#include "alarms/exports.h"
#include "fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_host();
    put_file("userdata/self/ALERT.DAT", data, size);
    Chart c = fuzz_chart(100, kPeriodTimeShare);
    almtime(&c.ci());
    ClearAlarm(&c.ci());
    drop_log();
    return 0;
}
