// The export list as data, for the harness's DLL check and the tests.
#pragma once

struct ExportEntry {
    const char* function;  // name the formulas use
    const char* symbol;    // exact name in the DLL's export table
    int arg_bytes;         // bytes of arguments of the __stdcall entry
    bool built;            // present in this build of the DLL
};

extern const ExportEntry kExportTable[];
extern const int kExportCount;

// The entry for a function name, or nullptr.
const ExportEntry* find_export(const char* function);
