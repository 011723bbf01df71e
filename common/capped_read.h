// Bounded reads of the files other programs own. A reader never asks for
// more memory than its format can sensibly need: each format has a cap
// (declared beside its layout), a file larger than its cap is refused with
// one log line instead of being read, and a format read only in part (the
// value files, the alert file, the offset file) reads no more than that
// part.
#pragma once

#include <cstddef>
#include <vector>

enum class CappedRead {
    whole,      // `out` holds the whole file
    too_large,  // longer than the cap: refused and logged, `out` empty
    failed,     // cannot be opened: `out` empty
    read_error, // a read failed before the end: `out` empty
};

// The whole file when it holds at most `cap` bytes. A larger one is refused
// with the line "文件超过上限 <cap> 字节，未读取: <path>".
CappedRead read_file_capped(const char* path, size_t cap, std::vector<unsigned char>* out);

// The first `cap` bytes of the file (all of a shorter one); the rest is not
// read. `whole` when they were read, else `failed` or `read_error`.
CappedRead read_file_prefix(const char* path, size_t cap, std::vector<unsigned char>* out);
