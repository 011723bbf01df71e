// Writes cut short. Every writer of a file that someone else owns runs one
// call in a child process that ends at its k-th file operation (a write
// there gets half of its bytes out first), for every k until the call
// completes. After each cut every file is byte for byte its old or its new
// self, the next call leaves exactly the new content and clears what the cut
// left beside it, and no replace ever moves an unflushed file into place.
#include <sys/wait.h>
#include <cstring>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include "alarms/exports.h"
#include "blocks/exports.h"
#include "blocks/save2blk0.h"
#include "bridges/aget.h"
#include "bridges/mt4.h"
#include "datafiles/exports.h"
#include "lines/exports.h"
#include "platform/windows_testing.h"
#include "tests/invest_alarm_bytes.h"
#include "tests/native/blocks_support.h"
#include "tests/native/datafiles_support.h"

namespace {

namespace pw = plat_windows_testing;
using Snapshot = std::map<std::string, std::optional<Bytes>>;

struct Writer {
    const char* name;
    std::map<std::string, std::optional<Bytes>> before;  // the old state, by file
    std::function<void()> call;
};

Chart flat_chart(int n, const std::string& label = "600000") {
    Chart c(n);
    c.label = label;
    c.set_bars(day_bars(std::vector<float>(static_cast<size_t>(n), 10.0f)));
    return c;
}

// 50 flat bars with a peak, a trough and a peak: TlineAll labels four levels.
Chart level_chart() {
    std::vector<float> closes(50, 10.0f);
    closes[12] = 14.0f, closes[24] = 6.0f, closes[36] = 12.0f;
    Chart c(0);
    c.label = "600000";
    c.set_bars(day_bars(closes));
    c.closes_series(0);
    c.p2 = {5.0f};
    c.p4 = {50.0f};
    return c;
}

}  // namespace

class CrashTest : public BlocksTest {
protected:
    void SetUp() override {
        BlocksTest::SetUp();
        for (const char* d : {"userdata/SelfData/DATA11", "userdata/SelfData/ALARM", "tdx", "tdx/T0002", "get"})
            make_dir(d);
        write_text("TARVEX.ini", "[路径]\r\n通达信=" + win("tdx") + "\r\nGET=" + win("get") + "\\\r\n");
        pw::reset();
    }
    void TearDown() override {
        pw::reset();
        BlocksTest::TearDown();
    }

