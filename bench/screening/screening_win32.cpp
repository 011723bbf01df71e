// The screening pass through the real TARVEX.dll, in a 32-bit program under
// Wine: the DLL beside this program, whose directory is the host directory
// (module_dir) and the working directory.
// Usage: screening.exe build|run [securities (5000)]
//   build makes the host tree; run (after the caller has put the tree on the
//   disk with sync) makes the passes.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/screening/screening_pass.h"
#include "host/export_table.h"

namespace {
HMODULE g_dll = nullptr;

FormulaCall entry(const char* function) {
    const ExportEntry* e = find_export(function);
    FARPROC p = e ? GetProcAddress(g_dll, e->symbol) : nullptr;
    if (!p) std::printf("TARVEX.dll lacks %s\n", function);
    return reinterpret_cast<FormulaCall>(reinterpret_cast<void*>(p));
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    bool build = std::strcmp(argv[1], "build") == 0;
    int securities = argc > 2 ? std::atoi(argv[2]) : 5000;
    if (securities < 1 || (!build && std::strcmp(argv[1], "run") != 0)) return 2;
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string host(path, n);
    host.resize(host.rfind('\\') + 1);
    ScreeningSetup setup{host, '\\', securities, "Wine, TARVEX.dll", true};
    if (build) return build_screening_market(setup) ? 0 : 1;
    g_dll = LoadLibraryA((host + "TARVEX.dll").c_str());
    if (!g_dll) {
        std::printf("cannot load %sTARVEX.dll (error %lu)\n", host.c_str(), GetLastError());
        return 2;
    }
    ScreeningExports x{entry("inblock"), entry("save2blk"), entry("savedata"), entry("ReadData"),
                       entry("LableGet"),  entry("TlineAll"), entry("Tline")};
    if (!x.inblock || !x.save2blk || !x.savedata || !x.ReadData || !x.LableGet || !x.TlineAll || !x.Tline) return 2;
    return run_screening(x, setup);
}
