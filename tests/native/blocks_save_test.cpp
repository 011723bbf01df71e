// save2blk, saveInt2blk and save2blk0: files compared byte for byte with
// blocks built from the layout, results, and the exact log lines, through
// sequences of calls.
#include <cmath>

#include "blocks/exports.h"
#include "blocks/save2blk0.h"
#include "tests/native/blocks_support.h"

class BlocksSave : public BlocksTest {};

TEST_F(BlocksSave, ConditionZeroTouchesNothing) {
    Chart c = block_chart("600000", 0, 3);
    EXPECT_EQ(save2blk(&c.ci()), 2);
    EXPECT_EQ(c.result, (std::vector<float>{-777, -777, 0}));
    EXPECT_FALSE(exists(blk(3)));
    EXPECT_EQ(log_text(), "");
}

TEST_F(BlocksSave, MissingParametersFailWithoutTouchingTheResult) {
    Chart c = block_chart("600000", 1, 3);
    c.p2.clear();
    EXPECT_EQ(save2blk(&c.ci()), -1);
    c.p1.clear();
    c.p2 = {3};
    EXPECT_EQ(saveInt2blk(&c.ci()), -1);
    EXPECT_EQ(c.result[2], -777);
    EXPECT_EQ(log_text(), stamp() + "\r\nsave2blk 参数错误" + stamp() + "\r\nsaveInt2blk 参数错误");
}

TEST_F(BlocksSave, AddTwiceCreatesThenReportsTheSize) {
    Chart c = block_chart("600000", 1, 3);
    EXPECT_EQ(save2blk(&c.ci()), 2);
    EXPECT_EQ(c.result[2], 1);
    EXPECT_EQ(read_bytes(blk(3)), block_bytes({"SH600000"}));
    EXPECT_EQ(log_text(), stamp() + wblk(3) + " save2blk 重建成功" + stamp() + wblk(3) + " SH600000  +OK 0");
    c.p1 = {5};
    EXPECT_EQ(save2blk(&c.ci()), 2);
    EXPECT_EQ(c.result[2], 1);
    EXPECT_EQ(read_bytes(blk(3)), block_bytes({"SH600000"}));
}

TEST_F(BlocksSave, AppendAndInsertFirstKeepEveryRecordInOrder) {
    write_bytes(blk(1), block_bytes({"SZ000001", "HK00700"}));
    Chart c = block_chart("000002", 1, 1);
    c.p3 = {0};  // present but not > 0: append
    EXPECT_EQ(save2blk(&c.ci()), 2);
    EXPECT_EQ(c.result[2], 3);
    EXPECT_EQ(read_bytes(blk(1)), block_bytes({"SZ000001", "HK00700", "SZ000002"}));
    c.label = "SH600036";
    c.p3 = {1};
    EXPECT_EQ(save2blk(&c.ci()), 2);
    EXPECT_EQ(c.result[2], 4);
    EXPECT_EQ(read_bytes(blk(1)), block_bytes({"SH600036", "SZ000001", "HK00700", "SZ000002"}));
    EXPECT_EQ(log_text(), "");
}

TEST_F(BlocksSave, SevenCharacterKeysMatchOnlySevenCharacterRecords) {
    write_bytes(blk(2), block_bytes({"HK007001"}));
    Chart c = block_chart("00700", 1, 2);
    EXPECT_EQ(save2blk(&c.ci()), 2);
    EXPECT_EQ(c.result[2], 2);
    EXPECT_EQ(save2blk(&c.ci()), 2);
    EXPECT_EQ(c.result[2], 2);
    EXPECT_EQ(read_bytes(blk(2)), block_bytes({"HK007001", "HK00700"}));
}

TEST_F(BlocksSave, LargeBlocksAreSearchedAndRewrittenWhole) {
    std::vector<std::string> codes = many_codes(600);
    write_bytes(blk(4), block_bytes(codes));
    Chart c = block_chart("100550", 1, 4);  // SZ100550 is record 551
    EXPECT_EQ(save2blk(&c.ci()), 2);
    EXPECT_EQ(c.result[2], 600);
    EXPECT_EQ(read_bytes(blk(4)), block_bytes(codes));
    c.label = "SZ999999";
    c.p3 = {1};
    EXPECT_EQ(save2blk(&c.ci()), 2);
    EXPECT_EQ(c.result[2], 601);
    codes.insert(codes.begin(), "SZ999999");
    EXPECT_EQ(read_bytes(blk(4)), block_bytes(codes));
}

