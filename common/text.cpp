// Bounded text helpers.
#include "common/text.h"

#include <cstdio>
#include <cstring>

bool copy_text(char* out, size_t cap, const char* src) {
    if (cap == 0) return false;
    out[0] = '\0';
    return append_text(out, cap, src);
}

bool append_text(char* out, size_t cap, const char* src) {
    if (cap == 0) return false;
    size_t used = strnlen(out, cap - 1);
    size_t room = cap - 1 - used;
    size_t len = std::strlen(src);
    size_t n = len < room ? len : room;
    std::memcpy(out + used, src, n);
    out[used + n] = '\0';
    return n == len;
}

bool append_int(char* out, size_t cap, long long n) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%lld", n);
    return append_text(out, cap, digits);
}

int compare_signed(const char* a, const char* b) {
    for (;; ++a, ++b) {
        signed char x = static_cast<signed char>(*a), y = static_cast<signed char>(*b);
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
}
