// saveS, saveDay, ReadData and readfile: whole series written to and read
// from files, with the alignment of ReadData and the backward fill of
// readfile.
#include <string>

#include "datafiles/datafile_messages.h"
#include "datafiles/exports.h"
#include "platform/portable_testing.h"
#include "tests/native/datafiles_support.h"

class SeriesFileTest : public DataFileTest {
protected:
    // n day bars from 2024-01-02, each stamped 5 hours into its UTC day.
    static Chart stamped_chart(int n) {
        Chart c(n);
        for (int i = 0; i < n; ++i) {
            c.bars[i].time += 5 * 3600;
            c.bars[i].close = 10.0f + i;
        }
        return c;
    }
    static std::vector<float> ramp(int n, float base) {
        std::vector<float> v;
        for (int i = 0; i < n; ++i) v.push_back(base + i);
        return v;
    }
};

TEST_F(SeriesFileTest, SaveSWritesTheSeriesFromItsStartAsDatedRecords) {
    write_bytes(data_file(11), selfdata_bytes(std::vector<std::pair<int32_t, float>>(200, {1, 1.0f})));
    Chart c = stamped_chart(100);
    c.series(ramp(100, 0.5f), 10);
    c.p2 = {11};
    EXPECT_EQ(saveS(&c.ci()), 10);
    std::vector<std::pair<int32_t, float>> want;
    for (int i = 10; i < 100; ++i) want.push_back({kJan2 + i * kDay, 0.5f + i});
    EXPECT_EQ(read_bytes(data_file(11)), selfdata_bytes(want));  // 90 records, the old 200 gone
    EXPECT_EQ(c.result[9], -777.0f);
    EXPECT_EQ(c.result[10], 10.5f);
    EXPECT_EQ(c.result[99], 99.5f);
    // Week, month and other codes are accepted like the day chart.
    for (int period : {int(kPeriodWeek), int(kPeriodMonth), 12}) {
        c.period = period;
        EXPECT_EQ(saveS(&c.ci()), 10);
    }
    EXPECT_EQ(log_text(), "");
}

TEST_F(SeriesFileTest, SaveSRefusesIntradayChartsAndBadParameters) {
    Bytes old = selfdata_bytes({{kJan2, 1.0f}});
    write_bytes(data_file(11), old);
    Chart c = stamped_chart(10);
    c.series(ramp(10, 0), 0);
    c.p2 = {11};
    std::string want;
    for (int period = kPeriodTimeShare; period <= kPeriodMin60; ++period) {
        c.period = period;
        EXPECT_EQ(saveS(&c.ci()), -1);
        want += log_entry(kMsgSaveSPeriod);
    }
    c.period = kPeriodDay;
    c.constant(1.0f);  // a constant has no start
    EXPECT_EQ(saveS(&c.ci()), -1);
    c.series(ramp(10, 0), 10);  // a start past the last bar
    EXPECT_EQ(saveS(&c.ci()), -1);
    c.series(ramp(10, 0), 0);
    c.p2.clear();
    EXPECT_EQ(saveS(&c.ci()), -1);
    for (int i = 0; i < 3; ++i) want += log_entry(std::string(kMsgSaveSParams) + " 600000");
    EXPECT_EQ(log_text(), want);
    EXPECT_EQ(read_bytes(data_file(11)), old);
    for (float v : c.result) EXPECT_EQ(v, -777.0f);
}