TEST_F(BlocksSave, EmptyOrTornFilesStayAligned) {
    write_bytes(blk(5), block_bytes({}));
    Chart c = block_chart("000001", 1, 5);
    EXPECT_EQ(save2blk(&c.ci()), 2);
    EXPECT_EQ(c.result[2], 1);
    EXPECT_EQ(read_bytes(blk(5)), block_bytes({"SZ000001"}));
    // A torn last record: the new record goes on the record boundary.
    Bytes torn = block_bytes({"SZ000001"});
    torn.insert(torn.end(), {'S', 'Z', '9'});
    write_bytes(blk(5), torn);
    c.label = "600000";
    EXPECT_EQ(save2blk(&c.ci()), 2);
    Bytes want = block_bytes({"SZ000001", "SH600000"});
    want.insert(want.end(), {'S', 'Z', '9'});
    EXPECT_EQ(read_bytes(blk(5)), want);
    EXPECT_EQ(log_text(), "");
}

TEST_F(BlocksSave, OverLongLabelIsRefused) {
    write_bytes(blk(6), block_bytes({"SH600000"}));
    Chart c = block_chart("SH6000001", 1, 6);
    EXPECT_EQ(save2blk(&c.ci()), 2);
    EXPECT_EQ(c.result[2], 0);
    EXPECT_EQ(read_bytes(blk(6)), block_bytes({"SH600000"}));
    EXPECT_EQ(log_text(), stamp() + "save2blk 代码过长: SH6000001");
}

TEST_F(BlocksSave, SaveInt2blkKeysByNumberAndReportsTheCode) {
    Chart c = block_chart("ignored", 1.9f, 8);
    EXPECT_EQ(saveInt2blk(&c.ci()), 2);
    EXPECT_EQ(c.result[2], 1);
    EXPECT_EQ(log_text(), stamp() + wblk(8) + " SZ000001  +OK 0");
    c.p1 = {600000};
    EXPECT_EQ(saveInt2blk(&c.ci()), 2);
    EXPECT_EQ(c.result[2], 600000);
    c.p1 = {1};
    EXPECT_EQ(saveInt2blk(&c.ci()), 2);
    EXPECT_EQ(c.result[2], 2);  // already there: the block's size
    EXPECT_EQ(read_bytes(blk(8)), block_bytes({"SZ000001", "SH600000"}));
    for (float bad : {700000.0f, -1.0f, NAN}) {
        c.p1 = {bad};
        EXPECT_EQ(saveInt2blk(&c.ci()), 2);
        EXPECT_EQ(c.result[2], 0);
    }
    EXPECT_EQ(read_bytes(blk(8)), block_bytes({"SZ000001", "SH600000"}));
}

TEST_F(BlocksSave, Save2blk0ReportsOnlyNewlyAddedCodes) {
    write_text("TARVEX.ini", "[板块名]\r\nALERT=预警\r\n");
    EXPECT_EQ(save2blk0("600000", "ALERT", 0), 0);
    EXPECT_EQ(save2blk0("00700", "ALERT", 1), 0);
    EXPECT_EQ(save2blk0("600000", "ALERT", 1), -1);
    EXPECT_EQ(read_bytes("userdata/block/预警.BLK"), block_bytes({"HK00700", "SH600000"}));
    EXPECT_EQ(save2blk0("000001", "自选股8", 1), 0);  // no setting: the key is the name
    EXPECT_EQ(read_bytes(blk(8)), block_bytes({"SZ000001"}));
    EXPECT_EQ(log_text(), "");
    EXPECT_EQ(save2blk0("SH600000", "ALERT", 0), -1);  // the plain rule prefixes it again
    EXPECT_EQ(log_text(), stamp() + "save2blk0 代码过长: SH600000");
}
