// Injected failures at every open, write, close and rename of every block
// writer: a call either succeeds with the new content in place, or fails,
// says so in its result and log, and leaves the block file byte for byte as
// it was (or still missing).
#include <fcntl.h>
#include <sys/stat.h>

#include <functional>

#include "blocks/exports.h"
#include "blocks/save2blk0.h"
#include "tests/native/blocks_support.h"

using plat_testing::Op;

class BlocksFault : public BlocksTest {
protected:
    struct Writer {
        const char* name;
        std::function<bool(bool insert_first)> add;  // adds SH600000 to block 3; true on success
    };
    struct Shape {
        const char* name;
        bool exists;
        Bytes before;
        bool insert_first;
        Bytes after;
    };

    void reset_block(const Shape& s) {
        std::remove(at(blk(3)).c_str());
        std::remove(at("TARVEX.log").c_str());
        if (s.exists) write_bytes(blk(3), s.before);
    }
};

TEST_F(BlocksFault, EveryFailedStepLeavesTheBlockAsItWas) {
    auto chart_add = [](int (*fn)(tagCALCINFO*), float p1, bool first) {
        Chart c = block_chart("600000", p1, 3);
        c.p3 = {first ? 1.0f : 0.0f};
        return fn(&c.ci()) == 2 && c.result[2] > 0;
    };
    const Writer writers[] = {
        {"save2blk", [&](bool f) { return chart_add(save2blk, 1, f); }},
        {"saveInt2blk", [&](bool f) { return chart_add(saveInt2blk, 600000, f); }},
        {"save2blk0", [](bool f) { return save2blk0("600000", "自选股3", f) == 0; }},
    };
    const Bytes two = block_bytes({"SZ000001", "HK00700"});
    const Shape shapes[] = {
        {"missing", false, {}, false, block_bytes({"SH600000"})},
        {"header only", true, block_bytes({}), false, block_bytes({"SH600000"})},
        {"append", true, two, false, block_bytes({"SZ000001", "HK00700", "SH600000"})},
        {"insert first", true, two, true, block_bytes({"SH600000", "SZ000001", "HK00700"})},
    };
    for (const Writer& w : writers) {
        for (const Shape& s : shapes) {
            for (Op op : {Op::open, Op::write, Op::close, Op::rename}) {
                SCOPED_TRACE(std::string(w.name) + ", " + s.name + ", op " + std::to_string(int(op)));
                reset_block(s);
                plat_testing::reset_faults();
                ASSERT_TRUE(w.add(s.insert_first));
                int calls = plat_testing::count_of(op);
                int failures = 0;
                for (int n = 1; n <= calls; ++n) {
                    reset_block(s);
                    plat_testing::fail_nth(op, n);
                    bool ok = w.add(s.insert_first);
                    plat_testing::reset_faults();
                    if (ok) {
                        EXPECT_EQ(read_bytes(blk(3)), s.after) << n;
                        continue;
                    }
                    ++failures;
                    EXPECT_EQ(exists(blk(3)), s.exists) << n;
                    if (s.exists) {
                        EXPECT_EQ(read_bytes(blk(3)), s.before) << n;
                    }
                    EXPECT_NE(log_text().find("失败"), std::string::npos) << n;
                }
                // Each of these operations is part of writing the block.
                EXPECT_GT(failures, 0);
            }
        }
    }
}

TEST_F(BlocksFault, AReadErrorNeverRewritesAShortenedBlock) {
    // Larger than one read chunk, so an error can strike after part of it.
    const Bytes big = block_bytes(many_codes(600));
    for (float first : {0.0f, 1.0f}) {
        reset_block({"", true, big, false, {}});
        plat_testing::reset_faults();
        Chart c = block_chart("600000", 1, 3);
        c.p3 = {first};
        ASSERT_EQ(save2blk(&c.ci()), 2);
        int calls = plat_testing::count_of(Op::read);
        for (int n = 1; n <= calls; ++n) {
            SCOPED_TRACE("insert first " + std::to_string(first) + ", read " + std::to_string(n));
            reset_block({"", true, big, false, {}});
            plat_testing::fail_nth(Op::read, n);
            int rc = save2blk(&c.ci());
            plat_testing::reset_faults();
            Bytes now = read_bytes(blk(3));
            if (now != big) {  // written: every former record must still be there
                EXPECT_EQ(now.size(), big.size() + 12);
                EXPECT_EQ(c.result[2], 601);
                continue;
            }
            EXPECT_EQ(rc, 2);
            EXPECT_EQ(c.result[2], 0);
            EXPECT_EQ(log_text(), stamp() + wblk(3) + " SH600000 save2blk 打开失败:");
        }
    }
}

