// Shared helpers of the data-file tests: expected self-data and day files
// built byte by byte from the 8-byte layouts, charts ending on a chosen day,
// and the self-data paths of the default settings.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/portable_testing.h"
#include "tests/native/support.h"

constexpr int32_t kDay = 86400;
constexpr int32_t kJan2 = 1704153600;  // 2024-01-02 00:00:00 UTC, the first bar of Chart

// Self-data content: (day, value) records, int32 then float, little-endian.
inline Bytes selfdata_bytes(const std::vector<std::pair<int32_t, float>>& records) {
    Bytes b;
    for (const auto& r : records) {
        put_i32(b, r.first);
        put_f32(b, r.second);
    }
    return b;
}

// A day chart of `n` bars whose last bar lies at the start of `last_day`,
// with parameter 1 the constant v and parameter 2 the data number k.
inline Chart chart_ending(int32_t last_day, float v, float k, int n = 10) {
    Chart c(n);
    c.set_bars(day_bars(std::vector<float>(static_cast<size_t>(n), 10.0f),
                        static_cast<int64_t>(last_day) - static_cast<int64_t>(n - 1) * kDay));
    c.constant(v);
    c.p2 = {k};
    return c;
}

// Self-data file of data number k for 600000 with the default settings.
inline std::string data_file(int k) { return "userdata/SelfData/DATA" + std::to_string(k) + "/SH600000.dat"; }

// A log line as written at the tests' fixed clock (2026-12-07 09:31:05).
inline std::string log_entry(const std::string& message) { return "\r\n26-12-07 09:31:05 -> " + message; }

// A host tree at the fixed clock, with the DATA11 directory for histories.
class DataFileTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        plat_testing::set_now(local_seconds(2026, 12, 7, 9, 31, 5));
        make_dir("userdata/SelfData/DATA11");  // for histories written by the tests
    }
};
