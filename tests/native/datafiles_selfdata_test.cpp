// savedata, savedataR, savedata0 and SAVEDATA_CAPITAL: the self-data files
// they leave, compared byte for byte with files built from the 8-byte
// record layout, over sequences of calls.
#include <cmath>
#include <string>

#include "datafiles/datafile_messages.h"
#include "datafiles/exports.h"
#include "platform/portable_testing.h"
#include "tests/native/datafiles_support.h"

class SelfDataTest : public DataFileTest {
protected:
    // savedata with a 10-bar day chart ending on `day`.
    int save(int32_t day, float v, float k = 11) {
        Chart c = chart_ending(day, v, k);
        return savedata(&c.ci());
    }
    const int32_t d1 = kJan2 + 10 * kDay, d2 = d1 + kDay, d3 = d1 + 2 * kDay, d5 = d1 + 4 * kDay;
};

TEST_F(SelfDataTest, MergeSequenceBeforeBetweenAfterAndSameDay) {
    // First value creates the history.
    Chart c = chart_ending(d3, 3.0f, 11);
    EXPECT_EQ(savedata(&c.ci()), 9);
    EXPECT_EQ(c.result[9], 3.0f);
    EXPECT_EQ(c.result[8], -777.0f);
    EXPECT_EQ(read_bytes(data_file(11)), selfdata_bytes({{d3, 3.0f}}));

    // A later day is appended: data_count - n - 1 with n = 1 stored record.
    EXPECT_EQ(save(d5, 5.0f), 8);
    // An earlier day goes to the front; one between stored days in between.
    Chart before = chart_ending(d1, 1.0f, 11);
    before.series(std::vector<float>(10, 1.0f), 4);
    EXPECT_EQ(savedata(&before.ci()), 4);  // param1_start
    EXPECT_EQ(save(d2, 2.0f), -1);         // constant parameter 1: its start, -1
    EXPECT_EQ(read_bytes(data_file(11)),
              selfdata_bytes({{d1, 1.0f}, {d2, 2.0f}, {d3, 3.0f}, {d5, 5.0f}}));

    // Same day, same value: nothing written, 0.
    int writes_before = plat_testing::count_of(plat_testing::Op::write);
    EXPECT_EQ(save(d2, 2.0f), 0);
    EXPECT_EQ(plat_testing::count_of(plat_testing::Op::write), writes_before);
    // Same day, another value: replaced in place, length kept.
    EXPECT_EQ(save(d3, 3.5f), -1);
    EXPECT_EQ(read_bytes(data_file(11)),
              selfdata_bytes({{d1, 1.0f}, {d2, 2.0f}, {d3, 3.5f}, {d5, 5.0f}}));
    EXPECT_EQ(log_text(), "");
}

TEST_F(SelfDataTest, DataNumberTenKeepsOnlyTheLatestRecordElevenKeepsHistory) {
    EXPECT_EQ(save(d1, 1.0f, 10), 9);
    EXPECT_EQ(save(d2, 2.0f, 10), 9);
    EXPECT_EQ(save(d1, 1.5f, 10), 9);  // even an older day replaces the file
    EXPECT_EQ(read_bytes(data_file(10)), selfdata_bytes({{d1, 1.5f}}));
    EXPECT_EQ(save(d1, 1.0f, 11), 9);
    EXPECT_EQ(save(d2, 2.0f, 11), 8);
    EXPECT_EQ(read_bytes(data_file(11)), selfdata_bytes({{d1, 1.0f}, {d2, 2.0f}}));
    // A truncated data number: 11.9 is 11.
    EXPECT_EQ(save(d3, 3.0f, 11.9f), 7);
    EXPECT_EQ(read_bytes(data_file(11)).size(), 24u);
}

TEST_F(SelfDataTest, LongHistoryKeepsEveryRecord) {
    std::vector<std::pair<int32_t, float>> history;
    const int32_t base = kJan2 - 7000 * kDay;
    for (int i = 0; i < 3000; ++i) history.push_back({base + 2 * i * kDay, static_cast<float>(i)});
    write_bytes(data_file(11), selfdata_bytes(history));

    // Between records 1499 and 1500, then after the last one.
    int32_t between = base + 2 * 1499 * kDay + kDay;
    EXPECT_EQ(save(between, -1.0f), -1);
    int32_t after = history.back().first + kDay;
    // 10 bars, 3001 stored: the index would be far below -1; -1 is handed back.
    EXPECT_EQ(save(after, -2.0f), -1);
    history.insert(history.begin() + 1500, {between, -1.0f});
    history.push_back({after, -2.0f});
    EXPECT_EQ(read_bytes(data_file(11)), selfdata_bytes(history));
}

