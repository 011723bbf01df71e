// GBK and UTF-8 through Windows' own code-page tables.
#include <windows.h>

#include "tools/harness/lib/gbk_utf8.h"

namespace {

std::string convert(UINT to, UINT from, const std::string& text) {
    if (text.empty()) return std::string();
    int n = static_cast<int>(text.size());
    int wide = MultiByteToWideChar(from, 0, text.data(), n, nullptr, 0);
    if (wide <= 0) return std::string();
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(from, 0, text.data(), n, &w[0], wide);
    int bytes = WideCharToMultiByte(to, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) WideCharToMultiByte(to, 0, w.data(), wide, &out[0], bytes, nullptr, nullptr);
    return out;
}

}  // namespace

std::string gbk_to_utf8(const std::string& gbk) { return convert(CP_UTF8, 936, gbk); }

std::string utf8_to_gbk(const std::string& utf8) { return convert(936, CP_UTF8, utf8); }

// Only a console: output redirected to a file or a pipe stays UTF-8, which
// Notepad and the scripts read.
bool console_is_gbk() {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    return out != INVALID_HANDLE_VALUE && out && GetFileType(out) == FILE_TYPE_CHAR && GetConsoleOutputCP() == 936;
}
