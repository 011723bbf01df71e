// The block exports through their exact symbols, as the host calls them,
// with the block files checked byte for byte afterwards.
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

WINE_TEST(blocks_inblock_refuses_another_format_and_del2blk_does_nothing) {
    write_bytes("userdata\\block\\龙头股2.BLK", block_file_bytes({"SH600000"}, 0xFF5100A6u));
    Chart c = block_chart("600000", 2, 2);
    CHECK_EQ(call("inblock", c), -1);
    CHECK_EQ(c.result[2], -777.0f);
    CHECK(log_text().find("inblock error 当前不是大智慧6.0.3版本") != std::string::npos);
    remove_file("userdata\\block\\龙头股2.BLK");
    clear_log();
    CHECK_EQ(call("del2blk", c), -1);
    CHECK_EQ(c.result[2], -777.0f);
    CHECK_EQ(log_text(), std::string());
    Chart none(1);  // param1 absent: block 0, which does not exist
    CHECK_EQ(call("bknumb", none), 0);
    CHECK_EQ(none.result[0], 0.0f);
    CHECK(log_text().find("Sknumber_in_block 打开文件 " + host_path("userdata\\block\\自选股0.BLK") + " 失败") !=
          std::string::npos);
}
