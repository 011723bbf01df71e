// Every writer of the data files under injected failures: each open, write,
// close and rename of a call is made to fail in turn. A call that reports
// failure must leave the file byte for byte as it was (or still missing) and
// log its failure text; a call that succeeds (the failure hit only the log)
// must leave exactly the new content. No temporary file may stay behind.
#include <cstdio>
#include <functional>
#include <string>

#include "datafiles/datafile_messages.h"
#include "datafiles/exports.h"
#include "platform/portable_testing.h"
#include "tests/native/datafiles_support.h"

using plat_testing::Op;

namespace {

struct WriterCase {
    std::string file;        // below the host directory
    bool existed;            // whether `before` is on disk before the call
    Bytes before;
    Bytes after;             // the content a successful call leaves
    int success;             // what a successful call returns
    std::string fail_log;    // text logged when the call fails ("" for silent ones)
    std::function<int()> call;
};

const char* op_name(Op op) {
    switch (op) {
    case Op::open: return "open";
    case Op::write: return "write";
    case Op::close: return "close";
    case Op::rename: return "rename";
    default: return "mkdir";
    }
}

}  // namespace

class DataFileFaultTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        make_dir("userdata/SelfData/DATA10");
        make_dir("userdata/SelfData/DATA11");
        make_dir("userdata/SelfData/ALARM");
    }

    void restore(const WriterCase& w) {
        if (w.existed) write_bytes(w.file, w.before);
        else std::remove(at(w.file).c_str());
        std::remove(at("TARVEX.log").c_str());
    }

    void check_every_failure(const WriterCase& w) {
        for (Op op : {Op::open, Op::write, Op::close, Op::rename}) {
            int failed_calls = 0;
            for (int n = 1;; ++n) {
                ASSERT_LT(n, 40) << op_name(op);
                restore(w);
                plat_testing::fail_nth(op, n);
                int r = w.call();
                bool fired = plat_testing::count_of(op) >= n;
                plat_testing::reset_faults();
                SCOPED_TRACE(std::string(op_name(op)) + " #" + std::to_string(n));
                if (r == -1 && fired) {
                    ++failed_calls;
                    EXPECT_EQ(exists(w.file), w.existed);
                    if (w.existed) {
                        EXPECT_EQ(read_bytes(w.file), w.before);
                    }
                    if (!w.fail_log.empty()) {
                        EXPECT_NE(log_text().find(w.fail_log), std::string::npos);
                    }
                } else {
                    EXPECT_EQ(r, w.success);
                    EXPECT_EQ(read_bytes(w.file), w.after);
                }
                if (!fired) break;  // every call of this operation has been failed once
            }
            EXPECT_GT(failed_calls, 0) << op_name(op) << ": no failure reached the file";
        }
    }

    const int32_t d1 = kJan2 + 10 * kDay, d2 = d1 + kDay, d3 = d1 + 2 * kDay;
    const Bytes history = selfdata_bytes({{d1, 1.0f}, {d3, 3.0f}});
};

TEST_F(DataFileFaultTest, SavedataMergeAndCreate) {
    auto save = [this](float k, int start) {
        Chart c = chart_ending(d2, 2.0f, k);
        c.series(std::vector<float>(10, 2.0f), start);
        return savedata(&c.ci());
    };
    std::string open_failed = std::string(kMsgSelfDataOpenFailed) + " 600000 " + win(data_file(11));
    check_every_failure({data_file(11), true, history, selfdata_bytes({{d1, 1.0f}, {d2, 2.0f}, {d3, 3.0f}}), 3,
                         open_failed, [&] { return save(11, 3); }});
    std::string init_failed = std::string(kMsgSelfDataInitFailed) + " 600000 " + win(data_file(11));
    check_every_failure(
        {data_file(11), false, {}, selfdata_bytes({{d2, 2.0f}}), 9, init_failed, [&] { return save(11, 3); }});
    std::string init10 = std::string(kMsgSelfDataInitFailed) + " 600000 " + win(data_file(10));
    check_every_failure(
        {data_file(10), true, history, selfdata_bytes({{d2, 2.0f}}), 9, init10, [&] { return save(10, 3); }});
}

