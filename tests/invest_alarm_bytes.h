// Builders for the host's investment and alert files, written byte by byte
// from their layouts, independent of the library's readers. Shared by the
// native and the Wine suites.
#pragma once

#include <string>
#include <vector>

#include "tests/expected_bytes.h"

inline void put_f64(Bytes& b, double v) {
    uint64_t u;
    std::memcpy(&u, &v, 8);
    put_u32(b, static_cast<uint32_t>(u));
    put_u32(b, static_cast<uint32_t>(u >> 32));
}

struct InvTrade {
    std::string code;
    uint32_t kind;
    int32_t time;
    double price, quantity, fee_rate;
};

// 520 header bytes (0xA5, so a reader taking them for records is caught),
// then 44-byte records: 2 skipped bytes, code in 10, kind, time, 3 doubles.
inline Bytes investment_file(const std::vector<InvTrade>& trades) {
    Bytes b(520, 0xA5);
    for (const InvTrade& t : trades) {
        b.push_back(0x11);
        b.push_back(0x22);
        put_text(b, t.code, 10);
        put_u32(b, t.kind);
        put_i32(b, t.time);
        for (double d : {t.price, t.quantity, t.fee_rate}) put_f64(b, d);
    }
    return b;
}

// Header word, type count, 146-byte definitions (name at 4 in 24 bytes; the
// host's bytes patterned so that a rewrite losing any of them shows), end flag.
inline Bytes alert_head(const std::vector<std::string>& names, uint32_t type_count) {
    Bytes b;
    put_u32(b, 0x12345678u);
    put_u32(b, type_count);
    for (size_t i = 0; i < names.size(); ++i) {
        put_u32(b, static_cast<uint32_t>(0x30 + i));
        put_text(b, names[i], 24);
        for (int k = 0; k < 118; ++k) b.push_back(static_cast<unsigned char>((0x30 + i) ^ k));
    }
    put_u32(b, 0xCAFEF00Du);
    return b;
}

// A 52-byte raised alert: code in 16, time, 8 host bytes, type name in 24.
inline Bytes alert_record(const std::string& code, int32_t time, const std::string& type_name) {
    Bytes b;
    put_text(b, code, 16);
    put_i32(b, time);
    b.insert(b.end(), 8, 0xEE);
    put_text(b, type_name, 24);
    return b;
}
