// The doctor's file-system questions on Windows.
#include <windows.h>

#include "tools/harness/lib/doctor_fs.h"

bool is_directory(const std::string& path) {
    std::string p = path;
    while (p.size() > 3 && (p.back() == '\\' || p.back() == '/')) p.pop_back();
    DWORD a = GetFileAttributesA(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string absolute_dir(const std::string& dir) {
    char buf[MAX_PATH + 1];
    DWORD n = GetFullPathNameA(dir.c_str(), sizeof buf, buf, nullptr);
    if (n == 0 || n >= sizeof buf) return "";
    std::string out(buf, n);
    if (out.back() != '\\') out += '\\';
    return out;
}
