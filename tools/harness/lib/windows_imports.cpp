// The import lists behind the harness's statement of the oldest Windows.
#include "tools/harness/lib/windows_imports.h"

#include <cctype>
#include <cstring>

namespace {

struct DllFunctions {
    const char* dll;        // lower case
    const char* functions;  // separated by single spaces
};

// What TARVEX.dll and the harness may import: functions of Windows XP SP3's
// own DLLs (KERNEL32, USER32, PSAPI and the system's msvcrt.dll of XP), the
// ones the static runtime, SQLite and our platform layer use. A new import
// belongs here only once it is known to exist on XP SP3.
const DllFunctions kXpSp3[] = {
    {"kernel32.dll",
     "AreFileApisANSI CloseHandle CreateDirectoryA CreateFileA CreateFileMappingA CreateFileMappingW CreateFileW CreateMutexW "
     "CreateSemaphoreW DeleteCriticalSection DeleteFileA DeleteFileW EnterCriticalSection FindClose FindFirstFileA "
     "FindNextFileA FlushFileBuffers "
     "FlushViewOfFile FormatMessageA FormatMessageW FreeLibrary GetCurrentProcess GetCurrentProcessId GetCurrentThreadId "
     "GetDiskFreeSpaceA GetDiskFreeSpaceW GetFileAttributesA GetFileAttributesExA GetFileAttributesExW GetFileAttributesW GetFileSize GetFileTime "
     "GetFullPathNameA GetFullPathNameW GetLastError GetModuleFileNameA GetModuleHandleA GetModuleHandleW "
     "GetPrivateProfileStringA GetProcAddress GetProcessHeap GetStartupInfoA GetSystemInfo GetSystemTime GetVersionExA "
     "GetSystemTimeAsFileTime GetTempPathA GetTempPathW GetTickCount GetVersionExW HeapAlloc HeapCompact HeapCreate HeapDestroy "
     "HeapFree HeapReAlloc HeapSize HeapValidate InitializeCriticalSection IsDBCSLeadByteEx LeaveCriticalSection "
     "LoadLibraryA LoadLibraryW LocalFree LockFile LockFileEx MapViewOfFile MoveFileExA MultiByteToWideChar "
     "OpenProcess OutputDebugStringA OutputDebugStringW QueryPerformanceCounter ReadFile ReadProcessMemory "
     "ReleaseSemaphore SetEndOfFile SetFilePointer SetLastError SetUnhandledExceptionFilter Sleep "
     "SystemTimeToFileTime TlsAlloc TlsFree TlsGetValue TlsSetValue TryEnterCriticalSection UnlockFile "
     "UnlockFileEx UnmapViewOfFile VirtualAllocEx VirtualFreeEx VirtualProtect VirtualQuery VirtualQueryEx "
     "WaitForSingleObject WaitForSingleObjectEx WideCharToMultiByte WinExec WriteFile WriteProcessMemory"},
    {"user32.dll",
     "FindWindowA FindWindowExA GetCursorPos GetDesktopWindow GetForegroundWindow GetParent GetWindow GetWindowTextA "
     "GetWindowThreadProcessId IsWindow PostMessageA SendMessageA SendMessageTimeoutA SetForegroundWindow "
     "WindowFromPoint mouse_event"},
    {"psapi.dll", "EnumProcessModules GetModuleFileNameExA GetModuleFileNameExW GetModuleBaseNameA EnumProcesses"},
    {"msvcrt.dll",
     "__getmainargs __initenv __mb_cur_max __p__acmdln __p__commode __p__fmode __set_app_type __setusermatherr "
     "_access _amsg_exit _beginthreadex _cexit _chsize _close _commit _endthreadex _errno _fdopen _filelength _fileno _fstat64 _get_osfhandle _initterm _iob "
     "_localtime64 _lock _lseeki64 _mktime64 _onexit _read _time64 _unlock _wfopen _write abort atof atoi atol "
     "calloc exit fclose feof fflush fopen fprintf fputc fputs fread free fseek ftell fwrite getc islower isspace isupper "
     "iswctype isxdigit localeconv localtime log10 malloc memchr memcmp memcpy memmove memset puts realloc "
     "setlocale setvbuf signal strchr strcmp strcoll strcspn strerror strftime strlen strncmp strrchr strspn "
     "strstr strtol strtoul strxfrm tolower toupper towlower towupper ungetc vfprintf wcscoll wcsftime wcslen "
     "wcsxfrm"},
};

struct LaterFunctions {
    WindowsVersion version;
    const char* dll;
    const char* functions;
};

// Functions a mingw build pulls in easily that XP SP3 lacks, with the
// Windows that brought them (so the check can say what the DLL needs).
const LaterFunctions kLater[] = {
    {WindowsVersion::vista, "kernel32.dll",
     "GetTickCount64 InitializeSRWLock AcquireSRWLockExclusive AcquireSRWLockShared ReleaseSRWLockExclusive "
     "ReleaseSRWLockShared InitializeConditionVariable SleepConditionVariableCS SleepConditionVariableSRW "
     "WakeConditionVariable WakeAllConditionVariable InitOnceExecuteOnce InitOnceBeginInitialize InitOnceComplete "
     "InitializeCriticalSectionEx FlsAlloc FlsFree FlsGetValue FlsSetValue GetFileInformationByHandleEx "
     "SetFileInformationByHandle GetFinalPathNameByHandleA GetFinalPathNameByHandleW CreateSymbolicLinkA "
     "CreateSymbolicLinkW CancelIoEx GetLocaleInfoEx LCMapStringEx CompareStringEx GetCurrentProcessorNumber "
     "QueryFullProcessImageNameA QueryFullProcessImageNameW CreateEventExA CreateEventExW CreateMutexExA "
     "CreateMutexExW CreateSemaphoreExW GetErrorMode"},
    {WindowsVersion::vista, "psapi.dll", "EnumProcessModulesEx"},
    {WindowsVersion::win7, "kernel32.dll",
     "K32EnumProcessModules K32EnumProcessModulesEx K32GetModuleFileNameExA K32GetModuleFileNameExW "
     "K32GetModuleBaseNameA K32GetModuleBaseNameW K32EnumProcesses K32GetModuleInformation "
     "K32GetProcessMemoryInfo K32GetProcessImageFileNameA K32GetProcessImageFileNameW TryAcquireSRWLockExclusive "
     "TryAcquireSRWLockShared GetActiveProcessorCount"},
    {WindowsVersion::win8, "kernel32.dll",
     "GetSystemTimePreciseAsFileTime CreateFile2 CopyFile2 PrefetchVirtualMemory"},
    {WindowsVersion::win10, "kernel32.dll", "SetThreadDescription GetThreadDescription"},
};

std::string lower(const std::string& s) {
    std::string out;
    for (char c : s) out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    return out;
}

// Whether `name` is one of the space-separated words of `list`.
bool listed(const char* list, const std::string& name) {
    if (name.empty()) return false;
    for (const char* p = list; (p = std::strstr(p, name.c_str())) != nullptr; ++p) {
        bool starts = p == list || p[-1] == ' ';
        char after = p[name.size()];
        if (starts && (after == ' ' || after == '\0')) return true;
    }
    return false;
}

}  // namespace