TEST_F(SeriesFileTest, SaveDayWritesTimesAndClosesOfTheDayChart) {
    Chart c = stamped_chart(6);
    c.series(ramp(6, 0), 2);
    EXPECT_EQ(saveDay(&c.ci()), 2);
    Bytes want;
    for (int i = 2; i < 6; ++i) {
        put_i32(want, kJan2 + i * kDay + 5 * 3600);  // the bar's time, not its day
        put_f32(want, 10.0f + i);
    }
    // The default DAY_PATH is module_dir, and the separator brings its own backslash.
    EXPECT_EQ(read_bytes("/SH600000.DAY"), want);
    EXPECT_EQ(c.result[1], -777.0f);
    EXPECT_EQ(c.result[5], 15.0f);

    // A constant parameter 1 marks no bar: the whole chart is written.
    c.constant(0.0f);
    EXPECT_EQ(saveDay(&c.ci()), 0);
    EXPECT_EQ(read_bytes("/SH600000.DAY").size(), 48u);
    EXPECT_EQ(c.result[0], 10.0f);

    // Other periods and starts past the last bar leave the file alone.
    Bytes kept = read_bytes("/SH600000.DAY");
    c.period = kPeriodWeek;
    EXPECT_EQ(saveDay(&c.ci()), -1);
    c.period = kPeriodDay;
    c.series(ramp(6, 0), 6);
    EXPECT_EQ(saveDay(&c.ci()), -1);
    EXPECT_EQ(read_bytes("/SH600000.DAY"), kept);
    EXPECT_EQ(log_text(), "");
}

class ReadDataTest : public SeriesFileTest {
protected:
    // 100 day bars at the starts of their UTC days, parameter 1 from `start`.
    Chart reader(int start, float k = 11) {
        Chart c(100);
        c.series(std::vector<float>(100, 0.0f), start);
        c.p2 = {k};
        return c;
    }
    int32_t bar(int i) const { return kJan2 + i * kDay; }
};

TEST_F(ReadDataTest, LastMBarsAreFilledAndTheRestZeroed) {
    std::vector<std::pair<int32_t, float>> recs;
    for (int i = 0; i < 100; ++i) recs.push_back({bar(i), 1.0f + i});
    write_bytes(data_file(11), selfdata_bytes(recs));
    Chart c = reader(0);
    c.p3 = {20};
    EXPECT_EQ(ReadData(&c.ci()), 80);
    for (int i = 0; i < 80; ++i) ASSERT_EQ(c.result[i], 0.0f) << i;
    for (int i = 80; i < 100; ++i) ASSERT_EQ(c.result[i], 1.0f + i) << i;
    // m of 0, negative, or covering the start does not move it.
    for (float m : {0.0f, -5.0f, 95.0f}) {
        Chart d = reader(10);
        d.p3 = {m};
        EXPECT_EQ(ReadData(&d.ci()), 10);
    }
}

TEST_F(ReadDataTest, RecordsAreLinedUpWithTheBars) {
    write_bytes(data_file(11), selfdata_bytes({
                                   {bar(0) - 5 * kDay, 9.0f},  // older than the start bar: skipped
                                   {bar(2), 2.0f},             // on bar 2
                                   {bar(3) + 3600, 3.0f},      // between bars 3 and 4: on bar 3
                                   {bar(6), 6.0f},             // bars 4 and 5 come before it: 0
                                   {bar(6) + 60, 6.5f},        // older than bar 7: skipped
                                   {bar(8), 8.0f},
                               }));
    Chart c = reader(1);
    EXPECT_EQ(ReadData(&c.ci()), 1);
    std::vector<float> want = {0, 0, 2, 3, 0, 0, 6, 0, 8};
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(c.result[i], want[i]) << i;
    // Records ran out at bar 9: the rest stay as the host gave them.
    EXPECT_EQ(c.result[9], -777.0f);
    EXPECT_EQ(c.result[99], -777.0f);
    // A record after the last bar goes on the last bar.
    write_bytes(data_file(11), selfdata_bytes({{bar(99) + 10 * kDay, 4.0f}}));
    Chart last = reader(99);
    EXPECT_EQ(ReadData(&last.ci()), 99);
    EXPECT_EQ(last.result[99], 4.0f);
    EXPECT_EQ(log_text(), "");
}

