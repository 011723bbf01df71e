// The DLL host: LoadLibraryA and GetProcAddress by exact symbol.
#include <windows.h>

#include "host/formula_call.h"
#include "tools/harness/lib/dll_host.h"

namespace {
HMODULE g_dll = nullptr;

// GetProcAddress hands back a generic function pointer; the export's own type
// is restored through void*.
template <typename Fn>
Fn entry(const char* symbol) {
    if (!g_dll) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(g_dll, symbol)));
}

typedef int(__stdcall* Savedata0Fn)(char*, long, char*, float);
}  // namespace

bool load_tarvex(const std::string& path, std::string* error) {
    g_dll = LoadLibraryA(path.c_str());
    if (g_dll) return true;
    *error = "LoadLibrary failed with error " + std::to_string(GetLastError());
    return false;
}

bool has_symbol(const char* symbol) { return g_dll && GetProcAddress(g_dll, symbol) != nullptr; }

int call_formula(const char* symbol, tagCALCINFO* ci, bool* found) {
    FormulaCall fn = entry<FormulaCall>(symbol);
    *found = fn != nullptr;
    return fn ? fn(ci) : -1;
}

int call_savedata0(const char* name, long time, const char* code, float value, bool* found) {
    Savedata0Fn fn = entry<Savedata0Fn>("?savedata0@@YGHPADJ0M@Z");
    *found = fn != nullptr;
    return fn ? fn(const_cast<char*>(name), time, const_cast<char*>(code), value) : -1;
}
