// The block exports through their exact symbols, as the host calls them,
// with the block files checked byte for byte afterwards.
#include <cmath>

#include "tests/wine/fixture_process.h"
#include "tests/wine/fixtures/host_windows.h"
#include "tests/wine/wine_check.h"

namespace {

Chart block_chart(const char* label, float p1, float block) {
    Chart c(3);
    c.label = label;
    c.constant(p1);
    c.p2 = {block};
    return c;
}

const char kBlock3[] = "userdata\\block\\自选股3.BLK";

}  // namespace

WINE_TEST(blocks_save2blk_builds_a_block_bknumb_and_inblock_read_it) {
    remove_file(kBlock3);
    Chart c = block_chart("600000", 1, 3);
    CHECK_EQ(call("save2blk", c), 2);
    CHECK_EQ(c.result[2], 1.0f);
    CHECK(log_text().find(host_path(kBlock3) + " save2blk 重建成功") != std::string::npos);
    CHECK(log_text().find(host_path(kBlock3) + " SH600000  +OK 0") != std::string::npos);
    c.label = "00700";
    CHECK_EQ(call("save2blk", c), 2);
    CHECK_EQ(c.result[2], 2.0f);
    c.label = "000001";
    c.p3 = {1};
    CHECK_EQ(call("save2blk", c), 2);
    CHECK_EQ(c.result[2], 3.0f);
    CHECK_EQ(call("save2blk", c), 2);  // already there: the size, no duplicate
    CHECK_EQ(c.result[2], 3.0f);
    Chart code = block_chart("", 601988.0f, 3);
    CHECK_EQ(call("saveInt2blk", code), 2);
    CHECK_EQ(code.result[2], 601988.0f);
    CHECK(read_bytes(kBlock3) == block_file_bytes({"SZ000001", "SH600000", "HK00700", "SH601988"}));

    Chart count(2);
    count.constant(3);
    CHECK_EQ(call("bknumb", count), 1);
    CHECK_EQ(count.result[1], 4.0f);
    CHECK_EQ(count.result[0], -777.0f);
    Chart ask = block_chart("601988", 1, 3);
    CHECK_EQ(call("inblock", ask), 2);
    CHECK_EQ(ask.result[2], 1.0f);
    ask.label = "00700";  // inblock looks for SZ00700
    CHECK_EQ(call("inblock", ask), 2);
    CHECK_EQ(ask.result[2], 0.0f);
    remove_file(kBlock3);
}

WINE_TEST(blocks_large_block_keeps_every_record) {
    std::vector<std::string> codes;
    for (int i = 0; i < 600; ++i) codes.push_back("SZ" + std::to_string(100000 + i));
    write_bytes(kBlock3, block_file_bytes(codes));
    Chart c = block_chart("SH600000", 1, 3);
    c.p3 = {1};
    CHECK_EQ(call("save2blk", c), 2);
    CHECK_EQ(c.result[2], 601.0f);
    codes.insert(codes.begin(), "SH600000");
    CHECK(read_bytes(kBlock3) == block_file_bytes(codes));
    Chart count(1);
    count.constant(3);
    CHECK_EQ(call("bknumb", count), 0);
    CHECK_EQ(count.result[0], 601.0f);
    remove_file(kBlock3);
}

WINE_TEST(blocks_inblock_refuses_another_format) {
    write_bytes("userdata\\block\\龙头股2.BLK", block_file_bytes({"SH600000"}, 0xFF5100A6u));
    Chart c = block_chart("600000", 2, 2);
    CHECK_EQ(call("inblock", c), -1);
    CHECK_EQ(c.result[2], -777.0f);
    CHECK(log_text().find("inblock error 当前不是大智慧6.0.3版本") != std::string::npos);
    remove_file("userdata\\block\\龙头股2.BLK");
    clear_log();
    Chart none(1);  // param1 absent: block 0, which does not exist
    CHECK_EQ(call("bknumb", none), 0);
    CHECK_EQ(none.result[0], 0.0f);
    CHECK(log_text().find("Sknumber_in_block 打开文件 " + host_path("userdata\\block\\自选股0.BLK") + " 失败") !=
          std::string::npos);
}

