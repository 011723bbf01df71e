// Loads a TARVEX.dll into this 32-bit Windows process and calls its exports
// through their exact symbols, as the host does.
#pragma once

#include <string>

#include "host/call_record.h"

// Loads the DLL; false with the Windows error text when it cannot.
bool load_tarvex(const std::string& path, std::string* error);

// Whether the loaded DLL exports `symbol`.
bool has_symbol(const char* symbol);

// Calls the formula export published under `symbol`; sets *found to false
// (and returns -1) when the DLL lacks it.
int call_formula(const char* symbol, tagCALCINFO* ci, bool* found);

// Calls savedata0 through its four-argument symbol.
int call_savedata0(const char* name, long time, const char* code, float value, bool* found);