TEST_F(DataFileFaultTest, Savedata0OverwriteAppendAndCreate) {
    const std::string file = "userdata/SelfData/ALARM/SH600000.dat";
    auto save0 = [](int32_t time, float v) {
        char name[] = "ALARM", code[] = "600000";
        return savedata0(name, time, code, v);
    };
    Bytes last_d3 = selfdata_bytes({{d1, 1.0f}, {d3, 3.0f}});
    std::string open_failed = std::string(kMsgSelfDataOpenFailed) + " 600000 " + win(file);
    check_every_failure({file, true, last_d3, selfdata_bytes({{d1, 1.0f}, {d3, 5.0f}}), 0, open_failed,
                         [&] { return save0(d3 + 60, 5.0f); }});
    check_every_failure({file, true, last_d3, selfdata_bytes({{d1, 1.0f}, {d3, 3.0f}, {d2, 2.0f}}), 0,
                         open_failed, [&] { return save0(d2, 2.0f); }});
    check_every_failure({file, false, {}, selfdata_bytes({{d2, 2.0f}}), 0,
                         std::string(kMsgSelfDataInitFailed) + " 600000 " + win(file),
                         [&] { return save0(d2, 2.0f); }});
}

TEST_F(DataFileFaultTest, CapitalSaveSAndSaveDay) {
    auto capital = [] {
        Chart c(3);
        c.series({0, 0, 4.0f}, 0);
        c.p2 = {11};
        c.p3 = {100};
        return SAVEDATA_CAPITAL(&c.ci());
    };
    int32_t day = kJan2 - kDay;
    check_every_failure({data_file(11), true, history,
                         selfdata_bytes({{day, 100.0f}, {day, 4.0f}, {day, 1000.0f}}), 2,
                         std::string(kMsgCapitalOpenFailed) + " " + win(data_file(11)), capital});

    auto save_s = [] {
        Chart c(3);
        c.series({5.0f, 6.0f, 7.0f}, 1);
        c.p2 = {11};
        return saveS(&c.ci());
    };
    check_every_failure({data_file(11), true, history,
                         selfdata_bytes({{kJan2 + kDay, 6.0f}, {kJan2 + 2 * kDay, 7.0f}}), 1,
                         std::string(kMsgSaveSInitFailed) + " " + win(data_file(11)), save_s});

    auto save_day = [] {
        Chart c(2);
        c.series({0, 0}, 0);
        return saveDay(&c.ci());
    };
    Bytes day_file;
    for (int i = 0; i < 2; ++i) {
        put_i32(day_file, kJan2 + i * kDay);
        put_f32(day_file, 10.0f);
    }
    check_every_failure({"/SH600000.DAY", true, history, day_file, 0, "", save_day});
}

TEST_F(DataFileFaultTest, ReadErrorIsAFailureNotAShorterFile) {
    // A read that fails part-way through a history must not pass for its
    // end: the rewrite would drop every record after it.
    plat_testing::set_now(local_seconds(2026, 12, 7, 9, 31, 5));
    std::vector<std::pair<int32_t, float>> recs;
    for (int i = 0; i < 10000; ++i) recs.push_back({kJan2 - 12000 * kDay + i * kDay, static_cast<float>(i)});
    const Bytes long_history = selfdata_bytes(recs);  // several reads long (80 000 bytes)
    const std::string alarm = "userdata/SelfData/ALARM/SH600000.dat";
    write_bytes(data_file(11), long_history);
    write_bytes(alarm, long_history);
    char name[] = "ALARM", code[] = "600000";

    plat_testing::fail_nth(Op::read, 2);
    Chart c = chart_ending(d2, 2.0f, 11);
    EXPECT_EQ(savedata(&c.ci()), -1);
    plat_testing::fail_nth(Op::read, 2);
    EXPECT_EQ(savedata0(name, d2, code, 2.0f), -1);
    plat_testing::reset_faults();
    EXPECT_EQ(read_bytes(data_file(11)), long_history);
    EXPECT_EQ(read_bytes(alarm), long_history);
    EXPECT_EQ(log_text(), log_entry(std::string(kMsgSelfDataOpenFailed) + " 600000 " + win(data_file(11))) +
                              log_entry(std::string(kMsgSelfDataOpenFailed) + " 600000 " + win(alarm)));

    // The readers report it as a missing file, silently.
    plat_testing::fail_nth(Op::read, 2);
    Chart r(10);
    r.series(std::vector<float>(10, 0.0f), 4);
    r.p2 = {11};
    EXPECT_EQ(ReadData(&r.ci()), -1);
    EXPECT_EQ(r.result[4], -777.0f);
    write_bytes("7.dat", long_history);
    plat_testing::fail_nth(Op::read, 1);  // readfile reads only the first 16 000 bytes, in one read
    Chart f(10);
    f.constant(7);
    EXPECT_EQ(readfile(&f.ci()), -1);
    plat_testing::reset_faults();
    for (float v : f.result) EXPECT_EQ(v, -777.0f);
}
