// TDXlineAll: the records written into a scratch TDX line file, their bytes
// built independently here, repeated calls, other securities' records, and
// failures that must leave the file as it was.
#include <cstdio>
#include <map>

#include "lines/exports.h"
#include "lines/tdx_line_format.h"
#include "platform/portable_testing.h"
#include "tests/native/lines_support.h"

namespace {

// The record the terminal expects, byte by byte (a longer code is cut to its field).
Bytes expected_record(const std::string& code, int32_t date, float price, int32_t seq, int32_t colour) {
    return tdx_line_record(code.substr(0, 8), date, price, seq, colour);
}

class LinesTdx : public TdxInstallTest {
protected:
    // Flat 10 with levels 14 at bar 12, 6 at 24 and 12 at 36: TlineAll labels
    // 7 -> -1, 12 -> 2, 24 -> -2, 36 -> 1.
    Chart chart(const std::string& code = "600000") {
        std::vector<float> closes(50, 10.0f);
        closes[12] = 14.0f;
        closes[24] = 6.0f;
        closes[36] = 12.0f;
        Chart c(0);
        c.label = code;
        c.set_bars(day_bars(closes));
        c.closes_series(0);
        c.p2 = {5.0f};
        c.p4 = {50.0f};
        return c;
    }
    Bytes four_records(const std::string& code) {
        return concat({expected_record(code, 20240109, 10.0f, 0, 255), expected_record(code, 20240114, 14.0f, 1, 65280),
                       expected_record(code, 20240126, 6.0f, 2, 255), expected_record(code, 20240207, 12.0f, 3, 65280)});
    }
    const char* file = "tdx/T0002/line.dat";
};

}  // namespace

TEST_F(LinesTdx, WritesTheNearestLevelsAsRecords) {
    Chart c = chart();
    EXPECT_EQ(TDXlineAll(&c.ci()), 0);
    EXPECT_EQ(c.result[12], 2.0f);  // TlineAll's labels stay in the result
    EXPECT_EQ(read_bytes(file), four_records("600000"));
    const std::string log = log_text();
    EXPECT_NE(log.find("-> 打开文件成功: " + win(file)), std::string::npos);
    EXPECT_NE(log.find("-> 添加到文件尾"), std::string::npos);
    EXPECT_NE(log.find("-> 添加后的文件长度= 1192"), std::string::npos);
}

TEST_F(LinesTdx, DateIsTheLocalCalendarDayOfTheBar) {
    Chart c = chart();
    c.bars[7].time = static_cast<int32_t>(local_seconds(2024, 3, 5, 0, 30, 0));  // 4 March in UTC
    EXPECT_EQ(TDXlineAll(&c.ci()), 0);
    Bytes b = read_bytes(file);
    ASSERT_GE(b.size(), 298u);
    EXPECT_EQ(b[25] | b[26] << 8 | b[27] << 16 | b[28] << 24, 20240305);
}

TEST_F(LinesTdx, RepeatedCallsOverwriteTheirRecordsAndKeepOthers) {
    Bytes other = expected_record("000001", 20230101, 3.5f, 0, 255);
    other[200] = 0x5A;  // a byte this writer never produces must survive
    write_bytes(file, concat({other, expected_record("600000", 20200101, 1.0f, 0, 255), other}));
    Chart c = chart();
    EXPECT_EQ(TDXlineAll(&c.ci()), 0);
    Bytes want = concat({other, expected_record("600000", 20240109, 10.0f, 0, 255), other,
                         expected_record("600000", 20240114, 14.0f, 1, 65280),
                         expected_record("600000", 20240126, 6.0f, 2, 255),
                         expected_record("600000", 20240207, 12.0f, 3, 65280)});
    EXPECT_EQ(read_bytes(file), want);
    EXPECT_NE(log_text().find("-> 查找到 600000"), std::string::npos);
    EXPECT_NE(log_text().find("-> filepos= 596"), std::string::npos);
    EXPECT_NE(log_text().find("-> to filepos= 298"), std::string::npos);
    for (int i = 0; i < 3; ++i) {
        Chart again = chart();
        EXPECT_EQ(TDXlineAll(&again.ci()), 0);
    }
    EXPECT_EQ(read_bytes(file), want);
}

