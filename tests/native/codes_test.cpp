// Display codes, code numbers, LableGet over the host's security-information
// files, and the bounded tick-flow slot table.
#include <fcntl.h>
#include <sys/stat.h>

#include <functional>
#include <string>

#include "common/codes.h"
#include "common/tick_flow_slots.h"
#include "formulas/exports.h"
#include "platform/portable_testing.h"
#include "tests/native/support.h"
#include "tests/stock_info_bytes.h"

TEST(Codes, PrefixesAndNumbers) {
    struct Case { const char* code; int flag; const char* want; };
    for (const Case& c : {Case{"000001", 0, "SZ0000"}, {"00700", 0, "HK0070"}, {"900901", 0, "B$9009"},
                          {"SH6000", 0, "SH6000"}, {"399001", 1, "SZ3990"}, {"SH0", 1, "B$SH0"}}) {
        Chart chart(1);
        chart.label = c.code, chart.label_flag = c.flag;
        char out[7];  // cut, never written past
        market_prefix(chart.ci(), out, sizeof out);
        EXPECT_STREQ(out, c.want) << c.code;
    }
    EXPECT_TRUE(prices_match(10.2345, 10.2355f));
    EXPECT_FALSE(prices_match(10.23, 10.2321f));
    EXPECT_EQ(code_number("  -12x"), -12);
    EXPECT_EQ(code_number("99999999999999"), 2147483647);  // saturates
}

TEST_F(HostTest, SlotTableSortedAndBounded) {
    reset_tick_flow_slots();
    // Keyed by market and number: the index SH000001 and the share
    // SZ000001 count apart, a prefixed label meets its plain twin, and
    // letter-led labels part by their letters.
    struct { const char* code; int flag, slot; } steps[] = {
        {"600000", 0, 0}, {"000001", 0, 1}, {"000001", 1, 0}, {"SZ000001", 0, 2}, {"SH600000", 0, 1},
        {"IF2401", 0, 0}, {"IC2401", 0, 0}, {"300001", 0, 5}, {"SH000001", 0, 2}};
    for (const auto& s : steps) EXPECT_EQ(skcode2fbno(s.code, s.flag), s.slot) << s.code << " " << s.flag;
    EXPECT_EQ(tick_flow_slot_count(), 6);
    reset_tick_flow_slots();
    for (int n = 0; n < kTickFlowSlotLimit; ++n) ASSERT_EQ(skcode2fbno(std::to_string(2 * n).c_str(), 0), n);
    EXPECT_EQ(skcode2fbno("1", 0), -1);  // the 4001st code is refused
    EXPECT_EQ(tick_flow_slot_count(), kTickFlowSlotLimit);
    EXPECT_NE(log_text().find("-> skcode2fbno 错误,skcode= 1"), std::string::npos);
    EXPECT_EQ(skcode2fbno("7998", 0), 3999);
    reset_tick_flow_slots();
}

TEST_F(HostTest, LableGetNewerFileFirstOlderOnlyWhenMissing) {
    for (const char* d : {"data", "data/SH", "data/SZ"}) make_dir(d);
    write_bytes("data/SH/STKINFO70.DAT", stock_info_file(17574, 320, {{"600001", 3}, {"600000", -10}}));
    write_bytes("data/SH/STKINFO60.DAT", stock_info_file(11259470, 273, {{"600002", 5}}));
    write_bytes("data/SZ/STKINFO60.DAT", stock_info_file(11259470, 273, {{"000002", 1}, {"000001", 127}}));
    struct Case { const char* code; int flag; int want; float slot; };
    for (const Case& k : {Case{"600000", 0, 2, -10}, {"000001", 0, 2, 127}, {"600002", 0, -1, -777},
                          {"60000", 0, -1, -777}, {"600001", 1, -1, -777}}) {
        Chart c(3);
        c.label = k.code, c.label_flag = k.flag;
        EXPECT_EQ(LableGet(&c.ci()), k.want) << k.code;
        EXPECT_EQ(c.result[2], k.slot) << k.code;
    }
    EXPECT_NE(log_text().find("-> GetStockInfo 没有找到股票: 600002"), std::string::npos);
    EXPECT_EQ(log_text().find("600001"), std::string::npos);  // an index is not looked up
    std::remove(at("data/SZ/STKINFO60.DAT").c_str());
    Chart c(1);
    c.label = "000001";
    EXPECT_EQ(LableGet(&c.ci()), -1);
    EXPECT_NE(log_text().find("-> 没找到文件 " + win("data/SZ/STKINFO60.DAT")), std::string::npos);
}

// The walk notes where each code's first record lies; while the file keeps
// its stamp a lookup seeks to that record and reads only it. A rewrite that
// keeps the stamp (in place, same size, the old time put back) moves the
// records under it: the record read no longer holds the code, or the code is
// one the index never met, and the walk is made anew.
TEST_F(HostTest, LableGetReadsTheRememberedRecordWhileTheFileKeepsItsStamp) {
    for (const char* d : {"data", "data/SH", "data/SZ"}) make_dir(d);
    const std::string newer = "data/SH/STKINFO70.DAT", older = "data/SZ/STKINFO60.DAT";
    auto keep_stamp = [this](const std::string& rel, const Bytes& b) {
        struct stat st;
        ASSERT_EQ(stat(at(rel).c_str(), &st), 0);
        write_bytes(rel, b);
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ASSERT_EQ(utimensat(AT_FDCWD, at(rel).c_str(), times, 0), 0);
    };
    write_bytes(newer, stock_info_file(17574, 320, {{"600001", 3}, {"600000", -10}, {"600000", 99}}));
    write_bytes(older, stock_info_file(11259470, 273, {{"000002", 1}, {"000001", 127}}));
    struct Step {
        const char* code;
        std::function<void()> before;
        float slot;
        int reads;  // read_file calls of the lookup
    };
    const Step steps[] = {
        {"600000", [] {}, -10, 2},  // header, one read of every record; the first record of the code counts
        {"600000", [] {}, -10, 1},  // the remembered record alone
        {"600001", [] {}, 3, 1},
        {"000001", [] {}, 127, 2},  // the 11 MB before the records are sought over, not read
        {"000001", [] {}, 127, 1},
        {"600001", [&] { write_bytes(newer, stock_info_file(17574, 320, {{"600000", 5}, {"600001", 6}})); }, 6, 2},
        {"600001", [&] { keep_stamp(newer, stock_info_file(17574, 320, {{"600001", 7}, {"600000", 8}})); }, 7, 3},
        {"600002", [&] { keep_stamp(newer, stock_info_file(17574, 320, {{"600002", 9}, {"600000", 8}})); }, 9, 2},
        {"600009", [] {}, -777, 2},  // not in the file: walked on every call, logged
        {"600009", [] {}, -777, 2},
    };
    for (const Step& s : steps) {
        s.before();
        Chart c(1);
        c.label = s.code;
        plat_testing::fail_nth(plat_testing::Op::read, 0);
        EXPECT_EQ(LableGet(&c.ci()), s.slot == -777 ? -1 : 0) << s.code;
        EXPECT_EQ(c.result[0], s.slot) << s.code;
        EXPECT_EQ(plat_testing::count_of(plat_testing::Op::read), s.reads) << s.code << " " << s.slot;
    }
}
