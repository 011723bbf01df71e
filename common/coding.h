// Little-endian encoding of the host's binary formats, explicit byte by byte
// so that no record depends on the compiler's struct layout or the machine's
// byte order.
#pragma once

#include <cstdint>
#include <cstring>

inline void encode_u32(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}
inline void encode_i32(unsigned char* p, int32_t v) { encode_u32(p, static_cast<uint32_t>(v)); }
inline void encode_f32(unsigned char* p, float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    encode_u32(p, u);
}

inline uint32_t decode_u32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t decode_i32(const unsigned char* p) { return static_cast<int32_t>(decode_u32(p)); }
inline float decode_f32(const unsigned char* p) {
    uint32_t u = decode_u32(p);
    float v;
    std::memcpy(&v, &u, 4);
    return v;
}
