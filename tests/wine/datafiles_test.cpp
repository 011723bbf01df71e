// The data-file exports through the DLL's exact symbols (savedata0 through
// its four-argument type-decorated one), with the files they leave read back
// byte by byte and compared with files built from the 8-byte layouts.
#include <string>
#include <utility>
#include <vector>

#include "tests/wine/wine_check.h"

namespace {

const int32_t kDay = 86400;
const int32_t kJan2 = 1704153600;  // the first bar of Chart

Bytes records(const std::vector<std::pair<int32_t, float>>& recs) {
    Bytes b;
    for (const auto& r : recs) {
        put_u32(b, static_cast<uint32_t>(r.first));
        put_f32(b, r.second);
    }
    return b;
}

bool log_has(const std::string& text) { return log_text().find(text) != std::string::npos; }

Chart value_chart(int n, float v, float k) {
    Chart c(n);
    c.constant(v);
    c.p2 = {k};
    return c;
}

}  // namespace

WINE_TEST(datafiles_savedata_merges_by_day) {
    make_dirs("userdata\\SelfData\\DATA11");
    const std::string file = "userdata\\SelfData\\DATA11\\SH600000.dat";
    remove_file(file);
    Chart first = value_chart(5, 1.5f, 11);  // last bar: 2024-01-06
    CHECK_EQ(call("savedata", first), 4);
    CHECK_EQ(first.result[4], 1.5f);
    Chart later = value_chart(7, 2.5f, 11);
    CHECK_EQ(call("savedata", later), 5);  // 7 bars, 1 stored record
    Chart same = value_chart(7, 2.5f, 11);
    CHECK_EQ(call("savedata", same), 0);
    Chart earlier = value_chart(3, 0.5f, 11);
    earlier.series({0.5f, 0.5f, 0.5f}, 1);
    CHECK_EQ(call("savedataR", earlier), 1);
    CHECK(read_bytes(file) ==
          records({{kJan2 + 2 * kDay, 0.5f}, {kJan2 + 4 * kDay, 1.5f}, {kJan2 + 6 * kDay, 2.5f}}));

    // Data number 10 keeps the latest record only.
    Chart ten = value_chart(2, 7.0f, 10);
    CHECK_EQ(call("savedata", ten), 1);
    CHECK(read_bytes("userdata\\SelfData\\DATA10\\SH600000.dat") == records({{kJan2 + kDay, 7.0f}}));
    CHECK_EQ(log_text(), std::string());

    Chart zero = value_chart(2, 7.0f, 11);
    zero.bars[1].close = 0;
    CHECK_EQ(call("savedata", zero), -1);
    CHECK(log_has("savedata 收盘价<=0，文件=   " + host_path(file)));
}

WINE_TEST(datafiles_savedata0_through_its_four_argument_symbol) {
    const std::string file = "userdata\\SelfData\\预警数据\\SH600000.dat";
    CHECK_EQ(call_savedata0("预警数据", kJan2 + 3600, "600000", 1.0f), 0);
    CHECK_EQ(call_savedata0("预警数据", kJan2 + 7200, "600000", 2.0f), 0);
    CHECK_EQ(call_savedata0("预警数据", kJan2 + kDay, "600000", 3.0f), 0);
    CHECK(read_bytes(file) == records({{kJan2, 2.0f}, {kJan2 + kDay, 3.0f}}));
    CHECK_EQ(log_text(), std::string());
}

WINE_TEST(datafiles_capital_and_saves_and_readdata) {
    make_dirs("userdata\\SelfData\\DATA12");
    const std::string file = "userdata\\SelfData\\DATA12\\SH600000.dat";
    Chart cap(3);
    cap.series({0, 0, 4.0f}, 0);
    cap.p2 = {12};
    cap.p3 = {99.9f};
    CHECK_EQ(call("SAVEDATA_CAPITAL", cap), 2);
    CHECK_EQ(cap.result[2], 99.0f);
    int32_t day = kJan2 - kDay;
    CHECK(read_bytes(file) == records({{day, 99.0f}, {day, 4.0f}, {day, 1000.0f}}));

    Chart s(4);
    for (int i = 0; i < 4; ++i) s.bars[i].time += 9 * 3600;
    s.series({1, 2, 3, 4}, 1);
    s.p2 = {12};
    CHECK_EQ(call("saveS", s), 1);
    CHECK(read_bytes(file) == records({{kJan2 + kDay, 2}, {kJan2 + 2 * kDay, 3}, {kJan2 + 3 * kDay, 4}}));

    Chart r(4);
    r.series({0, 0, 0, 0}, 0);
    r.p2 = {12};
    CHECK_EQ(call("ReadData", r), 0);
    CHECK_EQ(r.result[0], 0.0f);
    CHECK_EQ(r.result[1], 2.0f);
    CHECK_EQ(r.result[3], 4.0f);

    s.period = kPeriodMin5;
    CHECK_EQ(call("saveS", s), -1);
    CHECK(log_has("saveS 不支持非日线数据存盘"));
}

WINE_TEST(datafiles_failed_replacement_keeps_the_old_content) {
    // The target name is taken by a directory: the new content cannot be
    // moved over it, and the call must say so.
    make_dirs("userdata\\SelfData\\DATA13\\SH600000.dat");
    Chart s(2);
    s.series({1, 2}, 0);
    s.p2 = {13};
    CHECK_EQ(call("saveS", s), -1);
    CHECK(log_has("saveS 初始化文件失败："));
    CHECK_EQ(s.result[0], -777.0f);
}

WINE_TEST(datafiles_saveday_and_readfile) {
    Chart c(3);
    c.series({0, 0, 0}, 1);
    c.bars[2].close = 12.5f;
    CHECK_EQ(call("saveDay", c), 1);
    Bytes want;
    put_u32(want, kJan2 + kDay);
    put_f32(want, 10.0f);
    put_u32(want, kJan2 + 2 * kDay);
    put_f32(want, 12.5f);
    CHECK(read_bytes("SH600000.DAY") == want);
    c.period = kPeriodWeek;
    CHECK_EQ(call("saveDay", c), -1);
    CHECK(read_bytes("SH600000.DAY") == want);

    Bytes values;
    for (float v : {1.5f, 2.5f, 3.5f}) put_f32(values, v);
    write_bytes("7.dat", values);
    Chart f(10);
    f.constant(7);
    CHECK_EQ(call("readfile", f), 6);
    CHECK_EQ(f.result[9], 3.0f);
    CHECK_EQ(f.result[8], 1.5f);
    CHECK_EQ(f.result[6], 3.5f);
    CHECK_EQ(f.result[5], -777.0f);
}