// Every writer before a block of another format (a header word not the
// host's), the key among its records or not: the file stays byte for byte
// and the writer says why. save2blk0 is reached as the host reaches it,
// through a new row of the host's alert window.
WINE_TEST(blocks_every_writer_leaves_a_block_of_another_format) {
    const Bytes foreign = block_file_bytes({"SZ000001", "SH600000"}, 0xFF5100A6u);
    struct Row {
        const char* function;
        const char* label;
        float p1, first;
        int rc;
        float slot;
        const char* key;
    };
    const Row rows[] = {
        {"save2blk", "000002", 1, 0, 2, 0, "SZ000002"},    {"save2blk", "000002", 1, 1, 2, 0, "SZ000002"},
        {"save2blk", "600000", 1, 0, 2, 0, "SH600000"},    {"saveInt2blk", "", 2, 0, 2, 0, "SZ000002"},
        {"saveInt2blk", "", 2, 1, 2, 0, "SZ000002"},       {"del2blk", "600000", 1, 0, -1, -777, "SH600000"},
        {"del2blk", "000002", 1, 0, -1, -777, "SZ000002"},
    };
    for (const Row& r : rows) {
        write_bytes(kBlock3, foreign);
        clear_log();
        Chart c = block_chart(r.label, r.p1, 3);
        c.p3 = {r.first};
        CHECK_EQ(call(r.function, c), r.rc);
        CHECK_EQ(c.result[2], r.slot);
        CHECK_EQ(read_bytes(kBlock3), foreign);
        const std::string why = std::string(r.key) + " " + r.function + " 不是大智慧6.0.3版本的板块,未改动";
        CHECK(log_text().find(host_path(kBlock3) + " " + why) != std::string::npos);
    }
    remove_file(kBlock3);

    const char kAlertBlock[] = "userdata\\block\\外格式.BLK";
    write_bytes(kAlertBlock, foreign);
    HostWindows host = open_host_windows();
    Chart alarm(3);
    alarm.label = "BLKFMT0";  // the list still empty: whatever an earlier test left handled is forgotten
    CHECK_EQ(call("get_alarm_data", alarm), 0);
    const char* row[kAlertColumns] = {"000002", "外格式", "03-15 10:30:00", "1"};
    add_list_row(host.alert_list, row, kAlertColumns);
    alarm.label = "BLKFMT1";
    clear_log();
    CHECK_EQ(call("get_alarm_data", alarm), 0);
    // Emptied and read once more: the bridge forgets the row, as the later tests expect.
    SendMessageA(host.alert_list, LVM_DELETEALLITEMS, 0, 0);
    alarm.label = "BLKFMT2";
    CHECK_EQ(call("get_alarm_data", alarm), 0);
    close_host_windows(host);
    CHECK_EQ(read_bytes(kAlertBlock), foreign);
    CHECK(log_text().find(host_path(kAlertBlock) + " SZ000002 save2blk0 不是大智慧6.0.3版本的板块,未改动") !=
          std::string::npos);
    remove_file(kAlertBlock);
}

// A screening run over a market of ten: save2blk(X, 6) and del2blk(NOT(X), 6)
// for every security, twice, X changing between the runs. After each run
// block 6 holds the securities whose X holds, beside the one the user put
// there by hand, in the order they came; an undefined X leaves its security
// as it was.
WINE_TEST(blocks_follow_a_condition_over_a_market) {
    const char kBlock6[] = "userdata\\block\\自选股6.BLK";
    const char* market[] = {"600000", "600036", "601988", "000001", "000002",
                            "300750", "00700",  "002594", "600519", "SH688001"};
    const float U = NAN;
    const float runs[2][10] = {{1, 0, 1, 1, 0, 1, 0, 1, 0, 1}, {0, 1, 1, U, U, 0, 1, 0, 1, 0}};
    const std::vector<std::string> blocks[2] = {
        {"HK00005", "SH600000", "SH601988", "SZ000001", "SZ300750", "SZ002594", "SH688001"},
        {"HK00005", "SH601988", "SZ000001", "SH600036", "HK00700", "SH600519"}};
    write_bytes(kBlock6, block_file_bytes({"HK00005"}));
    for (int run = 0; run < 2; ++run) {
        for (int i = 0; i < 10; ++i) {
            float x = runs[run][i];
            Chart add = block_chart(market[i], x, 6), del = block_chart(market[i], std::isnan(x) ? x : !x, 6);
            CHECK_EQ(call("save2blk", add), 2);
            CHECK_EQ(call("del2blk", del), 2);
        }
        CHECK_EQ(read_bytes(kBlock6), block_file_bytes(blocks[run]));
        Chart count = block_chart("", 6, 0);
        CHECK_EQ(call("bknumb", count), 2);
        CHECK_EQ(count.result[2], static_cast<float>(blocks[run].size()));
    }
    remove_file(kBlock6);
}
