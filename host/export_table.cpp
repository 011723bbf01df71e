// Turns the export list into a table the harness and the tests can walk.
#include "host/export_table.h"

#include <cstring>

const ExportEntry kExportTable[] = {
#define TARVEX_EXPORT(fn, sym, bytes, built) {#fn, sym, bytes, built != 0},
#include "host/export_list.h"
#undef TARVEX_EXPORT
};

const int kExportCount = sizeof(kExportTable) / sizeof(kExportTable[0]);

const ExportEntry* find_export(const char* function) {
    for (int i = 0; i < kExportCount; ++i)
        if (std::strcmp(kExportTable[i].function, function) == 0) return &kExportTable[i];
    return nullptr;
}