    // Side files anywhere below the host directory.
    std::vector<std::string> side_files() const {
        std::vector<std::string> found;
        for (const auto& e : std::filesystem::recursive_directory_iterator(root_))
            if (e.path().filename().string().find(".tarvex-new") != std::string::npos) found.push_back(e.path());
        return found;
    }
    void plant(const Writer& w) {
        for (const std::string& f : side_files()) std::remove(f.c_str());
        std::remove(at("TARVEX.log").c_str());
        for (const auto& f : w.before) {
            if (f.second) write_bytes(f.first, *f.second);
            else std::remove(at(f.first).c_str());
        }
    }
    Snapshot snapshot(const Writer& w) const {
        Snapshot s;
        for (const auto& f : w.before) s[f.first] = exists(f.first) ? std::optional<Bytes>(read_bytes(f.first)) : std::nullopt;
        return s;
    }
    // Runs the call in a child ended at its k-th file operation (0: never);
    // the child's status, 0 when the call completed with every replace flushed.
    static int run_child(const Writer& w, int k, const std::function<void()>& arrange = [] {}) {
        pid_t pid = fork();
        if (pid == 0) {
            arrange();
            const int unflushed = plat_testing::unflushed_replaces();
            plat_testing::crash_at(k);
            w.call();
            plat_testing::crash_at(0);
            _exit(plat_testing::unflushed_replaces() == unflushed ? 0 : 3);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    void check_every_cut(const Writer& w) {
        SCOPED_TRACE(w.name);
        plant(w);
        ASSERT_EQ(run_child(w, 0), 0);
        const Snapshot after = snapshot(w);
        ASSERT_NE(after, w.before) << "the call changes no file";
        int k = 1;
        for (;; ++k) {
            ASSERT_LT(k, 400);
            plant(w);
            int status = run_child(w, k);
            if (status == 0) break;  // the call makes fewer operations than k
            ASSERT_EQ(status, plat_testing::kCrashExit) << k;
            for (const auto& f : snapshot(w)) {
                EXPECT_TRUE(f.second == w.before.at(f.first) || f.second == after.at(f.first)) << f.first << " cut at " << k;
            }
            ASSERT_EQ(run_child(w, 0), 0) << k;
            EXPECT_EQ(snapshot(w), after) << "the call after a cut at " << k;
            EXPECT_EQ(side_files(), std::vector<std::string>()) << "after the call that followed a cut at " << k;
        }
        EXPECT_GT(k, 3);
    }

    // Another program holds every file of the call open. Sharing writing, the
    // call leaves what it leaves when nothing holds them, also when a step of
    // the in-place write fails (then the old bytes are back); sharing reading
    // only, the files keep their old bytes.
    void check_held_open(const Writer& w) {
        SCOPED_TRACE(w.name);
        for (const auto& f : w.before)
            if (!f.second) return;  // nobody holds a file that is not there
        plant(w);
        ASSERT_EQ(run_child(w, 0), 0);
        const Snapshot after = snapshot(w);
        for (bool shares_writing : {true, false}) {
            plant(w);
            ASSERT_EQ(run_child(w, 0, hold_all(w, shares_writing)), 0);
            EXPECT_EQ(snapshot(w), shares_writing ? after : w.before) << shares_writing;
        }
        for (plat_testing::Op op : {plat_testing::Op::write, plat_testing::Op::truncate, plat_testing::Op::flush}) {
            for (int n = 1; n <= 3; ++n) {
                plant(w);
                auto arrange = hold_all(w, true);
                ASSERT_EQ(run_child(w, 0, [&] { arrange(), plat_testing::fail_nth(op, n); }), 0);
                Snapshot got = snapshot(w);
                EXPECT_TRUE(got == w.before || got == after) << "op " << int(op) << " #" << n;
            }
        }
    }
    std::function<void()> hold_all(const Writer& w, bool shares_writing) const {
        std::vector<std::string> files;
        for (const auto& f : w.before) files.push_back(win(f.first));
        return [files, shares_writing] {
            for (const std::string& f : files) plat_testing::hold_open(f.c_str(), shares_writing);
        };
    }
};

TEST_F(CrashTest, EveryWriterLeavesOldOrNewAtEveryStep) {
    const Bytes two = block_bytes({"SZ000001", "HK00700"});
    const int32_t d1 = kJan2 + 10 * kDay, d2 = d1 + kDay, d3 = d1 + 2 * kDay;
    const Bytes history = selfdata_bytes({{d1, 1.0f}, {d3, 3.0f}});
    const std::string selfdata = data_file(11), alarm = "userdata/SelfData/ALARM/SH600000.dat";
    const Bytes alert_head3 = alert_head({"突破", "放量", "跌停"}, 3);
    const Bytes alerts = concat({alert_head3, alert_record("SH600000", 1704187800 - 28620, "放量")});
    const std::optional<Bytes> none;
    auto block_call = [](int (*fn)(tagCALCINFO*), float p1) {
        return [fn, p1] {
            Chart c = block_chart("600000", p1, 3);
            fn(&c.ci());
        };
    };
    auto store = [d2](int (*fn)(tagCALCINFO*)) {
        return [fn, d2] {
            Chart c = chart_ending(d2, 2.0f, 11);
            c.series(std::vector<float>(10, 2.0f), 3);
            fn(&c.ci());
        };
    };
    const Writer writers[] = {
        {"save2blk", {{blk(3), two}}, block_call(save2blk, 1)},
        {"saveInt2blk", {{blk(3), two}}, block_call(saveInt2blk, 600000)},
        {"save2blk0 on a missing block", {{blk(3), none}}, [] { save2blk0("600000", "自选股3", 0); }},
        {"del2blk", {{blk(3), block_bytes({"SZ000001", "SH600000", "HK00700"})}}, block_call(del2blk, 1)},
        {"savedata", {{selfdata, history}}, store(savedata)},
        {"savedataR", {{selfdata, history}}, store(savedataR)},
        {"savedata0", {{alarm, history}}, [d2] {
             char name[] = "ALARM", code[] = "600000";
             savedata0(name, d2, code, 2.0f);
         }},
        {"SAVEDATA_CAPITAL", {{selfdata, history}}, [] {
             Chart c = flat_chart(3);
             c.series({0, 0, 4.0f}, 0);
             c.p2 = {11}, c.p3 = {100};
             SAVEDATA_CAPITAL(&c.ci());
         }},
        {"saveS", {{selfdata, history}}, [] {
             Chart c = flat_chart(3);
             c.series({5.0f, 6.0f, 7.0f}, 1);
             c.p2 = {11};
             saveS(&c.ci());
         }},
        {"saveDay", {{"SH600000.DAY", history}}, [] {
             Chart c = flat_chart(2);
             c.series({0, 0}, 0);
             saveDay(&c.ci());
         }},
        {"TDXlineAll", {{"tdx/T0002/line.dat", Bytes(298, 0x5A)}}, [] {
             Chart c = level_chart();
             TDXlineAll(&c.ci());
         }},
        {"ClearAlarm", {{"userdata/self/ALERT.DAT", alerts}}, [] { ClearAlarm(nullptr); }},
        {"Save2Mt4", {{"SH6000001440.HST", Bytes{'o', 'l', 'd'}}}, [] {
             Chart c = flat_chart(4);
             c.closes_series(1);
             Save2Mt4(&c.ci());
         }},
        {"Save2Get, data file", {{"get/SH600000DAY.TXT", Bytes{'o', 'l', 'd'}}}, [] {
             Chart c = flat_chart(4);
             c.closes_series(0);
             Save2Get(&c.ci());
         }},
    };
    for (const Writer& w : writers) {
        check_every_cut(w);
        check_held_open(w);
    }
}

TEST_F(CrashTest, AdvancedGetOffsetFileIsOldOrNewAtEveryStep) {
    // A running Advanced GET whose five arrays (10 rows, stride 80) hold the
    // data file's rows: the call learns their addresses into the offset file.
    auto get_chart = [](double bump) {
        Chart c(8);
        for (int i = 0; i < 8; ++i)
            c.bars[i] = BarRecord{kJan2 + kDay * (500 + i), 100.0f + i, 200.0f + i, 50.0f + i, 150.0f + i,
                                  static_cast<float>(1000 + i + bump), 0, 0};
        c.closes_series(0);
        return c;
    };
    Chart first = get_chart(0);
    ASSERT_EQ(Save2Get(&first.ci()), 0);  // no Advanced GET yet: the data file it loads
    const Bytes data_file = read_bytes("get/SH600000DAY.TXT");
    pw::add_window(0, "AfxFrameOrView", "Advanced GET - [SH600000DAY, Daily]", 9);
    std::vector<double> arrays(50, 0.0);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 5; ++c) arrays[c * 10 + r] = (&first.bars[r].open)[c];
    Bytes memory(400);
    std::memcpy(memory.data(), arrays.data(), memory.size());
    pw::add_memory(9, 0x200000, memory);
    check_every_cut({"Save2Get, offset file",
                     {{"get/SH600000DAY.OFF", std::nullopt}, {"get/SH600000DAY.TXT", data_file}},
                     [&get_chart] {
                         Chart c = get_chart(1);
                         Save2Get(&c.ci());
                     }});
    EXPECT_TRUE(exists("get/SH600000DAY.OFF"));  // written by the route through memory
}
