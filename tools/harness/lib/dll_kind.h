// Which of the project's two kinds of DLL a file is, from what its loader
// would see: TARVEX.dll for the 大智慧 host (32-bit only), or TARVEX_TDX.dll,
// the TDX terminal's formula plug-in, which exports RegisterTdxFunc alone and
// comes in a 32-bit and a 64-bit build.
#pragma once

#include "tools/harness/lib/pe_image.h"

enum class DllKind {
    kDzhLibrary,  // no RegisterTdxFunc: checked against the export list
    kTdxPlugin32,
    kTdxPlugin64,
    kTdxPluginOther,  // RegisterTdxFunc on a machine no TDX terminal runs on
};

constexpr unsigned kMachineI386 = 0x14C;
constexpr unsigned kMachineAmd64 = 0x8664;
extern const char kTdxRegisterSymbol[];  // "RegisterTdxFunc"

DllKind dll_kind(const PeImage& pe);

// "i386", "x86-64" or "unknown".
const char* machine_name(unsigned machine);

// One line for the check, e.g. "TDX formula plug-in (RegisterTdxFunc), 64-bit".
const char* dll_kind_text(DllKind kind);
