// TARVEX_TDX.dll's one export, as the TDX terminal's public formula plug-in
// interface defines it: RegisterTdxFunc hands the terminal a table of
// numbered functions, packed to 1 byte and ended by {0, NULL}; a formula calls
// a function as TDXDLLn(number, a, b, c). Everything here is cdecl.
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define TDX_CALL __cdecl
#else
#define TDX_CALL
#endif

// A plug-in function: (count of bars, out, input a, input b, input c), each
// an array of `count` floats; a constant arrives as `count` equal values.
typedef void(TDX_CALL* TdxPluginFunc)(int count, float* out, float* a, float* b, float* c);

#pragma pack(push, 1)
struct PluginTCalcFuncInfo {
    unsigned short number;
    TdxPluginFunc call;
};
#pragma pack(pop)

static_assert(sizeof(PluginTCalcFuncInfo) == 2 + sizeof(void*), "table entries are packed to 1 byte");

// Points *table at the function table and returns 1 (TRUE) when *table is
// null; returns 0 (FALSE) and leaves it alone when table is null or *table
// already points somewhere.
extern "C" int TDX_CALL RegisterTdxFunc(PluginTCalcFuncInfo** table);
