// Counting a block's codes: the routine Sknumber_in_block for a block named
// by its file name, and the counting step the bknumb export shares with it.
// Every record of the file is counted, however many there are, so the count
// agrees with the size save2blk reports and with the block the host shows.
#pragma once

#include <cstddef>

// Counts the whole records of the block file at `path` (header word not
// checked). `last_code` (at least 9 bytes) gets the last record's 8 code
// bytes and a NUL, or "" when there is no record. When the file cannot be
// opened it logs "Sknumber_in_block 打开文件" with the path and "失败",
// returns 0 and leaves `last_code` untouched.
size_t count_block_file(const char* path, char* last_code);

// The same for the block file of that base name under module_dir's
// "userdata\block\" (BLOCK_PATH is not consulted). Returns the count.
int Sknumber_in_block(const char* name, char* last_code);
