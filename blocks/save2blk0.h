// save2blk0: the library's own way of putting a code into a block named by a
// key (the alarm bridge files raised alerts with it).
#pragma once

// Adds `code` (key by the plain rule: HK, SH or SZ) to the block of
// `block_key` (section "板块名", default the key itself): first when
// `insert_first` is non-zero, else last. Returns 0 when the code has just
// been added, -1 when it was already there or on failure (logged; the file
// is left as it was). No log line on success. A key whose block name (the
// configured one, or the key itself) cannot be a file name is refused.
int save2blk0(const char* code, const char* block_key, int insert_first);
