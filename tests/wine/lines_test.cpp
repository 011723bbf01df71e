// The trend-line exports through their exact symbols, and TDXlineAll writing
// a scratch TDX installation's line file named in TARVEX.ini.
#include <map>

#include "tests/wine/wine_check.h"

namespace {

std::map<int, float> labels(const Chart& c) {
    std::map<int, float> out;
    for (size_t i = 0; i < c.result.size(); ++i)
        if (c.result[i] != 0.0f) out[static_cast<int>(i)] = c.result[i];
    return out;
}

Chart flat_with(int n, float base, const std::map<int, float>& changes) {
    std::vector<float> closes(n, base);
    for (const auto& kv : changes) closes[kv.first] = kv.second;
    Chart c(0);
    c.set_bars(day_bars(closes));
    c.closes_series(0);
    c.p2 = {5.0f};
    return c;
}

// Flat 10 with levels 14 at bar 12, 6 at 24 and 12 at 36.
Chart three_levels(const std::string& code = "600000") {
    Chart c = flat_with(50, 10.0f, {{12, 14.0f}, {24, 6.0f}, {36, 12.0f}});
    c.label = code;
    c.p4 = {50.0f};
    return c;
}


const char kLineFile[] = "tdx\\T0002\\line.dat";

void configure_tdx() {
    make_dirs("tdx\\T0002");
    write_text("TARVEX.ini", "[路径]\r\n通达信=" + host_path("tdx") + "\r\n");
}

}  // namespace

WINE_TEST(lines_staircases_through_their_symbols) {
    Chart c = flat_with(40, 10.0f, {{30, 12.0f}, {20, 15.0f}, {10, 20.0f}});
    CHECK_EQ(call("Tline", c), 0);
    CHECK(labels(c) == (std::map<int, float>{{30, 1}, {20, 2}, {10, 3}}));
    Chart low = flat_with(40, 20.0f, {{30, 18.0f}, {20, 15.0f}, {10, 12.0f}});
    CHECK_EQ(call("TlineLow", low), 0);
    CHECK(labels(low) == (std::map<int, float>{{30, 1}, {20, 2}, {10, 3}}));
    // The walk that would never end with a short step back.
    Chart hang(0);
    std::vector<float> closes, p1;
    for (int i = 0; i < 20; ++i) {
        closes.push_back(static_cast<float>(i + 1));
        p1.push_back(static_cast<float>(i + 1) - 0.1f);
    }
    hang.set_bars(day_bars(closes));
    hang.series(p1, 0);
    hang.p2 = {2.0f};
    CHECK_EQ(call("Tline", hang), 0);
    CHECK(labels(hang) == (std::map<int, float>{{19, 1}}));
}

WINE_TEST(lines_levels_through_their_symbols) {
    Chart all = three_levels();
    CHECK_EQ(call("TlineAll", all), 0);
    CHECK(labels(all) == (std::map<int, float>{{7, -1}, {12, 2}, {24, -2}, {36, 1}}));
    Chart near = three_levels();
    near.p4.clear();
    CHECK_EQ(call("TlineNear", near), 0);
    CHECK(labels(near) == (std::map<int, float>{{36, 1}, {24, 2}, {12, 3}, {7, 4}}));
    // The 1 % test in single precision on the x87 build too: 10.89 and 11
    // are not within it, so neither level is merged away.
    Chart single = flat_with(50, 10.0f, {{12, 11.0f}, {24, 6.0f}, {36, 10.89f}});
    CHECK_EQ(call("TlineNear", single), 0);
    CHECK(labels(single) == (std::map<int, float>{{36, 1}, {24, 2}, {12, 3}, {7, 4}}));

    std::vector<float> p;
    for (int i = 0; i < 36; ++i) p.push_back(10.0f + 0.01f * static_cast<float>(i));
    p[8] += 5.0f;
    p[16] -= 5.0f;
    p[24] += 3.0f;
    Chart s(0);
    s.set_bars(day_bars(p));
    s.series(p, 0);
    s.p2 = {5.0f};
    CHECK_EQ(call("TLineS", s), 0);
    CHECK(labels(s) == (std::map<int, float>{{0, -1}, {8, 2}, {16, -2}, {24, 1}}));
    // Refusals leave the result as the host gave it.
    s.period = kPeriodTick;
    s.result.assign(s.result.size(), -777.0f);
    CHECK_EQ(call("TLineS", s), -1);
    CHECK_EQ(call("TlineNear", s), -1);
    CHECK_EQ(s.result[35], -777.0f);
}

