// The harness's TDX day-file reader on any bytes: the records, and the same
// bytes taken as the file's name. What it accepts must be whole records with
// ascending day times.
#include <cstdlib>

#include "fuzz/fuzz_host.h"
#include "tools/harness/lib/tdx_day.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<BarRecord> bars;
    std::string error;
    if (parse_tdx_day(data, size, &bars, &error)) {
        if (bars.size() * kTdxDayRecordBytes != size) std::abort();
        for (size_t i = 1; i < bars.size(); ++i)
            if (bars[i].time <= bars[i - 1].time || bars[i].time % 86400 != 0) std::abort();
    }
    TdxDaySecurity security;
    if (tdx_day_security(std::string(reinterpret_cast<const char*>(data), size > 64 ? 64 : size), &security, &error) &&
        security.code.size() != 6)
        std::abort();
    return 0;
}
