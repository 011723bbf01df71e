// GBK to UTF-8 through the C library's iconv (glibc carries the GBK table).
#include <cerrno>
#include <iconv.h>

#include "tools/harness/lib/gbk_utf8.h"

std::string gbk_to_utf8(const std::string& gbk) {
    std::string out;
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    char buf[256];
    char* in = const_cast<char*>(gbk.data());
    size_t left = gbk.size();
    while (left > 0) {
        char* o = buf;
        size_t room = sizeof buf;
        size_t r = iconv(cd, &in, &left, &o, &room);
        out.append(buf, static_cast<size_t>(o - buf));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            out += "\xEF\xBF\xBD";  // a byte that starts no GBK character
            ++in;
            --left;
        }
    }
    iconv_close(cd);
    return out;
}