TEST_F(SelfDataTest, RefusalsTouchNoFileAndNoSlot) {
    Chart c = chart_ending(d1, 4.0f, 11);
    c.p2.clear();
    EXPECT_EQ(savedata(&c.ci()), -1);  // no data number
    c = chart_ending(d1, 4.0f, 11);
    c.p1.clear();
    EXPECT_EQ(savedata(&c.ci()), -1);  // no parameter 1
    c = chart_ending(d1, 4.0f, 11);
    c.p3 = {4.0f};
    EXPECT_EQ(savedata(&c.ci()), -1);  // the skip value
    EXPECT_EQ(log_text(), "");
    for (float v : c.result) EXPECT_EQ(v, -777.0f);
    EXPECT_FALSE(exists(data_file(11)));

    // A NaN never equals the skip value: it is stored.
    c = chart_ending(d1, NAN, 11);
    c.p3 = {NAN};
    EXPECT_EQ(savedata(&c.ci()), 9);
    EXPECT_TRUE(std::isnan(c.result[9]));
}

TEST_F(SelfDataTest, NonPositiveCloseAndUnknownPeriodsAreLogged) {
    Chart c = chart_ending(d1, 4.0f, 11);
    c.bars[9].close = 0.0f;
    EXPECT_EQ(savedata(&c.ci()), -1);
    EXPECT_EQ(log_text(), log_entry(std::string(kMsgSavedataClose) + " " + win(data_file(11))));
    for (int period : {int(kPeriodWeek), int(kPeriodMonth), 11}) {
        c = chart_ending(d1, 4.0f, 11);
        c.period = period;
        EXPECT_EQ(savedata(&c.ci()), -1);
        EXPECT_NE(log_text().find(log_entry(std::string(kMsgSavedataPeriod) + " " + std::to_string(period))),
                  std::string::npos);
        EXPECT_EQ(c.result[9], -777.0f);
    }
    EXPECT_FALSE(exists(data_file(11)));
    // Tick and minute periods take the last bar's day like the day chart.
    for (int period = kPeriodTick; period <= kPeriodDay; ++period) {
        c = chart_ending(d1 + 3600 * period, 4.0f, 10);
        c.period = period;
        EXPECT_EQ(savedata(&c.ci()), 9);
        EXPECT_EQ(read_bytes(data_file(10)), selfdata_bytes({{d1, 4.0f}}));
    }
}

TEST_F(SelfDataTest, TimeShareDayComesFromTheStartBarEightHoursEarlier) {
    Chart c = chart_ending(d2, 0.0f, 11);
    c.period = kPeriodTimeShare;
    c.bars[3].time = d2 + 7 * 3600 + 59 * 60;  // 15:59 Beijing time, stamped 8 hours ahead
    c.series(std::vector<float>(10, 6.0f), 3);
    EXPECT_EQ(savedata(&c.ci()), 9);
    EXPECT_EQ(read_bytes(data_file(11)), selfdata_bytes({{d1, 6.0f}}));
    c.bars[3].time = d2 + 8 * 3600;
    c.p1.assign(10, 7.0f);
    EXPECT_EQ(savedata(&c.ci()), 8);
    EXPECT_EQ(read_bytes(data_file(11)), selfdata_bytes({{d1, 6.0f}, {d2, 7.0f}}));

    // A constant parameter 1 marks no bar: refused, nothing written.
    Chart k = chart_ending(d3, 8.0f, 11);
    k.period = kPeriodTimeShare;
    EXPECT_EQ(savedata(&k.ci()), -1);
    EXPECT_EQ(k.result[9], -777.0f);
    EXPECT_EQ(read_bytes(data_file(11)).size(), 16u);
}

TEST_F(SelfDataTest, OverlongLabelIsRefusedNotCut) {
    Chart c = chart_ending(d1, 4.0f, 11);
    c.label = std::string(400, '7');
    EXPECT_EQ(savedata(&c.ci()), -1);
    EXPECT_NE(log_text().find(kMsgSelfDataInitFailed), std::string::npos);
    EXPECT_EQ(savedata0(const_cast<char*>("ALARM"), d1, &c.label[0], 1.0f), -1);
}

TEST_F(SelfDataTest, MissingSelfDataParentIsLoggedAndFails) {
    ASSERT_EQ(std::system(("rm -rf '" + at("userdata/SelfData") + "'").c_str()), 0);
    Chart c = chart_ending(d1, 4.0f, 11);
    EXPECT_EQ(savedata(&c.ci()), -1);
    std::string dir = win("userdata/SelfData/DATA11");
    EXPECT_EQ(log_text(), log_entry("make_selfdata_fn 建目录路径错误 " + dir) +
                              log_entry(std::string(kMsgSelfDataInitFailed) + " 600000 " + dir));
}