WINE_TEST(lines_tdx_records_written_updated_and_others_kept) {
    configure_tdx();
    Bytes other = tdx_line_record("000001", 20230101, 3.5f, 0, 255);
    other[200] = 0x5A;
    write_bytes(kLineFile, concat({other, tdx_line_record("600000", 20200101, 1.0f, 0, 255)}));
    Bytes want = concat({other, tdx_line_record("600000", 20240109, 10.0f, 0, 255),
                         tdx_line_record("600000", 20240114, 14.0f, 1, 65280),
                         tdx_line_record("600000", 20240126, 6.0f, 2, 255),
                         tdx_line_record("600000", 20240207, 12.0f, 3, 65280)});
    for (int round = 0; round < 3; ++round) {
        Chart c = three_levels();
        CHECK_EQ(call("TDXlineAll", c), 0);
        CHECK_EQ(c.result[12], 2.0f);
        CHECK(read_bytes(kLineFile) == want);
    }
    const std::string log = log_text();
    CHECK(log.find("-> 打开文件成功: " + host_path(kLineFile)) != std::string::npos);
    CHECK(log.find("-> 查找到 600000") != std::string::npos);
    CHECK(log.find("-> 添加后的文件长度= 1490") != std::string::npos);
    // Another security's call appends its own and keeps these.
    Chart b = three_levels("000002");
    CHECK_EQ(call("TDXlineAll", b), 0);
    Bytes got = read_bytes(kLineFile);
    CHECK_EQ(got.size(), want.size() + 4 * 298);
    CHECK(Bytes(got.begin(), got.begin() + want.size()) == want);
    remove_file(kLineFile);
    remove_file("TARVEX.ini");
}

WINE_TEST(lines_tdx_without_directory_fails_and_writes_nothing) {
    write_text("TARVEX.ini", "[路径]\r\n通达信=" + host_path("no_tdx") + "\r\n");
    Chart c = three_levels();
    CHECK_EQ(call("TDXlineAll", c), -1);
    CHECK(log_text().find("-> 打开文件失败 " + host_path("no_tdx\\T0002\\line.dat")) != std::string::npos);
    CHECK(!file_exists("no_tdx"));
    Chart refused = three_levels();
    refused.p4.clear();
    clear_log();
    CHECK_EQ(call("TDXlineAll", refused), -1);
    CHECK_EQ(log_text(), std::string());
    remove_file("TARVEX.ini");
}

WINE_TEST(lines_tdx_user_drawings_stay_and_only_this_calls_records_are_left) {
    configure_tdx();
    // The user's lines on 600000 and another security's record, around six
    // records an earlier call left for 600000.
    const std::vector<Bytes> user = tdx_user_lines("600000");
    const Bytes other = tdx_line_record("000001", 20230101, 3.5f, 0, 255);
    std::vector<Bytes> earlier;
    for (int k = 0; k < 6; ++k) earlier.push_back(tdx_line_record("600000", 20200101 + k, 1.0f + k, k, 255));
    const std::vector<Bytes> now = {tdx_line_record("600000", 20240109, 10.0f, 0, 255),
                                    tdx_line_record("600000", 20240114, 14.0f, 1, 65280),
                                    tdx_line_record("600000", 20240126, 6.0f, 2, 255),
                                    tdx_line_record("600000", 20240207, 12.0f, 3, 65280)};
    auto file_of = [&](const std::vector<Bytes>& ours) {
        std::vector<Bytes> parts;
        for (size_t k = 0; k < user.size(); ++k) {
            parts.push_back(user[k]);
            if (k < ours.size()) parts.push_back(ours[k]);
            if (k == 2) parts.push_back(other);
        }
        return concat(parts);
    };
    write_bytes(kLineFile, file_of(earlier));
    Chart c = three_levels();
    CHECK_EQ(call("TDXlineAll", c), 0);
    CHECK(read_bytes(kLineFile) == file_of(now));
    CHECK(log_text().find("-> 删除多余记录 filepos= ") != std::string::npos);
    // No level found: none of the library's records of 600000 stays.
    Chart none = three_levels();
    none.closes_series(45);
    CHECK_EQ(call("TDXlineAll", none), 45);
    CHECK(read_bytes(kLineFile) == file_of({}));
    remove_file(kLineFile);
    remove_file("TARVEX.ini");
}
