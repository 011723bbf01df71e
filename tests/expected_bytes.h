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

inline Bytes concat(const std::vector<Bytes>& parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A host block file: the header word, then per code 8 NUL-padded bytes and
// 4 zero bytes.
inline Bytes block_file_bytes(const std::vector<std::string>& codes, uint32_t header = 0xFF5100A5u) {
    Bytes b;
    put_u32(b, header);
    for (const std::string& c : codes) {
        put_text(b, c, 8);
        put_u32(b, 0);
    }
    return b;
}

// One 298-byte record of the TDX terminal's line file, as the terminal
// expects it: code at 1, "STANDK" at 9, the constants, the date, the price,
// the sequence number, and the colour at 137.
inline Bytes tdx_line_record(const std::string& code, int32_t date, float price, int32_t seq, int32_t colour) {
    Bytes b = {0};
    put_text(b, code, 8);
    put_text(b, "STANDK", 8);
    put_i32(b, 262144);
    put_i32(b, 4138);
    put_i32(b, date);
    put_f32(b, price);
    put_i32(b, seq);
    b.resize(125, 0);
    put_i32(b, 1);
    put_i32(b, 0);
    put_i32(b, 2);
    put_i32(b, colour);
    b.resize(298, 0);
    return b;
}

// Lines a user drew in the TDX terminal on `code`: each differs from a
// record TDXlineAll writes in one thing it always writes (another colour,
// another line kind, a byte set where it leaves 0), so each must be kept
// byte for byte.
inline std::vector<Bytes> tdx_user_lines(const std::string& code) {
    std::vector<Bytes> lines;
    auto with = [&](size_t at, unsigned char v, int32_t colour = 255) {
        Bytes b = tdx_line_record(code, 20230301 + static_cast<int32_t>(lines.size()), 9.5f, 0, colour);
        b[at] = v;
        lines.push_back(b);
    };
    with(0, 0, 0x00FFFF);  // another colour
    with(0, 1);            // byte 0
    with(14, 'X');         // another kind ("STANDX")
    with(19, 5);           // fixed word at 17
    with(21, 0x2B);        // fixed word at 21: another line type
    with(60, 7);           // inside the zeros after the sequence number
    with(125, 3);          // fixed word at 125
    with(133, 1);          // fixed word at 133
    with(297, 1);          // the last byte
    return lines;
}