TEST_F(SelfDataTest, Savedata0OverwritesTheSameDayAndAppendsOthers) {
    char name[] = "ALARM", code[] = "600000";
    const std::string file = "userdata/SelfData/ALARM/SH600000.dat";
    EXPECT_EQ(savedata0(name, d2 + 3600, code, 1.0f), 0);
    EXPECT_EQ(savedata0(name, d2 + 7200, code, 2.0f), 0);  // same day: overwritten
    EXPECT_EQ(read_bytes(file), selfdata_bytes({{d2, 2.0f}}));
    EXPECT_EQ(savedata0(name, d3, code, 3.0f), 0);
    EXPECT_EQ(savedata0(name, d1 + 5, code, 1.0f), 0);  // no order test: appended
    EXPECT_EQ(read_bytes(file), selfdata_bytes({{d2, 2.0f}, {d3, 3.0f}, {d1, 1.0f}}));
    // The flag is 0: a five-character code is Hong Kong's.
    char hk[] = "00700";
    EXPECT_EQ(savedata0(name, d1, hk, 9.0f), 0);
    EXPECT_EQ(read_bytes("userdata/SelfData/ALARM/HK00700.dat"), selfdata_bytes({{d1, 9.0f}}));
    EXPECT_EQ(savedata0(nullptr, d1, code, 1.0f), -1);
    EXPECT_EQ(log_text(), "");
}

TEST_F(SelfDataTest, Savedata0ComparesTheLastEightBytes) {
    // A file with a stray tail: its last 8 bytes are not a whole record.
    char name[] = "ALARM", code[] = "600000";
    const std::string file = "userdata/SelfData/ALARM/SH600000.dat";
    make_dir("userdata/SelfData/ALARM");
    Bytes old = selfdata_bytes({{d1, 1.0f}});
    old.push_back(0xAB);
    write_bytes(file, old);
    EXPECT_EQ(savedata0(name, d1, code, 2.0f), 0);
    Bytes want = old;
    Bytes rec = selfdata_bytes({{d1, 2.0f}});
    want.insert(want.end(), rec.begin(), rec.end());
    EXPECT_EQ(read_bytes(file), want);
}

class CapitalTest : public SelfDataTest {
protected:
    Chart capital_chart(int n) {
        Chart c(n);
        for (int i = 0; i < n; ++i) c.bars[i].volume = static_cast<float>(i + 1);
        std::vector<float> p(static_cast<size_t>(n), 0.0f);
        p.back() = 42.5f;
        c.series(p, 0);
        c.p2 = {20};
        c.p3 = {12345.7f};
        return c;
    }
};

TEST_F(CapitalTest, ThreeRecordsOfTheStartBarsDay) {
    Chart c = capital_chart(30);  // mean of the last 29 volumes: 2..30, 16
    c.param1_start = 2;
    make_dir("userdata/SelfData/DATA20");
    write_bytes(data_file(20), selfdata_bytes({{1, 1}, {2, 2}, {3, 3}, {4, 4}}));
    EXPECT_EQ(SAVEDATA_CAPITAL(&c.ci()), 29);
    EXPECT_EQ(c.result[29], 12345.0f);
    EXPECT_EQ(c.result[28], -777.0f);
    int32_t day = kJan2 + 2 * kDay - kDay;  // bar 2 at 00:00 UTC, 8 hours back
    EXPECT_EQ(read_bytes(data_file(20)), selfdata_bytes({{day, 12345.0f}, {day, 42.5f}, {day, 16.0f}}));

    Chart three = capital_chart(3);
    EXPECT_EQ(SAVEDATA_CAPITAL(&three.ci()), 2);
    EXPECT_EQ(read_bytes(data_file(20)),
              selfdata_bytes({{kJan2 - kDay, 12345.0f}, {kJan2 - kDay, 42.5f}, {kJan2 - kDay, 1000.0f}}));

    Chart many = capital_chart(100);  // the last 60: 41..100, mean 70.5, kept as 70
    EXPECT_EQ(SAVEDATA_CAPITAL(&many.ci()), 99);
    EXPECT_EQ(read_bytes(data_file(20)),
              selfdata_bytes({{kJan2 - kDay, 12345.0f}, {kJan2 - kDay, 42.5f}, {kJan2 - kDay, 70.0f}}));
}

TEST_F(CapitalTest, ParameterErrorsAreLogged) {
    std::vector<Chart> bad(5, capital_chart(10));
    bad[0].constant(1.0f);
    bad[1].p4 = {1};
    bad[2].p3.clear();
    bad[3].p2.clear();
    bad[4].param1_start = 10;  // no such bar
    std::string want;
    for (Chart& c : bad) {
        EXPECT_EQ(SAVEDATA_CAPITAL(&c.ci()), -1);
        EXPECT_EQ(c.result[9], -777.0f);
        want += log_entry(kMsgCapitalParams);
    }
    EXPECT_EQ(log_text(), want);
    EXPECT_FALSE(exists(data_file(20)));
}
