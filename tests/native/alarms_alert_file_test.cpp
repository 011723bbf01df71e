// almtime and ClearAlarm over alert files built from the byte layout: slot
// arithmetic and label rule, refused files untouched, and every injected
// failure of ClearAlarm's rewrite leaving the host's file as it was.
#include "alarms/alarm_messages.h"
#include "alarms/alert_file.h"
#include "alarms/exports.h"
#include "tests/invest_alarm_bytes.h"
#include "tests/native/datafiles_support.h"

namespace {
const char kAlert[] = "userdata/self/ALERT.DAT";
const int32_t kBar0 = 1704187800;  // first bar of the time-share chart
const Bytes kHead = alert_head({"突破", "放量", "跌停"}, 3);

Chart time_share(const std::string& label) {
    Chart c(100);
    for (int i = 0; i < 100; ++i) c.bars[i].time = kBar0 + 60 * i;
    c.label = label;
    c.period = kPeriodTimeShare;
    return c;
}
}  // namespace

TEST(AlertFile, SlotArithmetic) {
    // offset from the first bar -> slot; the division truncates toward zero
    int slots[][2] = {{-28620, 3}, {-20400, 50}, {-7800, -1}, {-28860, -1}, {-28830, 0},
                      {-28800 + 135 * 60, 135}, {-28800 + 136 * 60, 46}, {-28800 + 345 * 60, 255}};
    for (auto& s : slots) EXPECT_EQ(alert_slot(kBar0 + s[0], kBar0), s[1]) << s[0];
    EXPECT_EQ(alert_slot(INT32_MAX, INT32_MIN), -1);  // no 32-bit overflow
}

TEST_F(DataFileTest, AlmtimeMarksAlertMinutes) {
    write_bytes(kAlert, concat({kHead, alert_record("SH600000", kBar0 - 28620, "放量"),
                                alert_record("SH600000", kBar0 - 20400, "未知"),  // no definition: 3 + 1
                                alert_record("SZ000001", kBar0 - 28500, "跌停"),
                                alert_record("SH600000", kBar0 - 28650, "跌停"),  // same slot: the later wins
                                alert_record("SH600000", kBar0 - 28800 + 200 * 60, "突破"),  // past the bars
                                {1, 2, 3}}));  // a short tail is no record
    Chart c = time_share("600000"), sz = time_share("000001"), hk = time_share("00700"), empty(0);
    EXPECT_EQ(almtime(&c.ci()), 0);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(c.result[i], i == 3 ? 3.0f : i == 50 ? 4.0f : -777.0f) << i;
    EXPECT_EQ(almtime(&sz.ci()), 0);
    EXPECT_EQ(sz.result[5], 3.0f);
    EXPECT_EQ(almtime(&hk.ci()), -1);
    empty.period = kPeriodTimeShare;
    EXPECT_EQ(almtime(&empty.ci()), -1);
    EXPECT_EQ(log_text(), log_entry(kMsgAlmtimeNoBars));
}

TEST_F(DataFileTest, RefusedAlertFilesStayUntouched) {
    Chart c = time_share("600000");
    Bytes cut = kHead;
    cut.resize(300);  // ends inside its definitions: nothing to keep them from
    Bytes record = alert_record("SH600000", kBar0 - 28620, "突破");
    for (const Bytes& file : {concat({alert_head(std::vector<std::string>(25, "突破"), 25), record}),
                              concat({alert_head({}, 0), record}), Bytes{1, 2, 3}, cut}) {
        write_bytes(kAlert, file);
        EXPECT_EQ(almtime(&c.ci()), -1);
        EXPECT_EQ(ClearAlarm(nullptr), -1);
        EXPECT_EQ(read_bytes(kAlert), file);
    }
    std::string clear = log_entry(kMsgClearAlarm);
    EXPECT_EQ(log_text(), clear + clear + clear + clear + log_entry(std::string(kMsgAlertTypes) + " 3"));
}

TEST_F(DataFileTest, ClearAlarmKeepsTheHeadUnderEveryFailure) {
    std::vector<Bytes> parts = {kHead};
    for (int i = 0; i < 100; ++i) parts.push_back(alert_record("SH600000", kBar0 - 28000 + i * 60, "突破"));
    Bytes full = concat(parts);
    write_bytes(kAlert, full);
    EXPECT_EQ(ClearAlarm(nullptr), 0);
    EXPECT_EQ(read_bytes(kAlert), kHead);  // 8 + 3 * 146 + 4 = 450 bytes
    EXPECT_EQ(log_text(), log_entry(kMsgClearAlarm) + log_entry(std::string(kMsgAlertTypes) + " 3"));
    using plat_testing::Op;
    for (Op op : {Op::open, Op::read, Op::write, Op::close, Op::rename}) {  // the log's own operations too
        for (int n = 1, fired = 1; fired; ++n) {
            write_bytes(kAlert, full);
            std::remove(at("TARVEX.log").c_str());
            plat_testing::fail_nth(op, n);
            int r = ClearAlarm(nullptr);
            fired = plat_testing::count_of(op) >= n;
            plat_testing::reset_faults();
            std::string log = log_text(), at_n = std::to_string(static_cast<int>(op)) + " #" + std::to_string(n);
            EXPECT_EQ(read_bytes(kAlert), r == 0 ? kHead : full) << at_n;
            EXPECT_TRUE(r == 0 || op == Op::read || log.find(kMsgAlertOpen) != log.npos ||
                        log.find(kMsgAlertRewrite) != log.npos) << at_n;
        }
    }
}
