// The host's security-information files built from their byte layout: the
// record count at byte 8, then records at a base offset and a stride, each
// beginning with the NUL-terminated code and carrying a label byte at 271.
// Shared by the native and the Wine suites.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tests/expected_bytes.h"

struct StockInfoLayout {
    const char* name;
    size_t base;
    size_t stride;
};
const StockInfoLayout kStkInfo70 = {"STKINFO70.DAT", 17574, 320};
const StockInfoLayout kStkInfo60 = {"STKINFO60.DAT", 11259470, 273};

// Records of (code, label byte); every other byte of a record is 0x5A.
inline Bytes stock_info_file(const StockInfoLayout& layout, const std::vector<std::pair<std::string, signed char>>& recs) {
    Bytes b(layout.base + recs.size() * layout.stride, 0);
    b[8] = static_cast<unsigned char>(recs.size());
    for (size_t i = 0; i < recs.size(); ++i) {
        unsigned char* r = b.data() + layout.base + i * layout.stride;
        std::fill(r, r + layout.stride, 0x5A);
        std::copy(recs[i].first.begin(), recs[i].first.end(), r);
        r[recs[i].first.size()] = 0;
        r[271] = static_cast<unsigned char>(recs[i].second);
    }
    return b;
}
