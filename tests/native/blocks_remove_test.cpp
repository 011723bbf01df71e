// del2blk's remove step on blocks of every size, the conditions that act on
// no block, and the block writers before a block file of another format.
#include <cmath>
#include <functional>

#include "blocks/exports.h"
#include "blocks/save2blk0.h"
#include "tests/native/blocks_support.h"

class BlocksRemove : public BlocksTest {
protected:
    // del2blk(p1, 3) for `label`: the return and the last slot.
    std::pair<int, float> remove(const std::string& label, float p1 = 1) {
        Chart c = block_chart(label, p1, 3);
        int rc = del2blk(&c.ci());
        return {rc, c.result[2]};
    }
};

TEST_F(BlocksRemove, TakesTheKeyOutAndKeepsEveryOtherByte) {
    const std::vector<std::string> many = many_codes(30);
    std::vector<std::string> but_middle = many;
    but_middle.erase(but_middle.begin() + 15);
    struct Row {
        std::vector<std::string> before;
        std::string label;
        std::vector<std::string> after;  // equal to before: no write, no log line
    };
    const Row rows[] = {
        {{}, "600000", {}},
        {{"SH600000"}, "600000", {}},
        {{"SZ000001"}, "600000", {"SZ000001"}},
        {many, "100000", {many.begin() + 1, many.end()}},
        {many, "100015", but_middle},
        {many, "SZ100029", {many.begin(), many.end() - 1}},
        {many, "600000", many},
        {{"SH600000", "SZ000001", "SH600000"}, "600000", {"SZ000001"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.label + " of " + std::to_string(r.before.size()));
        std::remove(at("TARVEX.log").c_str());
        write_bytes(blk(3), block_bytes(r.before));
        EXPECT_EQ(remove(r.label), std::make_pair(2, static_cast<float>(r.after.size())));
        EXPECT_EQ(read_bytes(blk(3)), block_bytes(r.after));
        bool removed = r.after.size() != r.before.size();
        EXPECT_EQ(log_text().find(" -OK 已移出") != std::string::npos, removed) << log_text();
    }
    std::remove(at(blk(3)).c_str());
    EXPECT_EQ(remove("600000"), std::make_pair(2, 0.0f));  // a missing block is not made
    EXPECT_FALSE(exists(blk(3)));
}

TEST_F(BlocksRemove, ConditionsAndParametersThatActOnNoBlock) {
    const Bytes one = block_bytes({"SH600000"});
    write_bytes(blk(3), one);
    Chart c = block_chart("600000", 1, 3);
    c.p1.clear(), c.p2.clear();
    EXPECT_EQ(del2blk(&c.ci()), -1);  // no parameter at all, as the export always was
    c.p2 = {3};
    EXPECT_EQ(del2blk(&c.ci()), 2);  // no condition
    EXPECT_EQ(c.result[2], 0);
    EXPECT_EQ(remove("600000", 0), std::make_pair(2, 0.0f));
    EXPECT_EQ(log_text(), "");
    for (float undefined : {NAN, INFINITY, -INFINITY}) {
        EXPECT_EQ(remove("600000", undefined), std::make_pair(2, 0.0f));
        Chart add = block_chart("000001", undefined, 3);
        EXPECT_EQ(save2blk(&add.ci()), 2);
        EXPECT_EQ(add.result[2], 0);
    }
    c.p1 = {1}, c.p2.clear();
    EXPECT_EQ(del2blk(&c.ci()), -1);
    EXPECT_EQ(remove("SH6000001"), std::make_pair(-1, -777.0f));
    EXPECT_EQ(read_bytes(blk(3)), one);
    std::string lines;
    for (int i = 0; i < 3; ++i)
        lines += stamp() + "del2blk 条件未定义(非数值),不动板块: 600000" + stamp() + "save2blk 条件未定义(非数值),不动板块: 000001";
    EXPECT_EQ(log_text(), lines + stamp() + "\r\ndel2blk 参数错误" + stamp() + "del2blk 代码过长: SH6000001");
}

// A block whose header word is not the host's: no writer changes a byte,
// whether the key is among its records or not, also when it holds no record.
TEST_F(BlocksRemove, NoWriterChangesABlockOfAnotherFormat) {
    auto chart = [](int (*fn)(tagCALCINFO*), const char* label, float p1, float first) {
        return [=] {
            Chart c = block_chart(label, p1, 3);
            c.p3 = {first};
            fn(&c.ci());
        };
    };
    const std::function<void()> calls[] = {
        chart(save2blk, "000002", 1, 0), chart(save2blk, "000002", 1, 1), chart(save2blk, "600000", 1, 1),
        chart(saveInt2blk, "", 2, 1),    chart(del2blk, "600000", 1, 0),
        [] { save2blk0("000002", "自选股3", 1); },
    };
    for (const Bytes& foreign : {block_bytes({"SZ000001", "SH600000"}, 0xFF5100A6u), block_bytes({}, 0x12345678u)}) {
        for (const auto& call : calls) {
            write_bytes(blk(3), foreign);
            std::remove(at("TARVEX.log").c_str());
            call();
            EXPECT_EQ(read_bytes(blk(3)), foreign);
            EXPECT_NE(log_text().find(" 不是大智慧6.0.3版本的板块,未改动"), std::string::npos);
        }
    }
}
