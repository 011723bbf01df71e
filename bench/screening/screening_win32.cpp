// The screening pass through the real TARVEX.dll, in a 32-bit program under
// Wine: the DLL beside this program, whose directory is the host directory
// (module_dir) and the working directory.
// Usage: screening.exe [securities]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
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
    int securities = argc > 1 ? std::atoi(argv[1]) : 5000;
    if (securities < 1) return 2;
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string host(path, n);
    host.resize(host.rfind('\\') + 1);
    g_dll = LoadLibraryA((host + "TARVEX.dll").c_str());
    if (!g_dll) {
        std::printf("cannot load %sTARVEX.dll (error %lu)\n", host.c_str(), GetLastError());
        return 2;
    }
    ScreeningExports x{entry("inblock"), entry("save2blk"), entry("savedata"), entry("ReadData"),
                       entry("LableGet"),  entry("TlineAll"), entry("Tline")};
    if (!x.inblock || !x.save2blk || !x.savedata || !x.ReadData || !x.LableGet || !x.TlineAll || !x.Tline) return 2;
    std::fflush(stdout);
    return run_screening(x, {host, '\\', securities, "Wine, TARVEX.dll"});
}
