// A host security-information file from its layout: the record count at byte
// 8, records of (code, label byte at 271) at a base and a stride.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tests/expected_bytes.h"

inline Bytes stock_info_file(size_t base, size_t stride, const std::vector<std::pair<std::string, signed char>>& recs) {
    Bytes b(base + recs.size() * stride, 0x5A);
    b[8] = static_cast<unsigned char>(recs.size());
    for (size_t i = 0; i < recs.size(); ++i) {
        unsigned char* r = b.data() + base + i * stride;
        std::copy(recs[i].first.c_str(), recs[i].first.c_str() + recs[i].first.size() + 1, r);
        r[271] = static_cast<unsigned char>(recs[i].second);
    }
    return b;
}
