// Save2Mt4: the version-400 history file byte for byte against one built
// from the layout, the symbols and file names, the posted reload command,
// and a failed write that leaves the old file to MT4.
#include <cstring>
#include <string>
#include <vector>

#include "bridges/mt4.h"
#include "platform/portable_testing.h"
#include "tests/native/support.h"

namespace {

void put_f64(Bytes& b, double v) {
    uint64_t u;
    std::memcpy(&u, &v, 8);
    put_u32(b, static_cast<uint32_t>(u));
    put_u32(b, static_cast<uint32_t>(u >> 32));
}

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
        for (float v : {r.open, r.low, r.high, r.close, r.volume}) put_f64(b, v);
    }
    return b;
}

}  // namespace

class Mt4Test : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        plat_testing::clear_posted_messages();
        make_dir("hst");
        make_dir("hwnd");
        write_text("TARVEX.ini", "[路径]\nMT4_HST_PATH=" + win("hst") + "\\\nMT4_FILE_PATH=" + win("hwnd") + "\\\n");
    }
    static Chart day_chart(const char* label, int flag, int period = kPeriodDay) {
        Chart c(4);
        c.label = label;
        c.label_flag = flag;
        c.period = period;
        c.bars = day_bars({10.5f, 11.25f, 9.75f, 12.0f}, 1000000000);
        c.bars[2].high = 13.5f;
        c.bars[2].low = 9.5f;
        c.bars[2].volume = 123456.0f;
        c.closes_series(1);
        return c;
    }
};

TEST_F(Mt4Test, WritesTheHistoryAndPostsTheReload) {
    Bytes handle;
    put_u32(handle, 0x00A1B2C3u);
    write_bytes("hwnd/SH600000-1440.HWND", handle);
    Chart c = day_chart("600000", 0);
    EXPECT_EQ(Save2Mt4(&c.ci()), 1);
    std::vector<BarRecord> exported(c.bars.begin() + 1, c.bars.end());
    Bytes file = read_bytes("hst/SH6000001440.HST");
    EXPECT_EQ(file, history("SH600000", 1440, exported));
    Bytes first_time(file.begin() + 148, file.begin() + 152);
    Bytes want_time;
    put_i32(want_time, 1000086400 + 28800);  // bar time 1000086400 moved by 8 hours
    EXPECT_EQ(first_time, want_time);
    std::vector<float> want = {-777.0f, 11.25f, 9.75f, 12.0f};
    EXPECT_EQ(c.result, want);
    ASSERT_EQ(plat_testing::posted_messages().size(), 1u);
    const plat_testing::PostedMessage& m = plat_testing::posted_messages()[0];
    EXPECT_EQ(m.window, 0x00A1B2C3u);
    EXPECT_EQ(m.message, 0x111u);
    EXPECT_EQ(m.wparam, 33324u);
    EXPECT_EQ(m.lparam, 0);
    EXPECT_EQ(log_text(), "");

    // A short window-handle file is no failure, and nothing is posted.
    write_bytes("hwnd/SH600000-1440.HWND", {1, 2, 3});
    EXPECT_EQ(Save2Mt4(&c.ci()), 1);
    EXPECT_EQ(plat_testing::posted_messages().size(), 1u);
}

TEST_F(Mt4Test, SymbolsPeriodsAndNames) {
    struct Case { const char* label; int flag; int period; const char* file; const char* symbol; };
    const Case cases[] = {
        {"399001", 1, kPeriodMin1, "SZ3990011.HST", "SZ399001"},
        {"000001", 1, kPeriodMin5, "SH0000015.HST", "SH000001"},
        {"900901", 0, kPeriodMin15, "B$90090115.HST", "B$900901"},
        {"00700", 0, kPeriodMin30, "HK0070030.HST", "HK00700"},
        {"000002", 0, kPeriodMin60, "SZ00000260.HST", "SZ000002"},
        {"SH600000", 0, kPeriodWeek, "B$SH60000010080.HST", "B$SH600000"},
        // 12 characters and more are cut to the field's 11, in the names too.
        {"ABCDEFGHIJKL", 0, kPeriodMonth, "B$ABCDEFGHI43200.HST", "B$ABCDEFGHI"},
    };
    for (const Case& k : cases) {
        Chart c = day_chart(k.label, k.flag, k.period);
        EXPECT_EQ(Save2Mt4(&c.ci()), 1) << k.label;
        Bytes file = read_bytes(std::string("hst/") + k.file);
        ASSERT_EQ(file.size(), 148u + 3 * 44) << k.file;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[68])), k.symbol);
        EXPECT_EQ(file[79], 0);
    }
    for (int period : {0, 1, 2, 11}) {
        Chart c = day_chart("600000", 0, period);
        EXPECT_EQ(Save2Mt4(&c.ci()), -1) << period;
    }
    Chart constant = day_chart("600000", 0);
    constant.constant(1);
    EXPECT_EQ(Save2Mt4(&constant.ci()), -1);
    Chart past_end = day_chart("600000", 0);
    past_end.param1_start = 4;
    EXPECT_EQ(Save2Mt4(&past_end.ci()), -1);
    EXPECT_FALSE(exists("hst/SH6000001440.HST"));
    EXPECT_EQ(log_text(), "");
    EXPECT_TRUE(plat_testing::posted_messages().empty());  // no window-handle files
}

TEST_F(Mt4Test, FailuresLeaveTheOldFile) {
    write_text("TARVEX.ini", "[路径]\nMT4_HST_PATH=\n");
    Chart c = day_chart("600000", 0);
    EXPECT_EQ(Save2Mt4(&c.ci()), -1);
    EXPECT_NE(log_text().find("-> MT4 路径未设置"), std::string::npos);

    write_text("TARVEX.ini", "[路径]\nMT4_HST_PATH=" + win("hst") + "\\\n");
    write_text("hst/SH6000001440.HST", "old history");
    write_bytes("SH600000-1440.HWND", {1, 0, 0, 0});
    for (plat_testing::Op op : {plat_testing::Op::open, plat_testing::Op::write, plat_testing::Op::rename}) {
        plat_testing::fail_nth(op, 1);
        Chart f = day_chart("600000", 0);
        EXPECT_EQ(Save2Mt4(&f.ci()), -1);
        EXPECT_EQ(read_bytes("hst/SH6000001440.HST"), Bytes({'o', 'l', 'd', ' ', 'h', 'i', 's', 't', 'o', 'r', 'y'}));
        EXPECT_EQ(f.result[3], -777.0f);
        EXPECT_FALSE(exists("hst/SH6000001440.HST.tarvex-new"));
    }
    plat_testing::reset_faults();
    EXPECT_NE(log_text().find("-> Save2Mt4 写文件失败 " + win("hst/SH6000001440.HST")), std::string::npos);
    EXPECT_TRUE(plat_testing::posted_messages().empty());
    EXPECT_EQ(Save2Mt4(&c.ci()), 1);  // MT4_FILE_PATH defaults to module_dir
    EXPECT_EQ(plat_testing::posted_messages().size(), 1u);
}
