// Shared pieces of the block tests: expected block files built from the byte
// layout (header word, then 8-byte code + 4 zero bytes per record), a fixed
// clock for exact log lines, and charts for the block exports.
#pragma once

#include <string>
#include <vector>

#include "platform/portable_testing.h"
#include "tests/native/support.h"

inline Bytes block_bytes(const std::vector<std::string>& codes, uint32_t header = 0xFF5100A5u) {
    return block_file_bytes(codes, header);
}

// n distinct Shenzhen keys SZ100000, SZ100001, ...
inline std::vector<std::string> many_codes(int n) {
    std::vector<std::string> v;
    for (int i = 0; i < n; ++i) v.push_back("SZ" + std::to_string(100000 + i));
    return v;
}

class BlocksTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        plat_testing::set_now(local_seconds(2026, 12, 7, 9, 31, 5));
    }
    // The start of every log line at the fixed clock.
    static std::string stamp() { return "\r\n26-12-07 09:31:05 -> "; }
    // Native and library spellings of numbered block n under the host tree.
    static std::string blk(int n) { return "userdata/block/自选股" + std::to_string(n) + ".BLK"; }
    std::string wblk(int n) const { return win(blk(n)); }
    // A one-bar-per-day chart calling with param1 = p1, param2 = block.
    static Chart block_chart(const std::string& label, float p1, float block) {
        Chart c(3);
        c.label = label;
        c.constant(p1);
        c.p2 = {block};
        return c;
    }
};
