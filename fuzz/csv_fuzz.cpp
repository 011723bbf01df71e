// The harness's bar CSV as any text.
#include "fuzz/fuzz_host.h"
#include "tools/harness/lib/bars_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<BarRecord> bars;
    std::string error;
    parse_bars_csv(std::string(reinterpret_cast<const char*>(data), size), &bars, &error);
    return 0;
}
