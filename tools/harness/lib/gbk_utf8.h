// GBK (code page 936), the library's and the host's text, to UTF-8, the
// text of the pictures the harness writes, and back. Bytes that are not GBK
// (or not UTF-8) become a replacement character (U+FFFD or "?" in GBK, or
// Windows' own default character) rather than being dropped silently.
#pragma once

#include <string>

std::string gbk_to_utf8(const std::string& gbk);
std::string utf8_to_gbk(const std::string& utf8);

// Whether standard output is a console that shows GBK (code page 936), as
// on Chinese Windows: the harness then writes its GBK texts as they are.
bool console_is_gbk();
