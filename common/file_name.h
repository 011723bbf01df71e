// Texts read from other programs' windows that end up in a file name: cut to
// their buffer without splitting a GBK character, and checked before they
// name a file, so that no such text can lead a write out of its directory.
#pragma once

#include <cstddef>

// Copies `src` into `out` (capacity `cap`), cut to at most cap - 1 bytes at a
// character boundary: a double-byte GBK character that does not fit whole is
// left out. Returns false when it had to cut.
bool copy_whole_chars(char* out, size_t cap, const char* src);

// Drops a lead byte left at the end of `text` without its second byte (a
// text cut inside a double-byte GBK character).
void drop_dangling_lead_byte(char* text);

// Whether `name` can stand as one file or directory name inside the
// directory it is put in: not empty, no path separator ("\" or "/", GBK trail
// bytes aside), no "..", no character a Windows file name cannot hold
// (control characters, : * ? " < > |), no broken double-byte character, and
// not a device name (CON, PRN, AUX, NUL, COM1..9, LPT1..9, with or without
// an extension).
bool is_safe_file_name(const char* name);
