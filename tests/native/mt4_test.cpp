// Save2Mt4: the history file byte for byte against one built from the
// version-400 layout, symbols and names, the posted reload command, and
// failed writes that leave the old file to MT4.
#include <cstring>
#include <string>
#include <vector>

#include "bridges/mt4.h"
#include "platform/portable_testing.h"
#include "platform/windows_testing.h"
#include "tests/native/support.h"

static Bytes history(const std::string& symbol, int32_t minutes, const std::vector<BarRecord>& bars) {
    Bytes b;
    put_i32(b, 400);
    put_text(b, "(C)opyright 2003, MetaQuotes Software Corp.", 64);
    put_text(b, symbol, 12);
    put_i32(b, minutes);
    put_i32(b, 2);
    b.resize(148, 0);
    for (const BarRecord& r : bars) {
        put_i32(b, r.time + 28800);
        for (double v : {r.open, r.low, r.high, r.close, r.volume}) {
            uint64_t u;
            std::memcpy(&u, &v, 8);
            put_u32(b, static_cast<uint32_t>(u)), put_u32(b, static_cast<uint32_t>(u >> 32));
        }
    }
    return b;
}

static Chart chart(const char* label, int flag = 0, int period = kPeriodDay) {
    Chart c(4);
    c.label = label, c.label_flag = flag, c.period = period;
    c.bars = day_bars({10.5f, 11.25f, 9.75f, 12.0f}, 1000000000);
    c.bars[2].high = 13.5f, c.bars[2].low = 9.5f, c.bars[2].volume = 123456.0f;
    c.closes_series(1);
    return c;
}

TEST_F(HostTest, Save2Mt4WritesNamesAndPosts) {
    plat_windows_testing::reset();
    plat::Window mt4 = plat_windows_testing::add_window(0, "MetaQuotes::MetaTrader::4.00", "MT4");
    Bytes handle;
    put_u32(handle, mt4);
    write_bytes("SH600000-1440.HWND", handle);
    write_bytes("SZ399001-1.HWND", {1, 2, 3});   // short: no failure, nothing posted
    struct Case { const char* label; int flag; int period; const char* file; const char* symbol; int minutes; };
    for (const Case& k : {Case{"600000", 0, 8, "SH6000001440.HST", "SH600000", 1440},
                          {"399001", 1, 3, "SZ3990011.HST", "SZ399001", 1},
                          {"SH600000", 0, 9, "B$SH60000010080.HST", "B$SH600000", 10080},
                          {"ABCDEFGHIJKL", 0, 10, "B$ABCDEFGHI43200.HST", "B$ABCDEFGHI", 43200}}) {  // cut to 11
        Chart c = chart(k.label, k.flag, k.period);
        EXPECT_EQ(Save2Mt4(&c.ci()), 1);
        EXPECT_EQ(read_bytes(k.file), history(k.symbol, k.minutes, {c.bars.begin() + 1, c.bars.end()})) << k.file;
        EXPECT_EQ(c.result, std::vector<float>({-777.0f, 11.25f, 9.75f, 12.0f}));
    }
    EXPECT_EQ(plat_windows_testing::record(), std::vector<std::string>({std::to_string(mt4) + " post 273 33324 0"}));
    Chart tick = chart("600001", 0, kPeriodTick), constant = chart("600001");
    constant.constant(1);
    EXPECT_EQ(Save2Mt4(&tick.ci()), -1);
    EXPECT_EQ(Save2Mt4(&constant.ci()), -1);
    EXPECT_FALSE(exists("SH6000011440.HST"));
    EXPECT_EQ(log_text(), "");
}

TEST_F(HostTest, Save2Mt4RehearsedWritesAndPostsNothing) {
    plat_windows_testing::reset();
    plat::Window mt4 = plat_windows_testing::add_window(0, "MetaQuotes::MetaTrader::4.00", "MT4");
    Bytes handle;
    put_u32(handle, mt4);
    write_bytes("SH600000-1440.HWND", handle);
    write_text("TARVEX.ini", "[安全]\n演练=1\n");
    Chart c = chart("600000", 0, 8);
    EXPECT_EQ(Save2Mt4(&c.ci()), 1);
    EXPECT_EQ(c.result, std::vector<float>({-777.0f, 11.25f, 9.75f, 12.0f}));
    EXPECT_FALSE(exists("SH6000001440.HST"));
    EXPECT_TRUE(plat_windows_testing::record().empty());
    const std::string log = log_text();
    for (const std::string& line : {"-> 演练: Save2Mt4 会改写 " + win("SH6000001440.HST") + " (",
                                   "-> 演练: Save2Mt4 会向 MT4 窗口 " + std::to_string(mt4) + " 投递重新读取命令 (SH600000,1440)"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
}

TEST_F(HostTest, Save2Mt4FailuresLeaveTheOldFile) {
    write_text("SH6000001440.HST", "old");
    // The writing steps of the rewrite (its first open reads the old content).
    const std::pair<plat_testing::Op, int> steps[] = {
        {plat_testing::Op::open, 2}, {plat_testing::Op::write, 1}, {plat_testing::Op::flush, 1},
        {plat_testing::Op::rename, 1}};
    for (const auto& step : steps) {
        plat_testing::fail_nth(step.first, step.second);
        Chart f = chart("600000");
        EXPECT_EQ(Save2Mt4(&f.ci()), -1);
        EXPECT_EQ(read_bytes("SH6000001440.HST"), Bytes({'o', 'l', 'd'}));
        EXPECT_EQ(f.result[3], -777.0f);
    }
    EXPECT_NE(log_text().find("-> Save2Mt4 写文件失败 " + win("SH6000001440.HST")), std::string::npos);
    write_text("TARVEX.ini", "[路径]\nMT4_HST_PATH=\n");
    Chart c = chart("600000");
    EXPECT_EQ(Save2Mt4(&c.ci()), -1);
    EXPECT_NE(log_text().find("-> MT4 路径未设置"), std::string::npos);
}