TEST_F(LinesTdx, EightCharacterCodeFillsItsFieldAndIsFoundAgain) {
    Chart c = chart("SH600000");
    EXPECT_EQ(TDXlineAll(&c.ci()), 0);
    Chart again = chart("SH600000");
    EXPECT_EQ(TDXlineAll(&again.ci()), 0);
    EXPECT_EQ(read_bytes(file), four_records("SH600000"));
    // A longer code would be cut to another security's code: nothing written.
    Chart longer = chart("SH6000001");
    EXPECT_EQ(TDXlineAll(&longer.ci()), -1);
    EXPECT_EQ(read_bytes(file), four_records("SH600000"));
}

TEST_F(LinesTdx, PartialRecordAtTheEndIsWrittenOver) {
    Bytes other = expected_record("000001", 20230101, 3.5f, 0, 255);
    write_bytes(file, concat({other, Bytes(100, 0x33)}));
    Chart c = chart();
    EXPECT_EQ(TDXlineAll(&c.ci()), 0);
    EXPECT_EQ(read_bytes(file), concat({other, four_records("600000")}));
}

TEST_F(LinesTdx, EveryFailedFileStepLeavesTheFileAsItWasAndIsReported) {
    const Bytes before = expected_record("000001", 20230101, 3.5f, 0, 255);
    const Bytes after = concat({before, four_records("600000")});
    // Fail each open, write, close and rename of a call in turn (the log's own
    // included): the file is either untouched with -1 and a failure logged,
    // or completely written with success.
    for (plat_testing::Op op : {plat_testing::Op::open, plat_testing::Op::write, plat_testing::Op::close,
                                plat_testing::Op::rename}) {
        write_bytes(file, before);
        plat_testing::reset_faults();
        Chart clean = chart();
        ASSERT_EQ(TDXlineAll(&clean.ci()), 0);
        const int calls = plat_testing::count_of(op);
        ASSERT_GT(calls, 0);
        int failures = 0;
        for (int n = 1; n <= calls; ++n) {
            write_bytes(file, before);
            std::remove(at("TARVEX.log").c_str());
            plat_testing::fail_nth(op, n);
            Chart c = chart();
            const int r = TDXlineAll(&c.ci());
            plat_testing::reset_faults();
            if (r == -1) {
                ++failures;
                EXPECT_EQ(read_bytes(file), before) << n;
                EXPECT_TRUE(log_text().find("-> 写入文件失败 " + win(file)) != std::string::npos ||
                            log_text().find("-> 打开文件失败 " + win(file)) != std::string::npos)
                    << n;
            } else {
                EXPECT_EQ(r, 0);
                EXPECT_EQ(read_bytes(file), after) << n;
            }
        }
        EXPECT_GT(failures, 0);
    }
}

TEST_F(LinesTdx, RefusalsAndMissingDirectoryTouchNoFile) {
    Chart c = chart();
    c.p4.clear();  // TlineAll refuses: nothing opened
    EXPECT_EQ(TDXlineAll(&c.ci()), -1);
    EXPECT_FALSE(exists(file));
    c = chart();
    c.constant(1.0f);  // no price series for the records
    EXPECT_EQ(TDXlineAll(&c.ci()), -1);
    EXPECT_FALSE(exists(file));
    c = chart("");  // no security: the records would belong to none
    EXPECT_EQ(TDXlineAll(&c.ci()), -1);
    EXPECT_FALSE(exists(file));
    write_text("TARVEX.ini", "[路径]\r\n通达信=" + win("nowhere") + "\r\n");
    c = chart();
    EXPECT_EQ(TDXlineAll(&c.ci()), -1);
    EXPECT_NE(log_text().find("-> 打开文件失败 " + win("nowhere/T0002/line.dat")), std::string::npos);
}

TEST_F(LinesTdx, NoLabelledLevelCreatesTheFileButWritesNothing) {
    Chart c = chart();
    c.closes_series(45);  // the searches cannot start this late: no marks
    EXPECT_EQ(TDXlineAll(&c.ci()), 45);
    EXPECT_TRUE(exists(file));
    EXPECT_EQ(read_bytes(file).size(), 0u);
    EXPECT_NE(log_text().find("-> 打开文件成功: "), std::string::npos);
    EXPECT_EQ(log_text().find("添加"), std::string::npos);
}
