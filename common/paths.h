// Every file location of the library hangs from module_dir, the directory of
// the host's executable, and from TARVEX.ini beside it. Each routine writes a
// NUL-terminated Windows path into the caller's buffer of `cap` bytes, cutting
// what does not fit; none fails except make_selfdata_fn, which creates a
// directory.
#pragma once

#include <cstddef>

#include "common/settings.h"
#include "host/call_record.h"

// Directory of the host executable, with its trailing backslash; empty when
// the path holds no backslash.
void module_dir(char* out, size_t cap);

// A root of section "路径" as the path routines use it: the key's value,
// default module_dir, cut to its read limit.
void root_path(Root root, char* out, size_t cap);

// module_dir followed by `name`; with "TARVEX.ini" the settings file.
void ini_path(char* out, size_t cap, const char* name);

// Value of `key` in section "路径", default module_dir, read limit 80.
void path_setting(char* out, size_t cap, const char* key);

// Value of any key of TARVEX.ini, with its default, cut to `limit` - 1
// characters.
void setting_value(const char* section, const char* key, const char* fallback, size_t limit, char* out, size_t cap);

// The TDX terminal's installation directory ("通达信"), default empty.
void tdx_dir(char* out, size_t cap);

// BLOCK_PATH + "userdata\block\" + name for block n (default "自选股"n) + ".BLK".
void block_path_for_number(char* out, size_t cap, int n);
// BLOCK_PATH + "userdata\block\" + name for `key` (default the key) + ".BLK".
void block_path_for_key(char* out, size_t cap, const char* key);
// The block name configured for `key` in "板块名" (default the key itself).
void block_name_for_key(char* out, size_t cap, const char* key);
// module_dir + "userdata\block\" + name + ".BLK"; no setting consulted.
void block_path_for_name(char* out, size_t cap, const char* name);

// Market separator of self-data and day paths: "\", "\SH", "\SZ", "\HK" or
// "\B$", from the code and the index flag.
const char* market_separator(const char* code, int index_flag);

// PATH + "userdata\SelfData\" + data name for n (default "DATA"n) + separator
// + code + ".dat". Creates the data directory (one level) when missing; when
// its parent is missing it logs "make_selfdata_fn 建目录路径错误", leaves the
// directory path in `out` and returns false, so the caller's open fails.
bool make_selfdata_fn(char* out, size_t cap, int n, const char* code, int index_flag);
// The same with the data directory name given.
bool make_selfdata_fn(char* out, size_t cap, const char* name, const char* code, int index_flag);

// DAY_PATH + separator + code + ".DAY", from stock_label and label_flag.
void day_path(char* out, size_t cap, const tagCALCINFO& ci);

// DATA_PATH + file name for n (default n".dat"); a name holding ":" is the
// whole path.
void data_file_path(char* out, size_t cap, int n);

// INV_PATH + "USERDATA\SELF\" + account file name for n (default "账户"n".inv").
void inv_path(char* out, size_t cap, int n);
