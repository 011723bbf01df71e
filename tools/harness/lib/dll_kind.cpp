// Telling the project's two kinds of DLL apart.
#include "tools/harness/lib/dll_kind.h"

#include <algorithm>

const char kTdxRegisterSymbol[] = "RegisterTdxFunc";

DllKind dll_kind(const PeImage& pe) {
    if (std::find(pe.exports.begin(), pe.exports.end(), kTdxRegisterSymbol) == pe.exports.end())
        return DllKind::kDzhLibrary;
    if (pe.machine == kMachineI386) return DllKind::kTdxPlugin32;
    if (pe.machine == kMachineAmd64) return DllKind::kTdxPlugin64;
    return DllKind::kTdxPluginOther;
}

const char* machine_name(unsigned machine) {
    if (machine == kMachineI386) return "i386";
    if (machine == kMachineAmd64) return "x86-64";
    return "unknown";
}

const char* dll_kind_text(DllKind kind) {
    switch (kind) {
        case DllKind::kDzhLibrary: return "DZH formula library (TARVEX.dll exports)";
        case DllKind::kTdxPlugin32: return "TDX formula plug-in (RegisterTdxFunc), 32-bit";
        case DllKind::kTdxPlugin64: return "TDX formula plug-in (RegisterTdxFunc), 64-bit";
        case DllKind::kTdxPluginOther: break;
    }
    return "TDX formula plug-in (RegisterTdxFunc) for a machine no TDX terminal runs on";
}
