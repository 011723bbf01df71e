// almtime and ClearAlarm over alert files built from the byte layout: the
// slot arithmetic and label rule, refused files left untouched, and every
// failure of ClearAlarm's rewrite leaving the host's file as it was.
#include <cstdio>
#include <string>
#include <vector>

#include "alarms/alarm_messages.h"
#include "alarms/alert_file.h"
#include "alarms/exports.h"
#include "platform/portable_testing.h"
#include "tests/invest_alarm_bytes.h"
#include "tests/native/datafiles_support.h"

using plat_testing::Op;

namespace {

const char kAlert[] = "userdata/self/ALERT.DAT";
const int32_t kBar0 = 1704187800;  // the first bar of the time-share chart
const std::vector<std::string> kTypes = {"突破", "放量", "跌停"};

Chart time_share(const std::string& label, int n = 241) {
    Chart c(n);
    for (int i = 0; i < n; ++i) c.bars[i].time = kBar0 + 60 * i;
    c.label = label;
    c.period = kPeriodTimeShare;
    return c;
}

}  // namespace

TEST(AlertFile, CodesAndSlots) {
    struct Code { const char* label; const char* want; } codes[] = {
        {"600000", "SH600000"}, {"000001", "SZ000001"}, {"00700", "HK00700"},
        {"SH600000", "SH600000"}, {"900901", "SH900901"}, {"zz", "zz"},
    };
    for (const Code& c : codes) {
        char skcode[50];
        alert_code_of(c.label, skcode, sizeof skcode);
        EXPECT_STREQ(skcode, c.want);
    }
    struct Slot { int32_t offset; int want; } slots[] = {
        {-28620, 3}, {-20400, 50}, {-7800, -1}, {-28860, -1}, {-28800, 0},
        {-28800 + 135 * 60, 135}, {-28800 + 136 * 60, 46}, {-28800 + 345 * 60, 255},
        {-28830, 0},  // division truncates toward zero
    };
    for (const Slot& s : slots) EXPECT_EQ(alert_slot(kBar0 + s.offset, kBar0), s.want) << s.offset;
    EXPECT_EQ(alert_slot(INT32_MAX, INT32_MIN), -1);  // no 32-bit overflow
}

class AlarmTest : public DataFileTest {};

TEST_F(AlarmTest, AlmtimeMarksAlertMinutes) {
    write_bytes(kAlert, concat({alert_head(kTypes, 3),
                                alert_record("SH600000", kBar0 - 28620, "放量"),
                                alert_record("SH600000", kBar0 - 20400, "未知"),   // no definition: 3 + 1
                                alert_record("SH600000", kBar0 - 7800, "突破"),    // after the close
                                alert_record("SH600000", kBar0 - 28860, "突破"),   // before the open
                                alert_record("SZ000001", kBar0 - 28500, "跌停"),
                                alert_record("SH600000", kBar0 - 28650, "跌停"),  // same slot: the later wins
                                alert_record("SH600000", kBar0 - 28800 + 200 * 60, "突破"),  // slot 110: past the bars
                                {1, 2, 3}}));                                        // a short tail is no record
    Chart c = time_share("600000", 100);
    EXPECT_EQ(almtime(&c.ci()), 0);
    for (int i = 0; i < 100; ++i) {
        float want = i == 3 ? 3.0f : i == 50 ? 4.0f : -777.0f;
        EXPECT_EQ(c.result[i], want) << i;
    }
    Chart sz = time_share("000001", 100);
    EXPECT_EQ(almtime(&sz.ci()), 0);
    EXPECT_EQ(sz.result[5], 3.0f);
    Chart none = time_share("00700", 100);
    EXPECT_EQ(almtime(&none.ci()), -1);
    EXPECT_EQ(log_text(), "");
}

TEST_F(AlarmTest, RefusalsLeaveTheFileAlone) {
    Chart day = time_share("600000");
    day.period = kPeriodDay;
    EXPECT_EQ(almtime(&day.ci()), -1);
    Chart empty(0);
    empty.period = kPeriodTimeShare;
    EXPECT_EQ(almtime(&empty.ci()), -1);
    Chart c = time_share("600000");
    EXPECT_EQ(almtime(&c.ci()), -1);  // no file
    EXPECT_EQ(ClearAlarm(nullptr), -1);
    EXPECT_EQ(log_text(), log_entry(kMsgAlmtimeNoBars) + log_entry(kMsgAlertOpen) + log_entry(kMsgClearAlarm) +
                              log_entry(kMsgAlertOpen));

    std::vector<std::string> many(25, "突破");
    struct Case { Bytes file; } cases[] = {
        {concat({alert_head(many, 25), alert_record("SH600000", kBar0 - 28620, "突破")})},
        {concat({alert_head({}, 0), alert_record("SH600000", kBar0 - 28620, "突破")})},
        {Bytes{1, 2, 3}},
    };
    for (const Case& k : cases) {
        write_bytes(kAlert, k.file);
        std::remove(at("TARVEX.log").c_str());
        EXPECT_EQ(almtime(&c.ci()), -1);
        EXPECT_EQ(ClearAlarm(nullptr), -1);
        EXPECT_EQ(read_bytes(kAlert), k.file);
        EXPECT_EQ(log_text(), log_entry(kMsgClearAlarm));
    }
    // Ends inside its definitions: nothing to keep them from.
    Bytes cut = alert_head(kTypes, 3);
    cut.resize(300);
    write_bytes(kAlert, cut);
    EXPECT_EQ(ClearAlarm(nullptr), -1);
    EXPECT_EQ(read_bytes(kAlert), cut);
}

TEST_F(AlarmTest, ClearAlarmKeepsTheHeadUnderEveryFailure) {
    Bytes head = alert_head(kTypes, 3);
    std::vector<Bytes> parts = {head};
    for (int i = 0; i < 100; ++i) parts.push_back(alert_record("SH600000", kBar0 - 28000 + i * 60, "突破"));
    Bytes full = concat(parts);
    std::string ok_log = log_entry(kMsgClearAlarm) + log_entry(std::string(kMsgAlertTypes) + " 3");

    write_bytes(kAlert, full);
    EXPECT_EQ(ClearAlarm(nullptr), 0);
    EXPECT_EQ(read_bytes(kAlert).size(), 450u);
    EXPECT_EQ(read_bytes(kAlert), head);
    EXPECT_EQ(log_text(), ok_log);

    // The library's own file operations are the log's first and then the
    // alert file's; each is failed in turn until the calls run out.
    for (Op op : {Op::open, Op::read, Op::write, Op::close, Op::rename}) {
        for (int n = 1; n < 12; ++n) {
            write_bytes(kAlert, full);
            std::remove(at("TARVEX.log").c_str());
            plat_testing::fail_nth(op, n);
            int r = ClearAlarm(nullptr);
            bool fired = plat_testing::count_of(op) >= n;
            plat_testing::reset_faults();
            SCOPED_TRACE(std::to_string(static_cast<int>(op)) + " #" + std::to_string(n));
            EXPECT_FALSE(exists(std::string(kAlert) + ".tarvex-new"));
            if (r == 0) {
                EXPECT_EQ(read_bytes(kAlert), head);
            } else {
                EXPECT_TRUE(fired);
                EXPECT_EQ(read_bytes(kAlert), full);
                std::string log = log_text();
                EXPECT_TRUE(log.find(kMsgAlertOpen) != std::string::npos ||
                            log.find(kMsgAlertRewrite) != std::string::npos || op == Op::read)
                    << log;
            }
            if (!fired) break;
        }
    }
}
