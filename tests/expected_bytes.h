// Builders for expected file contents, written byte by byte from the host's
// layouts and independent of the library's own encoders. Shared by the native
// and the Wine suites.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

inline void put_u32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
inline void put_i32(Bytes& b, int32_t v) { put_u32(b, static_cast<uint32_t>(v)); }
inline void put_f32(Bytes& b, float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    put_u32(b, u);
}
// The text in a field of `width` bytes, NUL-padded (cut when longer).
inline void put_text(Bytes& b, const std::string& s, size_t width) {
    for (size_t i = 0; i < width; ++i) b.push_back(i < s.size() ? static_cast<unsigned char>(s[i]) : 0);
}
