// TARVEX.log: the five forms byte for byte, CR LF line breaks, and lines that
// would not fit the line buffer.
#include <cstdio>
#include <string>

#include "common/log.h"
#include "platform/portable_testing.h"
#include "tests/native/support.h"

class LogTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        plat_testing::set_now(local_seconds(2026, 12, 7, 9, 31, 5));
    }
};

TEST_F(LogTest, FirstEntryCreatesTheFileWithALeadingLineBreak) {
    log_line("FB 调用失败,不是分笔周期");
    EXPECT_EQ(log_text(), "\r\n26-12-07 09:31:05 -> FB 调用失败,不是分笔周期");
    log_line("x");
    EXPECT_EQ(log_text(), "\r\n26-12-07 09:31:05 -> FB 调用失败,不是分笔周期\r\n26-12-07 09:31:05 -> x");
}

TEST_F(LogTest, EachFormSeparatesItsArgumentsByOneBlank) {
    log_line_int("skcode2fbno 错误,skcode=", 600000);
    log_line_str("没找到文件", "D:\\a.dat");
    log_line_str2("Sknumber_in_block 打开文件", "p", "");
    log_line("100% sure");
    EXPECT_EQ(log_text(),
              "\r\n26-12-07 09:31:05 -> skcode2fbno 错误,skcode= 600000"
              "\r\n26-12-07 09:31:05 -> 没找到文件 D:\\a.dat"
              "\r\n26-12-07 09:31:05 -> Sknumber_in_block 打开文件 p "
              "\r\n26-12-07 09:31:05 -> 100% sure");
}

TEST_F(LogTest, TimeFormHasNoBlanksAndAFourDigitYear) {
    log_line_time("获取时间错误", 0);
    EXPECT_EQ(log_text(), "\r\n26-12-07 09:31:05 ->获取时间错误1970-01-01 08:00:00");
}

TEST_F(LogTest, NewlinesInsideMessagesStandAsWritten) {
    log_line("\nsave2blk 参数错误");
    log_line("TradeTime 参数错误\n");
    EXPECT_EQ(log_text(),
              "\r\n26-12-07 09:31:05 -> \r\nsave2blk 参数错误"
              "\r\n26-12-07 09:31:05 -> TradeTime 参数错误\r\n");
}

TEST_F(LogTest, YearTwoThousandPrintsAsZeroZero) {
    plat_testing::set_now(local_seconds(2000, 1, 1, 0, 0, 0));
    log_line("m");
    EXPECT_EQ(log_text(), "\r\n00-01-01 00:00:00 -> m");
}

TEST_F(LogTest, OverlongLinesAreCutToTheLineBufferAtAWholeCharacter) {
    std::string longer(1000, 'x');
    log_line_str2(longer.c_str(), longer.c_str(), longer.c_str());
    std::string text = log_text();
    // 299 characters of the composed line; its one newline became CR LF.
    EXPECT_EQ(text.size(), 300u);
    EXPECT_EQ(text.substr(0, 23), "\r\n26-12-07 09:31:05 -> ");

    // The line holds 277 bytes after the stamp: a double-byte character that
    // would end at byte 278 is left out whole.
    auto zh = [](int n) {
        std::string s;
        while (n-- > 0) s += "中";
        return s;
    };
    struct { void (*log)(const std::string&); std::string tail; } cuts[] = {
        {[](const std::string& t) { log_line(t.c_str()); }, zh(138)},
        {[](const std::string& t) { log_line(("x" + t).c_str()); }, "x" + zh(138)},
        {[](const std::string& t) { log_line_str("a", t.c_str()); }, "a " + zh(137)},
        {[](const std::string& t) { log_line_int(t.c_str(), 7); }, zh(138)},
    };
    for (const auto& c : cuts) {
        std::remove("TARVEX.log");
        c.log(zh(200));
        EXPECT_EQ(log_text(), "\r\n26-12-07 09:31:05 -> " + c.tail);
    }
}

TEST_F(LogTest, AnUnopenableLogDropsTheEntrySilently) {
    make_dir("TARVEX.log");  // a directory where the file should be
    log_line("lost");
    SUCCEED();
}
