// Builders for the host's investment and alert files, written byte by byte
// from their layouts and independent of the library's own readers. Shared
// by the native and the Wine suites.
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

// One 44-byte trade record: 2 bytes the library skips, the 10-byte code
// field, kind, time, then price, quantity and fee rate as doubles.
struct InvTrade {
    std::string code;
    uint32_t kind;
    int32_t time;
    double price;
    double quantity;
    double fee_rate = 0.0;
};

// An investment file: a 520-byte header of the host's (bytes 0xA5 here, so
// that a reader taking it for records would be caught), then the records.
inline Bytes investment_file(const std::vector<InvTrade>& trades) {
    Bytes b(520, 0xA5);
    for (const InvTrade& t : trades) {
        b.push_back(0x11);
        b.push_back(0x22);
        put_text(b, t.code, 10);
        put_u32(b, t.kind);
        put_i32(b, t.time);
        put_f64(b, t.price);
        put_f64(b, t.quantity);
        put_f64(b, t.fee_rate);
    }
    return b;
}

// An alert-type definition of 146 bytes: 4 host bytes, the name in 24, 118
// host bytes. The host bytes carry a pattern so that a rewrite that loses
// or moves any of them shows.
inline Bytes alert_definition(const std::string& name, unsigned char tag) {
    Bytes b;
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(tag + i));
    put_text(b, name, 24);
    for (int i = 0; i < 118; ++i) b.push_back(static_cast<unsigned char>(tag ^ i));
    return b;
}

// The head of the alert file: header word, type count, definitions, end flag.
inline Bytes alert_head(const std::vector<std::string>& names, uint32_t type_count) {
    Bytes b;
    put_u32(b, 0x12345678u);
    put_u32(b, type_count);
    for (size_t i = 0; i < names.size(); ++i) {
        Bytes d = alert_definition(names[i], static_cast<unsigned char>(0x30 + i));
        b.insert(b.end(), d.begin(), d.end());
    }
    put_u32(b, 0xCAFEF00Du);
    return b;
}

// A raised alert of 52 bytes: code in 16 (8 read), time, 8 host bytes, type name in 24.
inline Bytes alert_record(const std::string& code, int32_t time, const std::string& type_name) {
    Bytes b;
    put_text(b, code, 16);
    put_i32(b, time);
    for (int i = 0; i < 8; ++i) b.push_back(0xEE);
    put_text(b, type_name, 24);
    return b;
}
