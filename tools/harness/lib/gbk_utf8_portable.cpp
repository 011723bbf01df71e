// GBK and UTF-8 through the C library's iconv (glibc carries the GBK table).
#include <cerrno>
#include <iconv.h>

#include "tools/harness/lib/gbk_utf8.h"

namespace {

std::string convert(const char* to, const char* from, const std::string& text, const char* replacement) {
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    char buf[256];
    char* in = const_cast<char*>(text.data());
    size_t left = text.size();
    while (left > 0) {
        char* o = buf;
        size_t room = sizeof buf;
        size_t r = iconv(cd, &in, &left, &o, &room);
        out.append(buf, static_cast<size_t>(o - buf));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            out += replacement;  // a byte that starts no character
            ++in;
            --left;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string gbk_to_utf8(const std::string& gbk) { return convert("UTF-8", "GBK", gbk, "\xEF\xBF\xBD"); }

std::string utf8_to_gbk(const std::string& utf8) { return convert("GBK", "UTF-8", utf8, "?"); }

// Natively there is no Windows console; the native tests read UTF-8.
bool console_is_gbk() { return false; }
