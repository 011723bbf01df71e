// inblock's kinds, key rule and header check.
#include "blocks/exports.h"
#include "tests/native/blocks_support.h"

class BlocksInblock : public BlocksTest {
protected:
    // inblock on `label` for kind/number; the last slot, or -1000 - rc when
    // the call returned something other than 2.
    float ask(const std::string& label, float kind, float number) {
        Chart c = block_chart(label, kind, number);
        int rc = inblock(&c.ci());
        return rc == 2 ? c.result[2] : -1000.0f - rc;
    }
};

TEST_F(BlocksInblock, EachKindNamesItsFileUnderModuleDir) {
    // BLOCK_PATH points elsewhere: inblock does not consult it.
    write_text("TARVEX.ini", "[路径]\r\nBLOCK_PATH=C:\\none\\\r\n");
    write_bytes(blk(1), block_bytes({"SH600000"}));
    write_bytes("userdata/block/龙头股3.BLK", block_bytes({"SZ000001", "SZ00700"}));
    write_bytes("userdata/block/板块12.BLK", block_bytes(many_codes(600)));
    EXPECT_EQ(ask("600000", 1, 1), 1);
    EXPECT_EQ(ask("000001", 1, 1), 0);
    EXPECT_EQ(ask("000001", 2, 3.7f), 1);
    EXPECT_EQ(ask("00700", 2, 3), 1);       // two-market rule: SZ00700
    EXPECT_EQ(ask("100599", 3, 12), 1);     // the 600th record is seen
    EXPECT_EQ(ask("000001", 3, 13), 0);     // missing file
    EXPECT_EQ(log_text(), "");
}

TEST_F(BlocksInblock, HongKongRecordsOfSave2blkAreNotFound) {
    write_bytes(blk(2), block_bytes({"HK00700"}));
    EXPECT_EQ(ask("00700", 1, 2), 0);
    EXPECT_EQ(ask("SH600000", 1, 2), 0);  // SHSH600000 fits no record
}

TEST_F(BlocksInblock, RefusesOtherFormatsKindsAndMissingParameters) {
    write_bytes(blk(4), block_bytes({"SH600000"}, 0xFF5100A6u));
    EXPECT_EQ(ask("600000", 1, 4), -1000 + 1);
    EXPECT_EQ(ask("600000", 4, 4), -1000 + 1);
    Chart c = block_chart("600000", 1, 4);
    c.p2.clear();
    EXPECT_EQ(inblock(&c.ci()), -1);
    EXPECT_EQ(c.result[2], -777);
    EXPECT_EQ(log_text(), stamp() + "inblock error 当前不是大智慧6.0.3版本" + stamp() +
                              "inblock 参数1 板块类型错误" + stamp() + "\r\nsave2blk 参数错误");
}

TEST_F(BlocksInblock, FilesWithoutRecordsAnswerZero) {
    write_bytes(blk(5), block_bytes({}));
    EXPECT_EQ(ask("600000", 1, 5), 0);
    write_bytes(blk(5), Bytes{});
    EXPECT_EQ(ask("600000", 1, 5), 0);
}
