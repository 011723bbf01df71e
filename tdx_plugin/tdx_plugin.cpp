// The plug-in table: one cdecl entry per row of the function list, each
// handing the terminal's arrays to run_tdx_function with its row.
#include "tdx_plugin/tdx_plugin.h"

#include "tdx_plugin/tdx_functions.h"

namespace {

// Row of each number in kTdxFunctions, in list order.
enum Row {
#define TDX_FUNCTION(number, name, routine, c) kRow##number,
#include "tdx_plugin/tdx_function_list.h"
#undef TDX_FUNCTION
};

template <int R>
void TDX_CALL entry(int count, float* out, float* a, float* b, float* c) {
    run_tdx_function(kTdxFunctions[R], count, out, a, b, c);
}

PluginTCalcFuncInfo g_table[] = {
#define TDX_FUNCTION(number, name, routine, c) {number, &entry<kRow##number>},
#include "tdx_plugin/tdx_function_list.h"
#undef TDX_FUNCTION
    {0, nullptr},
};

}  // namespace

extern "C" int TDX_CALL RegisterTdxFunc(PluginTCalcFuncInfo** table) {
    if (table == nullptr || *table != nullptr) return 0;
    *table = g_table;
    return 1;
}
