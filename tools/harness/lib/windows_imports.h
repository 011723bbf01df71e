// The oldest Windows that a DLL's imports need. The host runs on Windows XP
// SP3 and later, so TARVEX.dll may import only functions that XP SP3's own
// DLLs export: those functions, as far as the build uses them, are listed
// once here, each checked against what XP SP3 provides. Functions known to
// have come later name the Windows that brought them; any other import is
// not known to exist on XP SP3 and counts as needing newer Windows.
#pragma once

#include <string>
#include <utility>
#include <vector>

// Windows versions in order; `unknown` sorts after every known one.
enum class WindowsVersion { xp_sp3, vista, win7, win8, win10, unknown };

// "Windows XP SP3", "Windows Vista", ... ; "newer than XP SP3?" for unknown.
const char* windows_name(WindowsVersion v);

// Which Windows first exports `function` from `dll` (names as in the import
// table; the DLL name compared without regard to case).
WindowsVersion windows_for_import(const std::string& dll, const std::string& function);

struct ImportNeeds {
    WindowsVersion oldest = WindowsVersion::xp_sp3;  // the newest any import needs
    // "DLL function: Windows ..." for every import that XP SP3 lacks.
    std::vector<std::string> beyond_xp;
};

// The oldest Windows that loads a module with these imports (DLL, function).
ImportNeeds import_needs(const std::vector<std::pair<std::string, std::string>>& imports);
