// almtime and ClearAlarm over alert files built from the byte layout: slot
// arithmetic and label rule, refused files untouched, and every injected
// failure of ClearAlarm's rewrite leaving the host's file as it was.
#include "alarms/alarm_messages.h"
#include "alarms/alert_file.h"
#include "alarms/exports.h"
#include "tests/invest_alarm_bytes.h"
#include "tests/native/datafiles_support.h"

using plat_testing::Op;

namespace {

const char kAlert[] = "userdata/self/ALERT.DAT";
const int32_t kBar0 = 1704187800;  // first bar of the time-share chart
const std::vector<std::string> kTypes = {"突破", "放量", "跌停"};

Chart time_share(const std::string& label, int n = 100) {
    Chart c(n);
    for (int i = 0; i < n; ++i) c.bars[i].time = kBar0 + 60 * i;
    c.label = label;
    c.period = kPeriodTimeShare;
    return c;
}

}  // namespace

TEST(AlertFile, CodesAndSlots) {
    const char* codes[][2] = {{"600000", "SH600000"}, {"000001", "SZ000001"}, {"00700", "HK00700"},
                              {"SH600000", "SH600000"}, {"900901", "SH900901"}};
    for (auto& c : codes) {
        char skcode[50];
        alert_code_of(c[0], skcode, sizeof skcode);
        EXPECT_STREQ(skcode, c[1]);
    }
    // offset from the first bar -> slot; the division truncates toward zero
    int slots[][2] = {{-28620, 3}, {-20400, 50}, {-7800, -1}, {-28860, -1}, {-28830, 0},
                      {-28800 + 135 * 60, 135}, {-28800 + 136 * 60, 46}, {-28800 + 345 * 60, 255}};
    for (auto& s : slots) EXPECT_EQ(alert_slot(kBar0 + s[0], kBar0), s[1]) << s[0];
    EXPECT_EQ(alert_slot(INT32_MAX, INT32_MIN), -1);  // no 32-bit overflow
}

TEST_F(DataFileTest, AlmtimeMarksAlertMinutes) {
    write_bytes(kAlert, concat({alert_head(kTypes, 3), alert_record("SH600000", kBar0 - 28620, "放量"),
                                alert_record("SH600000", kBar0 - 20400, "未知"),  // no definition: 3 + 1
                                alert_record("SH600000", kBar0 - 7800, "突破"),
                                alert_record("SZ000001", kBar0 - 28500, "跌停"),
                                alert_record("SH600000", kBar0 - 28650, "跌停"),  // same slot: the later wins
                                alert_record("SH600000", kBar0 - 28800 + 200 * 60, "突破"),  // past the bars
                                {1, 2, 3}}));  // a short tail is no record
    Chart c = time_share("600000"), sz = time_share("000001"), hk = time_share("00700");
    EXPECT_EQ(almtime(&c.ci()), 0);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(c.result[i], i == 3 ? 3.0f : i == 50 ? 4.0f : -777.0f) << i;
    EXPECT_EQ(almtime(&sz.ci()), 0);
    EXPECT_EQ(sz.result[5], 3.0f);
    EXPECT_EQ(almtime(&hk.ci()), -1);

    Chart day = time_share("600000"), empty(0);
    day.period = kPeriodDay;
    empty.period = kPeriodTimeShare;
    EXPECT_EQ(almtime(&day.ci()), -1);
    EXPECT_EQ(almtime(&empty.ci()), -1);
    std::remove(at(kAlert).c_str());
    EXPECT_EQ(almtime(&c.ci()), -1);
    EXPECT_EQ(log_text(), log_entry(kMsgAlmtimeNoBars) + log_entry(kMsgAlertOpen));
}

TEST_F(DataFileTest, RefusedAlertFilesStayUntouched) {
    Chart c = time_share("600000");
    Bytes cut = alert_head(kTypes, 3);
    cut.resize(300);  // ends inside its definitions: nothing to keep them from
    for (const Bytes& file : {concat({alert_head(std::vector<std::string>(25, "突破"), 25),
                                      alert_record("SH600000", kBar0 - 28620, "突破")}),
                              concat({alert_head({}, 0), alert_record("SH600000", kBar0 - 28620, "突破")}),
                              Bytes{1, 2, 3}, cut}) {
        write_bytes(kAlert, file);
        std::remove(at("TARVEX.log").c_str());
        EXPECT_EQ(almtime(&c.ci()), -1);
        EXPECT_EQ(ClearAlarm(nullptr), -1);
        EXPECT_EQ(read_bytes(kAlert), file);
        if (file.size() < 300) {
            EXPECT_EQ(log_text(), log_entry(kMsgClearAlarm));
        }
    }
}

TEST_F(DataFileTest, ClearAlarmKeepsTheHeadUnderEveryFailure) {
    Bytes head = alert_head(kTypes, 3);
    std::vector<Bytes> parts = {head};
    for (int i = 0; i < 100; ++i) parts.push_back(alert_record("SH600000", kBar0 - 28000 + i * 60, "突破"));
    Bytes full = concat(parts);
    write_bytes(kAlert, full);
    EXPECT_EQ(ClearAlarm(nullptr), 0);
    EXPECT_EQ(read_bytes(kAlert), head);
    EXPECT_EQ(head.size(), 450u);
    EXPECT_EQ(log_text(), log_entry(kMsgClearAlarm) + log_entry(std::string(kMsgAlertTypes) + " 3"));
    // Each file operation of the call (the log's too) fails in turn.
    for (Op op : {Op::open, Op::read, Op::write, Op::close, Op::rename}) {
        for (int n = 1;; ++n) {
            write_bytes(kAlert, full);
            std::remove(at("TARVEX.log").c_str());
            plat_testing::fail_nth(op, n);
            int r = ClearAlarm(nullptr);
            bool fired = plat_testing::count_of(op) >= n;
            plat_testing::reset_faults();
            SCOPED_TRACE(std::to_string(static_cast<int>(op)) + " #" + std::to_string(n));
            EXPECT_FALSE(exists(std::string(kAlert) + ".tarvex-new"));
            EXPECT_EQ(read_bytes(kAlert), r == 0 ? head : full);
            std::string log = log_text();
            if (r != 0 && op != Op::read) {
                EXPECT_TRUE(log.find(kMsgAlertOpen) != log.npos || log.find(kMsgAlertRewrite) != log.npos);
            }
            if (!fired) break;
        }
    }
}