TEST_F(ReadDataTest, MissingFileAndBadStarts) {
    Chart c = reader(5, 30);
    EXPECT_EQ(ReadData(&c.ci()), -1);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(c.result[i], 0.0f);  // zeroed before the open
    EXPECT_EQ(c.result[5], -777.0f);

    // A constant parameter 1 marks no bar: from the first one.
    write_bytes(data_file(11), selfdata_bytes({{bar(0), 1.0f}}));
    Chart k = reader(0);
    k.constant(3.0f);
    EXPECT_EQ(ReadData(&k.ci()), 0);
    EXPECT_EQ(k.result[0], 1.0f);
    // A start past the last bar: refused, nothing written.
    Chart past = reader(100);
    EXPECT_EQ(ReadData(&past.ci()), -1);
    for (float v : past.result) ASSERT_EQ(v, -777.0f);
    Chart no_k = reader(0);
    no_k.p2.clear();
    EXPECT_EQ(ReadData(&no_k.ci()), -1);
    EXPECT_EQ(log_text(), "");
}

TEST_F(ReadDataTest, TheNewestFourThousandRecordsAreReadAndLogged) {
    // 4100 daily records up to bar 99; the newest 4000 reach back before the
    // first bar, so every bar gets its own (the oldest 4000 would end at bar 9).
    std::vector<std::pair<int32_t, float>> recs;
    for (int i = 0; i < 4100; ++i) recs.push_back({bar(i - 4000), static_cast<float>(i)});
    write_bytes(data_file(11), selfdata_bytes(recs));
    Chart c = reader(0);
    EXPECT_EQ(ReadData(&c.ci()), 0);
    for (int j = 0; j < 100; ++j) ASSERT_EQ(c.result[j], 4000.0f + j) << j;
    // The message ends with a line break of its own (CR LF in the text-mode log).
    EXPECT_EQ(log_text(), "\r\n26-12-07 09:31:05 -> readdata1 数据太多，超过4000，数据可能有误\r\n");
}

class ReadFileTest : public SeriesFileTest {
protected:
    void floats(const std::string& rel, int n) {
        Bytes b;
        for (int i = 0; i < n; ++i) put_f32(b, 0.25f + i);
        write_bytes(rel, b);
    }
};

TEST_F(ReadFileTest, ValuesFillTheSlotsBeforeTheLastBackwards) {
    floats("7.dat", 3);
    Chart c(10);
    c.constant(7.9f);
    EXPECT_EQ(readfile(&c.ci()), 6);
    EXPECT_EQ(c.result[9], 3.0f);
    EXPECT_EQ(c.result[8], 0.25f);
    EXPECT_EQ(c.result[7], 1.25f);
    EXPECT_EQ(c.result[6], 2.25f);
    EXPECT_EQ(c.result[5], -777.0f);

    // More values than slots: the extra ones are dropped.
    floats("7.dat", 20);
    Chart small(5);
    small.constant(7);
    EXPECT_EQ(readfile(&small.ci()), 0);
    EXPECT_EQ(small.result[4], 20.0f);
    EXPECT_EQ(small.result[0], 3.25f);
    // One slot: the count only, and -1.
    Chart one(1);
    one.constant(7);
    EXPECT_EQ(readfile(&one.ci()), -1);
    EXPECT_EQ(one.result[0], 20.0f);
}

TEST_F(ReadFileTest, FileNumberSourcesLimitsAndFailures) {
    // With a series parameter 1 the number comes from parameter 2.
    floats("8.dat", 2);
    Chart c(10);
    c.series(std::vector<float>(10, 7.0f), 0);
    c.p2 = {8};
    EXPECT_EQ(readfile(&c.ci()), 7);
    c.p2.clear();
    EXPECT_EQ(readfile(&c.ci()), -1);
    // At most 4000 values; a trailing part of a float is not one.
    floats("9.dat", 4500);
    Chart big(5000);
    big.constant(9);
    EXPECT_EQ(readfile(&big.ci()), 4999 - 4000);
    EXPECT_EQ(big.result[4999], 4000.0f);
    write_bytes("10.dat", Bytes{1, 2, 3});
    Chart empty(3);
    empty.constant(10);
    EXPECT_EQ(readfile(&empty.ci()), -1);
    empty.constant(11);  // no such file
    EXPECT_EQ(readfile(&empty.ci()), -1);
    for (float v : empty.result) EXPECT_EQ(v, -777.0f);
    EXPECT_EQ(log_text(), "");
}
