// The TDX line file as any bytes: its records for the security replaced.
#include "fuzz/fuzz_host.h"
#include "lines/exports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = false;
    if (!ready) {
        fuzz_host();
        std::string ini = "[路径]\r\n通达信=" + win_path("tdx") + "\r\n";
        put_file("TARVEX.ini", reinterpret_cast<const uint8_t*>(ini.data()), ini.size());
        ready = true;
    }
    put_file("tdx/T0002/line.dat", data, size);
    Chart c = fuzz_chart(50);
    c.p2 = {5.0f};
    c.p4 = {50.0f};
    TDXlineAll(&c.ci());
    drop_log();
    return 0;
}
