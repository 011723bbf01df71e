// Cutting and checking names that come from other programs.
#include "common/file_name.h"

#include <cctype>
#include <cstring>

namespace {

bool is_lead_byte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool is_trail_byte(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

// CON, PRN, AUX, NUL, COM1..9 and LPT1..9 name devices on Windows whatever
// extension follows: "NUL.BLK" would swallow a block.
bool is_device_name(const char* name) {
    size_t stem = std::strcspn(name, ".");
    char upper[5] = "";
    if (stem < 3 || stem > 4) return false;
    for (size_t i = 0; i < stem; ++i) upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
    upper[stem] = '\0';
    static const char* const kThree[] = {"CON", "PRN", "AUX", "NUL"};
    if (stem == 3) {
        for (const char* d : kThree)
            if (std::strcmp(upper, d) == 0) return true;
        return false;
    }
    return (std::strncmp(upper, "COM", 3) == 0 || std::strncmp(upper, "LPT", 3) == 0) && upper[3] >= '1' &&
           upper[3] <= '9';
}

}  // namespace

bool copy_whole_chars(char* out, size_t cap, const char* src) {
    if (cap == 0) return false;
    size_t n = 0;
    const unsigned char* s = reinterpret_cast<const unsigned char*>(src);
    while (s[n]) {
        size_t width = is_lead_byte(s[n]) && is_trail_byte(s[n + 1]) ? 2 : 1;
        if (n + width > cap - 1) break;
        n += width;
    }
    std::memcpy(out, src, n);
    out[n] = '\0';
    return s[n] == '\0';
}

void drop_dangling_lead_byte(char* text) {
    unsigned char* s = reinterpret_cast<unsigned char*>(text);
    size_t i = 0;
    while (s[i]) {
        if (is_lead_byte(s[i]) && s[i + 1] == 0) {
            s[i] = 0;
            return;
        }
        i += is_lead_byte(s[i]) && is_trail_byte(s[i + 1]) ? 2 : 1;
    }
}

bool is_safe_file_name(const char* name) {
    const unsigned char* s = reinterpret_cast<const unsigned char*>(name);
    if (!s || !s[0] || std::strstr(name, "..") || is_device_name(name)) return false;
    for (size_t i = 0; s[i]; ++i) {
        if (is_lead_byte(s[i])) {
            if (!is_trail_byte(s[i + 1])) return false;
            ++i;  // a trail byte may be 0x5C or 0x7C and still be part of a character
            continue;
        }
        if (s[i] < 0x20 || std::strchr("\\/:*?\"<>|", s[i])) return false;
    }
    return true;
}
