// Bounded text helpers for the fixed buffers of the host's formats: they cut
// what does not fit and always leave a NUL-terminated text.
#pragma once

#include <cstddef>

// Copies `src` into `out` (capacity `cap`), cut to cap - 1 characters.
// Returns false when it had to cut.
bool copy_text(char* out, size_t cap, const char* src);

// Appends `src` to the text in `out`, cut to fit. Returns false when cut.
bool append_text(char* out, size_t cap, const char* src);

// Appends the decimal text of `n`. Returns false when cut.
bool append_int(char* out, size_t cap, long long n);

// Byte-wise comparison of NUL-terminated texts with characters taken as
// signed 8-bit values, as the host's code comparisons are made.
int compare_signed(const char* a, const char* b);
