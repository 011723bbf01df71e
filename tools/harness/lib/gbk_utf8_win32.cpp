// GBK to UTF-8 through Windows' own code-page tables.
#include <windows.h>

#include "tools/harness/lib/gbk_utf8.h"

std::string gbk_to_utf8(const std::string& gbk) {
    if (gbk.empty()) return std::string();
    int n = static_cast<int>(gbk.size());
    int wide = MultiByteToWideChar(936, 0, gbk.data(), n, nullptr, 0);
    if (wide <= 0) return std::string();
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(936, 0, gbk.data(), n, &w[0], wide);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &out[0], bytes, nullptr, nullptr);
    return out;
}
