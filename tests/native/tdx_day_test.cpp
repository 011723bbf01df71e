// The harness's TDX day-file reader against records built byte by byte from
// the terminal's public layout, the security taken from the file name, and
// the docs' sample day file against the sample CSV of the same bars.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "tests/expected_bytes.h"
#include "tools/harness/lib/bars_input.h"
#include "tools/harness/lib/tdx_day.h"

namespace {

struct DayRecord {
    uint32_t date, open, high, low, close;
    float amount;
    uint32_t volume;
};

Bytes day_bytes(const std::vector<DayRecord>& records) {
    Bytes b;
    for (const DayRecord& r : records) {
        put_u32(b, r.date);
        put_u32(b, r.open);
        put_u32(b, r.high);
        put_u32(b, r.low);
        put_u32(b, r.close);
        put_f32(b, r.amount);
        put_u32(b, r.volume);
        put_u32(b, 0xDEADBEEF);  // reserved: never read
    }
    return b;
}

bool parse(const Bytes& b, std::vector<BarRecord>* bars, std::string* error) {
    return parse_tdx_day(b.data(), b.size(), bars, error);
}

TEST(TdxDay, RecordsBecomeDayBars) {
    Bytes b = day_bytes({{20240918, 835, 845, 826, 832, 167778128.0f, 20139428},
                         {20240919, 837, 853, 830, 852, 330778720.0f, 4000000000u},
                         {19700101, 1, 2, 0, 1, 0.5f, 0}});
    b.resize(64);  // the third record goes
    std::vector<BarRecord> bars;
    std::string error;
    ASSERT_TRUE(parse(b, &bars, &error)) << error;
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[0].time, 1726617600);  // 2024-09-18 00:00:00 UTC, as the host stamps day bars
    EXPECT_EQ(bars[1].time, 1726704000);
    EXPECT_EQ(bars[0].open, 8.35f);
    EXPECT_EQ(bars[0].high, 8.45f);
    EXPECT_EQ(bars[0].low, 8.26f);
    EXPECT_EQ(bars[0].close, 8.32f);
    EXPECT_EQ(bars[0].amount, 167778128.0f);
    EXPECT_EQ(bars[0].volume, 20139428.0f);
    EXPECT_EQ(bars[1].volume, 4e9f);  // the whole unsigned range
    EXPECT_EQ(bars[1].close, 8.52f);
    EXPECT_EQ(bars[0].extra, 0u);
}

TEST(TdxDay, BadFilesAreRefusedWithTheRecord) {
    struct Case {
        const char* what;
        std::vector<DayRecord> records;
        int extra_bytes;
        const char* says;
    } cases[] = {
        {"empty", {}, 0, "no bars"},
        {"a cut record", {{20240102, 1, 1, 1, 1, 0, 0}}, 5, "37 bytes"},
        {"no such day", {{20240102, 1, 1, 1, 1, 0, 0}, {20230229, 1, 1, 1, 1, 0, 0}}, 0, "record 2: 20230229"},
        {"month 13", {{20241301, 1, 1, 1, 1, 0, 0}}, 0, "record 1"},
        {"before 1970", {{19691231, 1, 1, 1, 1, 0, 0}}, 0, "no date"},
        {"past 2038", {{20380120, 1, 1, 1, 1, 0, 0}}, 0, "no date"},
        {"dates going back", {{20240103, 1, 1, 1, 1, 0, 0}, {20240102, 1, 1, 1, 1, 0, 0}}, 0, "record 2"},
        {"a date twice", {{20240103, 1, 1, 1, 1, 0, 0}, {20240103, 1, 1, 1, 1, 0, 0}}, 0, "does not come after"},
    };
    for (const Case& c : cases) {
        Bytes b = day_bytes(c.records);
        b.resize(b.size() + c.extra_bytes, 0);
        std::vector<BarRecord> bars;
        std::string error;
        EXPECT_FALSE(parse(b, &bars, &error)) << c.what;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.what << ": " << error;
    }
    std::vector<BarRecord> bars;
    std::string error;
    EXPECT_TRUE(parse(day_bytes({{20000229, 1, 1, 1, 1, 0, 0}, {20380119, 1, 1, 1, 1, 0, 0}}), &bars, &error)) << error;
}

TEST(TdxDay, SecurityFromTheFileName) {
    struct Case {
        const char* path;
        const char* code;
        const char* market;
        bool index;
    } good[] = {
        {"sh600000.day", "600000", "SH", false},
        {"C:\\new_tdx\\vipdoc\\sz\\lday\\SZ000001.DAY", "000001", "SZ", false},
        {"vipdoc/sh/lday/sh000001.day", "000001", "SH", true},  // 上证指数
        {"sz399006.day", "399006", "SZ", true},
        {"sh880001.day", "880001", "SH", false},
        {"bj430047.day", "430047", "BJ", false},
    };
    for (const Case& c : good) {
        TdxDaySecurity s;
        std::string error;
        ASSERT_TRUE(tdx_day_security(c.path, &s, &error)) << c.path;
        EXPECT_EQ(s.code, c.code);
        EXPECT_EQ(s.market, c.market);
        EXPECT_EQ(s.index, c.index) << c.path;
    }
    for (const char* bad : {"600000.day", "sh60000.day", "sh600000.lc1", "hk00700.day", "sh6000a0.day", "sh600000.day.bak"}) {
        TdxDaySecurity s;
        std::string error;
        EXPECT_FALSE(tdx_day_security(bad, &s, &error)) << bad;
        EXPECT_NE(error.find("sh600000.day"), std::string::npos);
    }
}

Bytes file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(TdxDay, DocsSampleMatchesTheSampleCsv) {
    std::string dir = std::string(TARVEX_SOURCE_DIR) + "/docs/samples/";
    Bytes day = file(dir + "sh600000.day"), csv = file(dir + "day_bars.csv");
    std::vector<BarRecord> from_day, from_csv;
    std::string error;
    ASSERT_TRUE(parse(day, &from_day, &error)) << error;
    ASSERT_TRUE(parse_bars_csv(std::string(csv.begin(), csv.end()), &from_csv, &error)) << error;
    ASSERT_EQ(from_day.size(), from_csv.size());
    ASSERT_GE(from_day.size(), 200u);
    for (size_t i = 0; i < from_day.size(); ++i) {
        const BarRecord &d = from_day[i], &c = from_csv[i];
        EXPECT_EQ(d.time, c.time) << i;
        EXPECT_EQ(d.open, c.open) << i;
        EXPECT_EQ(d.high, c.high) << i;
        EXPECT_EQ(d.low, c.low) << i;
        EXPECT_EQ(d.close, c.close) << i;
        EXPECT_EQ(d.volume, c.volume) << i;
        EXPECT_NEAR(d.amount, c.amount, std::fabs(c.amount) * 1e-6) << i;
    }
}

}  // namespace
