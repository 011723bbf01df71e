// The screening pass natively, on the portable build: the exports called
// directly, the host directory a scratch tree below /tmp, put on the disk
// before the pass begins.
// Usage: screening [securities (5000)] [--no-flush]
//   --no-flush: no write waits for the disk (the library's and the bare
//   ones), which leaves the library's own work and is repeatable.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include <unistd.h>

#include "bench/screening/screening_pass.h"
#include "blocks/exports.h"
#include "datafiles/exports.h"
#include "formulas/exports.h"
#include "lines/exports.h"
#include "platform/portable_testing.h"

int main(int argc, char** argv) {
    int securities = 5000;
    bool flush = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-flush") == 0) flush = false;
        else securities = std::atoi(argv[i]);
    }
    if (securities < 1) return 2;
    setenv("TZ", "CST-8", 1);
    tzset();
    char tmpl[] = "/tmp/tarvex-screening-XXXXXX";
    if (!mkdtemp(tmpl)) return 2;
    std::string root = tmpl, host = root + "/host/";
    if (std::system(("mkdir -p '" + host + "'").c_str()) != 0 || chdir(host.c_str()) != 0) return 2;
    std::string exe = host + "dzh.exe";
    for (char& c : exe)
        if (c == '/') c = '\\';
    plat_testing::set_executable_path(exe.c_str());
    plat_testing::set_disk_sync(flush);
    ScreeningSetup setup{host, '/', securities, "native, portable build", flush};
    int status = 1;
    if (build_screening_market(setup)) {
        sync();
        ScreeningExports x{inblock, save2blk, savedata, ReadData, LableGet, TlineAll, Tline};
        status = run_screening(x, setup);
    }
    (void)!std::system(("rm -rf '" + root + "'").c_str());
    return status;
}