TEST_F(BlocksFault, FailuresReportEachStepsTextAndResult) {
    const Bytes two = block_bytes({"SZ000001", "HK00700"});
    struct Row { bool exists; Bytes before; float p3; Op op; int rc; float slot; std::string log; };
    const Row rows[] = {
        {false, {}, 0, Op::write, 2, 0, " save2blk 重建板块失败: SH600000 " + wblk(3)},
        {true, two, 0, Op::open, 2, 0, wblk(3) + " SH600000 save2blk 打开失败:"},
        {true, block_bytes({}), 0, Op::rename, 2, 0, "SH600000 " + wblk(3) + "  +NG 重新打开失败0"},
        {true, two, 1, Op::rename, 2, 0, wblk(3) + " SH600000  +NG 重建板块失败3"},
        {true, two, 0, Op::write, -1, -777, wblk(3) + "  save2blk 重新打开 添加失败3"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.log);
        std::remove(at(blk(3)).c_str());
        std::remove(at("TARVEX.log").c_str());
        if (r.exists) write_bytes(blk(3), r.before);
        Chart c = block_chart("600000", 1, 3);
        c.p3 = {r.p3};
        plat_testing::fail_nth(r.op, 1);
        EXPECT_EQ(save2blk(&c.ci()), r.rc);
        plat_testing::reset_faults();
        EXPECT_EQ(c.result[2], r.slot);
        EXPECT_EQ(log_text(), stamp() + r.log);
    }
    // saveInt2blk names itself only when a missing block cannot be created.
    Chart c = block_chart("x", 1, 9);
    plat_testing::fail_nth(Op::rename, 1);
    EXPECT_EQ(saveInt2blk(&c.ci()), 2);
    EXPECT_EQ(c.result[2], 0);
    EXPECT_NE(log_text().find(" saveInt2blk 重建板块失败: SZ000001 " + wblk(9)), std::string::npos);
}

TEST_F(BlocksFault, Save2blk0LogsItsOwnTexts) {
    const Bytes two = block_bytes({"SZ000001", "HK00700"});
    struct Row { bool exists; Bytes before; int first; Op op; int nth; std::string log; };
    const Row rows[] = {
        // A missing block: the read of the block and the rewrite's look for
        // old content are the first two opens.
        {false, {}, 0, Op::open, 3, " save2blk0 重建板块失败: SH600000 " + wblk(3)},
        {true, two, 0, Op::open, 1, wblk(3) + " SH600000 save2blk0 打开失败:"},
        {true, block_bytes({}), 0, Op::write, 1, "SH600000 " + wblk(3) + "  +NG save2blk0 重新打开失败0"},
        {true, two, 1, Op::rename, 1, wblk(3) + " SH600000  +NG 重建板块失败3"},
        {true, two, 0, Op::rename, 1, wblk(3) + "  save2blk 重新打开 添加失败3"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.log);
        std::remove(at(blk(3)).c_str());
        std::remove(at("TARVEX.log").c_str());
        if (r.exists) write_bytes(blk(3), r.before);
        plat_testing::fail_nth(r.op, r.nth);
        EXPECT_EQ(save2blk0("600000", "自选股3", r.first), -1);
        plat_testing::reset_faults();
        EXPECT_EQ(log_text(), stamp() + r.log);
    }
}

// A write remembers a directory it found (or left) with no side file, and
// skips the listing while the directory keeps its stamp. A side file that
// appears there later (another program's write cut short) moves the stamp,
// and the next write clears it.
TEST_F(BlocksFault, ASideFileAppearingAfterAWriteIsClearedByTheNext) {
    reset_block({"", true, block_bytes({"SZ000001"}), false, {}});
    for (const char* code : {"600000", "600001", "600002"}) {
        const std::string left = blk(3) + ".tarvex-new.99999." + code;
        write_bytes(left, {'x'});
        // A later moment than the last write's, whatever the clock's granularity.
        struct stat st;
        ASSERT_EQ(stat(at("userdata/block").c_str(), &st), 0);
        struct timespec times[2] = {st.st_atim, st.st_mtim};
        times[1].tv_sec += 2;
        ASSERT_EQ(utimensat(AT_FDCWD, at("userdata/block").c_str(), times, 0), 0);
        Chart c = block_chart(code, 1, 3);
        ASSERT_EQ(save2blk(&c.ci()), 2) << code;
        EXPECT_FALSE(exists(left)) << code;
    }
    EXPECT_EQ(read_bytes(blk(3)), block_bytes({"SZ000001", "SH600000", "SH600001", "SH600002"}));
    // Under an unchanged stamp the directory is not listed again.
    struct stat st;
    ASSERT_EQ(stat(at("userdata/block").c_str(), &st), 0);
    const std::string left = blk(3) + ".tarvex-new.99999.9";
    write_bytes(left, {'x'});
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, at("userdata/block").c_str(), times, 0), 0);
    Chart c = block_chart("600003", 1, 3);
    ASSERT_EQ(save2blk(&c.ci()), 2);
    EXPECT_TRUE(exists(left));
    std::remove(at(left).c_str());
}
