// Counting block records: Sknumber_in_block and bknumb, on files of every
// shape the host or a crash can leave.
#include "blocks/block_count.h"
#include "blocks/block_format.h"
#include "blocks/exports.h"
#include "tests/native/blocks_support.h"

class BlocksCount : public BlocksTest {};

TEST_F(BlocksCount, CountsWholeRecordsAndHandsOutTheLastCode) {
    char last[kLastCodeBytes];
    write_bytes("userdata/block/A.BLK", block_bytes({}));
    EXPECT_EQ(Sknumber_in_block("A", last), 0);
    EXPECT_STREQ(last, "");
    // An 8-character code has no NUL in the file; the copy gets one.
    Bytes b = block_bytes({"SZ000001", "HK00700", "SH600000"}, 0xFF5100A6u);  // header not checked
    b.insert(b.end(), {'S', 'H', '6'});                                          // torn last record
    write_bytes("userdata/block/A.BLK", b);
    EXPECT_EQ(Sknumber_in_block("A", last), 3);
    EXPECT_STREQ(last, "SH600000");
    write_bytes("userdata/block/A.BLK", Bytes{0xA5, 0x00});
    EXPECT_EQ(Sknumber_in_block("A", last), 0);
    EXPECT_EQ(log_text(), "");
}

TEST_F(BlocksCount, EveryRecordOfALargeBlockIsCounted) {
    char last[kLastCodeBytes];
    write_bytes("userdata/block/big.BLK", block_bytes(many_codes(501)));
    EXPECT_EQ(Sknumber_in_block("big", last), 501);
    EXPECT_STREQ(last, "SZ100500");
}

TEST_F(BlocksCount, MissingFileCountsZeroWithOneLogLine) {
    char last[kLastCodeBytes] = "keep";
    EXPECT_EQ(Sknumber_in_block("none", last), 0);
    EXPECT_STREQ(last, "keep");
    EXPECT_EQ(log_text(), stamp() + "Sknumber_in_block 打开文件 " + win("userdata/block/none.BLK") + " 失败");
}

TEST_F(BlocksCount, BknumbCountsTheNumberedBlockIntoTheLastSlot) {
    write_bytes(blk(0), block_bytes({"SZ000001"}));
    write_bytes(blk(3), block_bytes({"SZ000001", "SH600000"}));
    Chart c(4);
    EXPECT_EQ(bknumb(&c.ci()), 3);  // param1 absent: block 0
    EXPECT_EQ(c.result, (std::vector<float>{-777, -777, -777, 1}));
    c.series({0, 0, 9, 3}, 2);  // a series: its last element is the block number
    EXPECT_EQ(bknumb(&c.ci()), 3);
    EXPECT_EQ(c.result[3], 2);
    c.constant(7.9f);  // block 7 does not exist
    EXPECT_EQ(bknumb(&c.ci()), 3);
    EXPECT_EQ(c.result[3], 0);
    EXPECT_EQ(log_text(), stamp() + "Sknumber_in_block 打开文件 " + wblk(7) + " 失败");
}

TEST_F(BlocksCount, BknumbFollowsTheConfiguredBlockRootAndName) {
    make_dir("alt");
    make_dir("alt/userdata");
    make_dir("alt/userdata/block");
    write_text("TARVEX.ini", "[路径]\r\nBLOCK_PATH=" + win("alt") + "\\\r\n[板块名]\r\n5=强势\r\n");
    write_bytes("alt/userdata/block/强势.BLK", block_bytes(many_codes(4)));
    Chart c(1);
    c.constant(5);
    EXPECT_EQ(bknumb(&c.ci()), 0);
    EXPECT_EQ(c.result[0], 4);
}
