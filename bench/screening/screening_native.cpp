// The screening pass natively, on the portable build: the exports called
// directly, the host directory a scratch tree below /tmp.
// Usage: screening [securities]
#include <cstdio>
#include <cstdlib>
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
    int securities = argc > 1 ? std::atoi(argv[1]) : 5000;
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
    ScreeningExports x{inblock, save2blk, savedata, ReadData, LableGet, TlineAll, Tline};
    int status = run_screening(x, {host, '/', securities, "native, portable build"});
    (void)!std::system(("rm -rf '" + root + "'").c_str());
    return status;
}
