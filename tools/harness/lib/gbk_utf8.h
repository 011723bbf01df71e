// GBK (code page 936), the library's and the host's text, to UTF-8, the
// text of the pictures the harness writes. Bytes that are not GBK become a
// replacement character (U+FFFD here, Windows' own default character there)
// rather than being dropped silently.
#pragma once

#include <string>

std::string gbk_to_utf8(const std::string& gbk);
