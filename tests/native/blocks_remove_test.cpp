// del2blk's remove step on blocks of every size, the conditions that act on
// no block (absent, 0, undefined) in del2blk and save2blk, and every writer
// before a block file of another format.
#include <cmath>
#include <functional>

#include "blocks/exports.h"
#include "blocks/save2blk0.h"
#include "tests/native/blocks_support.h"

using plat_testing::Op;

class BlocksRemove : public BlocksTest {
protected:
    // del2blk(p1, 3) for `label`; the return and the last slot.
    std::pair<int, float> remove(const std::string& label, float p1 = 1) {
        Chart c = block_chart(label, p1, 3);
        int rc = del2blk(&c.ci());
        return {rc, c.result[2]};
    }
};

TEST_F(BlocksRemove, TakesTheKeyOutAndKeepsEveryOtherByte) {
    const std::vector<std::string> many = many_codes(30);
    struct Row {
        const char* what;
        std::vector<std::string> before;
        std::string label;
        std::vector<std::string> after;  // equal to before: no write
    };
    const Row rows[] = {
        {"header only", {}, "600000", {}},
        {"one record, the key", {"SH600000"}, "600000", {}},
        {"one record, another", {"SZ000001"}, "600000", {"SZ000001"}},
        {"many, key first", many, "100000", {many.begin() + 1, many.end()}},
        {"many, key last", many, "SZ100029", {many.begin(), many.end() - 1}},
        {"many, key absent", many, "600000", many},
        {"key twice", {"SH600000", "SZ000001", "SH600000"}, "600000", {"SZ000001"}},
        {"seven characters", {"HK007001", "HK00700"}, "00700", {"HK007001"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::remove(at("TARVEX.log").c_str());
        write_bytes(blk(3), block_bytes(r.before));
        EXPECT_EQ(remove(r.label), std::make_pair(2, static_cast<float>(r.after.size())));
        EXPECT_EQ(read_bytes(blk(3)), block_bytes(r.after));
        bool removed = r.after.size() != r.before.size();
        EXPECT_EQ(log_text().find(" -OK 已移出") != std::string::npos, removed) << log_text();
    }
    // The middle record of many, with a torn record after the last: the
    // tail stays after the records, byte for byte.
    Bytes torn = block_bytes(many);
    torn.insert(torn.end(), {'S', 'Z', '9'});
    write_bytes(blk(3), torn);
    std::remove(at("TARVEX.log").c_str());
    EXPECT_EQ(remove("100015"), std::make_pair(2, 29.0f));
    std::vector<std::string> left = many;
    left.erase(left.begin() + 15);
    Bytes want = block_bytes(left);
    want.insert(want.end(), {'S', 'Z', '9'});
    EXPECT_EQ(read_bytes(blk(3)), want);
    EXPECT_EQ(log_text(), stamp() + wblk(3) + " SZ100015  -OK 已移出");
}

TEST_F(BlocksRemove, MissingOrEmptiedBlocksStayAsTheyAre) {
    EXPECT_EQ(remove("600000"), std::make_pair(2, 0.0f));
    EXPECT_FALSE(exists(blk(3)));
    write_bytes(blk(3), Bytes{});
    EXPECT_EQ(remove("600000"), std::make_pair(2, 0.0f));
    EXPECT_EQ(read_bytes(blk(3)), Bytes{});
    EXPECT_EQ(log_text(), "");
}

TEST_F(BlocksRemove, ConditionsThatActOnNoBlock) {
    const Bytes one = block_bytes({"SH600000"});
    write_bytes(blk(3), one);
    // No parameter at all: -1 and nothing else, as the export always did.
    Chart bare = block_chart("600000", 1, 3);
    bare.p1.clear(), bare.p2.clear();
    EXPECT_EQ(del2blk(&bare.ci()), -1);
    EXPECT_EQ(bare.result[2], -777);
    Chart absent = block_chart("600000", 1, 3);
    absent.p1.clear();
    EXPECT_EQ(del2blk(&absent.ci()), 2);
    EXPECT_EQ(absent.result[2], 0);
    EXPECT_EQ(remove("600000", 0), std::make_pair(2, 0.0f));
    EXPECT_EQ(log_text(), "");
    // Undefined: neither removes nor adds, one line each.
    for (float undefined : {NAN, INFINITY, -INFINITY}) {
        EXPECT_EQ(remove("600000", undefined), std::make_pair(2, 0.0f));
        Chart c = block_chart("000001", undefined, 3);
        EXPECT_EQ(save2blk(&c.ci()), 2);
        EXPECT_EQ(c.result[2], 0);
    }
    EXPECT_EQ(read_bytes(blk(3)), one);
    std::string undefined_lines;
    for (int i = 0; i < 3; ++i)
        undefined_lines += stamp() + "del2blk 条件未定义(非数值),不动板块: 600000" + stamp() +
                           "save2blk 条件未定义(非数值),不动板块: 000001";
    EXPECT_EQ(log_text(), undefined_lines);
    // A series condition is read at its last bar.
    Chart series = block_chart("600000", 0, 3);
    series.series({0, 0, 1}, 1);
    EXPECT_EQ(del2blk(&series.ci()), 2);
    EXPECT_EQ(series.result[2], 0);
    EXPECT_EQ(read_bytes(blk(3)), block_bytes({}));
}

TEST_F(BlocksRemove, RefusalsReturnMinusOneAndLeaveTheSlot) {
    write_bytes(blk(3), block_bytes({"SH600000"}));
    Chart no_block = block_chart("600000", 1, 3);
    no_block.p2.clear();
    EXPECT_EQ(del2blk(&no_block.ci()), -1);
    EXPECT_EQ(remove("SH6000001"), std::make_pair(-1, -777.0f));
    EXPECT_EQ(read_bytes(blk(3)), block_bytes({"SH600000"}));
    EXPECT_EQ(log_text(), stamp() + "\r\ndel2blk 参数错误" + stamp() + "del2blk 代码过长: SH6000001");
}

// Every failed step of the rewrite: -1, its log line, and the block as it
// was; or the call went through and the key is out.
TEST_F(BlocksRemove, EveryFailedStepLeavesTheBlockAsItWas) {
    const Bytes before = block_bytes({"SZ000001", "SH600000", "HK00700"});
    const Bytes after = block_bytes({"SZ000001", "HK00700"});
    for (Op op : {Op::open, Op::read, Op::write, Op::close, Op::rename}) {
        write_bytes(blk(3), before);
        plat_testing::reset_faults();
        ASSERT_EQ(remove("600000"), std::make_pair(2, 2.0f));
        int calls = plat_testing::count_of(op), failures = 0;
        for (int n = 1; n <= calls; ++n) {
            SCOPED_TRACE("op " + std::to_string(int(op)) + " #" + std::to_string(n));
            write_bytes(blk(3), before);
            std::remove(at("TARVEX.log").c_str());
            plat_testing::fail_nth(op, n);
            std::pair<int, float> got = remove("600000");
            plat_testing::reset_faults();
            if (got.first == 2) {
                EXPECT_EQ(got.second, 2);
                EXPECT_EQ(read_bytes(blk(3)), after);
                continue;
            }
            ++failures;
            EXPECT_EQ(got, std::make_pair(-1, -777.0f));
            EXPECT_EQ(read_bytes(blk(3)), before);
            bool opened = log_text() == stamp() + wblk(3) + " SH600000 del2blk 打开失败:";
            EXPECT_TRUE(opened || log_text() == stamp() + wblk(3) + " SH600000  -NG del2blk 移出失败") << log_text();
        }
        EXPECT_GT(failures, 0);
    }
}

// A block of another format (its header word is not the host's) is never
// written: not by an addition, first or last, nor by a removal, whether or
// not the key is among its records. Each writer says so in the log.
TEST_F(BlocksRemove, EveryWriterLeavesABlockOfAnotherFormat) {
    const Bytes foreign = block_bytes({"SZ000001", "SH600000"}, 0xFF5100A6u);
    auto chart_call = [](int (*fn)(tagCALCINFO*), const char* label, float p1, float first) {
        return [=] {
            Chart c = block_chart(label, p1, 3);
            c.p3 = {first};
            int rc = fn(&c.ci());
            return std::to_string(rc) + " " + std::to_string(c.result[2]);
        };
    };
    struct Row {
        const char* what;
        std::function<std::string()> call;
        std::string result, log;
    };
    const std::string tail = " 不是大智慧6.0.3版本的板块,未改动";
    const Row rows[] = {
        {"save2blk last", chart_call(save2blk, "000002", 1, 0), "2 0.000000", wblk(3) + " SZ000002 save2blk" + tail},
        {"save2blk first", chart_call(save2blk, "000002", 1, 1), "2 0.000000", wblk(3) + " SZ000002 save2blk" + tail},
        {"save2blk present", chart_call(save2blk, "600000", 1, 0), "2 0.000000", wblk(3) + " SH600000 save2blk" + tail},
        {"saveInt2blk last", chart_call(saveInt2blk, "", 2, 0), "2 0.000000", wblk(3) + " SZ000002 saveInt2blk" + tail},
        {"saveInt2blk first", chart_call(saveInt2blk, "", 2, 1), "2 0.000000", wblk(3) + " SZ000002 saveInt2blk" + tail},
        {"save2blk0 last", [] { return std::to_string(save2blk0("000002", "自选股3", 0)); }, "-1",
         wblk(3) + " SZ000002 save2blk0" + tail},
        {"save2blk0 first", [] { return std::to_string(save2blk0("000002", "自选股3", 1)); }, "-1",
         wblk(3) + " SZ000002 save2blk0" + tail},
        {"del2blk present", chart_call(del2blk, "600000", 1, 0), "-1 -777.000000", wblk(3) + " SH600000 del2blk" + tail},
        {"del2blk absent", chart_call(del2blk, "000002", 1, 0), "-1 -777.000000", wblk(3) + " SZ000002 del2blk" + tail},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        write_bytes(blk(3), foreign);
        std::remove(at("TARVEX.log").c_str());
        EXPECT_EQ(r.call(), r.result);
        EXPECT_EQ(read_bytes(blk(3)), foreign);
        EXPECT_EQ(log_text(), stamp() + r.log);
    }
    // Header only, of another format: not taken for an empty block of the host's.
    write_bytes(blk(3), block_bytes({}, 0x12345678u));
    EXPECT_EQ(chart_call(save2blk, "600000", 1, 0)(), "2 0.000000");
    EXPECT_EQ(read_bytes(blk(3)), block_bytes({}, 0x12345678u));
}
