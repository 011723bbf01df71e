// Which exports read each setting of TARVEX.ini and each file of the host's,
// following the library's path routines to the exports that call them. One
// list, for the doctor's advice and for the check of the settings page, so
// that neither names an export that does not read the thing, nor leaves one
// out.
#pragma once

#include <string>
#include <vector>

// `what` is a key of [路径] ("BLOCK_PATH", "通达信"), a section of names
// ("板块名", "自定义数据名", "文件名", "投资账户"), or a host file:
// "板块名键名" (the named keys of [板块名]), "inblock板块" (module_dir's
// userdata\block\, which no setting moves), "ALERT.DAT", "STKINFO",
// "connect.cfg". Names are GBK. Empty for anything else.
const std::vector<std::string>& readers_of(const std::string& what);

// The same, joined by "、" for a sentence.
std::string readers_text(const std::string& what);

// Every `what` the list knows.
std::vector<std::string> reader_topics();