const char* windows_name(WindowsVersion v) {
    switch (v) {
    case WindowsVersion::xp_sp3: return "Windows XP SP3";
    case WindowsVersion::vista: return "Windows Vista";
    case WindowsVersion::win7: return "Windows 7";
    case WindowsVersion::win8: return "Windows 8";
    case WindowsVersion::win10: return "Windows 10";
    case WindowsVersion::unknown: break;
    }
    return "newer than XP SP3?";
}

WindowsVersion windows_for_import(const std::string& dll, const std::string& function) {
    const std::string d = lower(dll);
    for (const DllFunctions& x : kXpSp3)
        if (d == x.dll && listed(x.functions, function)) return WindowsVersion::xp_sp3;
    for (const LaterFunctions& x : kLater)
        if (d == x.dll && listed(x.functions, function)) return x.version;
    return WindowsVersion::unknown;
}

ImportNeeds import_needs(const std::vector<std::pair<std::string, std::string>>& imports) {
    ImportNeeds needs;
    for (const auto& import : imports) {
        WindowsVersion v = windows_for_import(import.first, import.second);
        if (v == WindowsVersion::xp_sp3) continue;
        if (v > needs.oldest) needs.oldest = v;
        needs.beyond_xp.push_back(import.first + " " + import.second + ": " +
                                  (v == WindowsVersion::unknown ? "not known on XP SP3" : windows_name(v)));
    }
    return needs;
}
