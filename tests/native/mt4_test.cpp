// Save2Mt4: the version-400 history file byte for byte against one built
// from the layout, symbols and file names, the posted reload command, and a
// failed write that leaves the old file to MT4.
#include <cstring>
#include <string>
#include <vector>

#include "bridges/mt4.h"
#include "platform/portable_testing.h"
#include "tests/native/support.h"

namespace {

Bytes history(const std::string& symbol, int32_t minutes, const std::vector<BarRecord>& bars) {
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

Chart chart(const char* label, int flag = 0, int period = kPeriodDay) {
    Chart c(4);
    c.label = label, c.label_flag = flag, c.period = period;
    c.bars = day_bars({10.5f, 11.25f, 9.75f, 12.0f}, 1000000000);
    c.bars[2].high = 13.5f, c.bars[2].low = 9.5f, c.bars[2].volume = 123456.0f;
    c.closes_series(1);
    return c;
}

}  // namespace

class Mt4Test : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        plat_testing::clear_posted_messages();
        make_dir("hst");
        write_text("TARVEX.ini", "[路径]\nMT4_HST_PATH=" + win("hst") + "\\\n");
    }
};

TEST_F(Mt4Test, WritesTheHistoryAndPostsTheReload) {
    write_bytes("SH600000-1440.HWND", {0xC3, 0xB2, 0xA1, 0x00});  // MT4_FILE_PATH defaults to module_dir
    Chart c = chart("600000");
    EXPECT_EQ(Save2Mt4(&c.ci()), 1);
    EXPECT_EQ(read_bytes("hst/SH6000001440.HST"), history("SH600000", 1440, {c.bars.begin() + 1, c.bars.end()}));
    EXPECT_EQ(c.result, std::vector<float>({-777.0f, 11.25f, 9.75f, 12.0f}));
    ASSERT_EQ(plat_testing::posted_messages().size(), 1u);
    const plat_testing::PostedMessage& m = plat_testing::posted_messages()[0];
    EXPECT_EQ(std::vector<uint32_t>({m.window, m.message, m.wparam}), std::vector<uint32_t>({0xA1B2C3, 0x111, 33324}));
    EXPECT_EQ(m.lparam, 0);
    write_bytes("SH600000-1440.HWND", {1, 2, 3});  // short: no failure, nothing posted
    EXPECT_EQ(Save2Mt4(&c.ci()), 1);
    EXPECT_EQ(plat_testing::posted_messages().size(), 1u);
    EXPECT_EQ(log_text(), "");
}

TEST_F(Mt4Test, SymbolsPeriodsAndRefusals) {
    struct Case { const char* label; int flag; int period; const char* file; const char* symbol; };
    for (const Case& k : {Case{"399001", 1, 3, "SZ3990011.HST", "SZ399001"}, {"000001", 1, 4, "SH0000015.HST", "SH000001"},
                          {"900901", 0, 5, "B$90090115.HST", "B$900901"}, {"00700", 0, 6, "HK0070030.HST", "HK00700"},
                          {"SH600000", 0, 9, "B$SH60000010080.HST", "B$SH600000"},
                          // 12 characters and more: cut to the field's 11, in the names too
                          {"ABCDEFGHIJKL", 0, 10, "B$ABCDEFGHI43200.HST", "B$ABCDEFGHI"}}) {
        Chart c = chart(k.label, k.flag, k.period);
        EXPECT_EQ(Save2Mt4(&c.ci()), 1) << k.label;
        Bytes file = read_bytes(std::string("hst/") + k.file);
        ASSERT_EQ(file.size(), 148u + 3 * 44) << k.file;
        Bytes field;
        put_text(field, k.symbol, 12);
        EXPECT_EQ(Bytes(file.begin() + 68, file.begin() + 80), field) << k.file;
    }
    for (int period : {1, 2, 11}) {
        Chart c = chart("600001", 0, period);
        EXPECT_EQ(Save2Mt4(&c.ci()), -1) << period;
    }
    Chart constant = chart("600001"), past_end = chart("600001");
    constant.constant(1);
    past_end.param1_start = 4;
    EXPECT_EQ(Save2Mt4(&constant.ci()), -1);
    EXPECT_EQ(Save2Mt4(&past_end.ci()), -1);
    EXPECT_FALSE(exists("hst/SH6000011440.HST"));
    EXPECT_EQ(log_text(), "");
    EXPECT_TRUE(plat_testing::posted_messages().empty());
}

TEST_F(Mt4Test, FailuresLeaveTheOldFile) {
    write_text("hst/SH6000001440.HST", "old");
    write_bytes("SH600000-1440.HWND", {1, 0, 0, 0});
    for (plat_testing::Op op : {plat_testing::Op::open, plat_testing::Op::write, plat_testing::Op::rename}) {
        plat_testing::fail_nth(op, 1);
        Chart f = chart("600000");
        EXPECT_EQ(Save2Mt4(&f.ci()), -1);
        EXPECT_EQ(read_bytes("hst/SH6000001440.HST"), Bytes({'o', 'l', 'd'}));
        EXPECT_EQ(f.result[3], -777.0f);
        EXPECT_FALSE(exists("hst/SH6000001440.HST.tarvex-new"));
    }
    EXPECT_NE(log_text().find("-> Save2Mt4 写文件失败 " + win("hst/SH6000001440.HST")), std::string::npos);
    EXPECT_TRUE(plat_testing::posted_messages().empty());
    write_text("TARVEX.ini", "[路径]\nMT4_HST_PATH=\n");
    Chart c = chart("600000");
    EXPECT_EQ(Save2Mt4(&c.ci()), -1);
    EXPECT_NE(log_text().find("-> MT4 路径未设置"), std::string::npos);
}
