// The four code-key rules of the block functions.
#include "blocks/code_key.h"

#include <cstdio>
#include <cstring>

#include "blocks/block_format.h"
#include "common/text.h"

namespace {

// prefix + code into skcode; false (and an empty key) when the result does
// not fit the record's code field.
bool compose_key(const char* prefix, const char* code, char* skcode) {
    bool whole = copy_text(skcode, kCodeKeyBytes, prefix) && append_text(skcode, kCodeKeyBytes, code);
    if (whole && std::strlen(skcode) <= kBlockCodeBytes) return true;
    skcode[0] = '\0';
    return false;
}

bool at_or_after_600000(const char* code) { return compare_signed(code, "600000") >= 0; }

}  // namespace

bool key_letter_aware(const char* label, char* skcode) {
    signed char first = static_cast<signed char>(label[0]);
    if (first >= 0x41 && first <= 0x7A) return compose_key("", label, skcode);
    return key_plain(label, skcode);
}

bool key_plain(const char* code, char* skcode) {
    if (std::strlen(code) < 6) return compose_key("HK", code, skcode);
    return key_two_markets(code, skcode);
}

bool key_two_markets(const char* label, char* skcode) {
    return compose_key(at_or_after_600000(label) ? "SH" : "SZ", label, skcode);
}

bool key_integer(int c, char* skcode) {
    skcode[0] = '\0';
    if (c < 0 || c > 699999) return false;
    std::snprintf(skcode, kCodeKeyBytes, "%s%06d", c >= 600000 ? "SH" : "SZ", c);
    return true;
}
