// Test support implementation.
#include "tests/native/support.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/portable_testing.h"

void HostTest::SetUp() {
    setenv("TZ", "CST-8", 1);
    tzset();
    char tmpl[] = "/tmp/tarvex-test-XXXXXX";
    std::string base = mkdtemp(tmpl);
    root_ = base + "/host";
    make_dir("");
    make_dir("userdata");
    make_dir("userdata/block");
    make_dir("userdata/self");
    make_dir("userdata/SelfData");
    std::string exe = root_ + "/dzh.exe";
    for (char& c : exe)
        if (c == '/') c = '\\';
    plat_testing::set_executable_path(exe.c_str());
    plat_testing::reset_faults();
    plat_testing::set_now(-1);
    char cwd[4096];
    old_cwd_ = getcwd(cwd, sizeof cwd) ? cwd : "/";
    ASSERT_EQ(chdir(root_.c_str()), 0);
}

void HostTest::TearDown() {
    plat_testing::reset_faults();
    plat_testing::set_now(-1);
    plat_testing::set_executable_path("");
    if (chdir(old_cwd_.c_str()) != 0) return;
    std::string base = root_.substr(0, root_.rfind('/'));
    if (base.rfind("/tmp/tarvex-test-", 0) == 0) {
        std::string cmd = "rm -rf '" + base + "'";
        if (std::system(cmd.c_str()) != 0) return;
    }
}

std::string HostTest::at(const std::string& rel) const { return rel.empty() ? root_ : root_ + "/" + rel; }

std::string HostTest::win(const std::string& rel) const {
    std::string s = at(rel);
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

std::string HostTest::module_dir_text() const { return win("") + "\\"; }

void HostTest::write_text(const std::string& rel, const std::string& text) const {
    std::ofstream(at(rel), std::ios::binary) << text;
}

void HostTest::write_bytes(const std::string& rel, const Bytes& bytes) const {
    std::ofstream out(at(rel), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes HostTest::read_bytes(const std::string& rel) const {
    std::ifstream in(at(rel), std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool HostTest::exists(const std::string& rel) const { return access(at(rel).c_str(), F_OK) == 0; }

void HostTest::make_dir(const std::string& rel) const { mkdir(at(rel).c_str(), 0777); }

std::string HostTest::log_text() const {
    Bytes b = read_bytes("TARVEX.log");
    return std::string(b.begin(), b.end());
}

int64_t local_seconds(int year, int month, int day, int hour, int minute, int second) {
    struct tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = 0;
    return static_cast<int64_t>(mktime(&tm));
}

void put_u32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void put_i32(Bytes& b, int32_t v) { put_u32(b, static_cast<uint32_t>(v)); }
void put_f32(Bytes& b, float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    put_u32(b, u);
}
void put_text(Bytes& b, const std::string& s, size_t width) {
    for (size_t i = 0; i < width; ++i) b.push_back(i < s.size() ? static_cast<unsigned char>(s[i]) : 0);
}

Chart::Chart(int n, float fill) : bars(static_cast<size_t>(n)), result(static_cast<size_t>(n), fill) {
    for (int i = 0; i < n; ++i) {
        bars[i].time = 1704153600 + 86400 * i;
        bars[i].open = bars[i].high = bars[i].low = bars[i].close = 10.0f;
        bars[i].volume = 1000.0f;
        bars[i].amount = 10000.0f;
    }
}

void Chart::constant(float v) {
    p1 = {v};
    param1_start = -1;
}

void Chart::series(const std::vector<float>& values, int start) {
    p1 = values;
    param1_start = start;
}

tagCALCINFO& Chart::ci() {
    rec_ = tagCALCINFO{};
    rec_.stock_label = label.c_str();
    rec_.label_flag = label_flag;
    rec_.data_count = static_cast<int32_t>(bars.size());
    rec_.bars = bars.empty() ? nullptr : bars.data();
    rec_.ext_records = ext.empty() ? nullptr : ext.data();
    rec_.param1_start = param1_start;
    rec_.param1 = p1.empty() ? nullptr : p1.data();
    rec_.param2 = p2.empty() ? nullptr : p2.data();
    rec_.param3 = p3.empty() ? nullptr : p3.data();
    rec_.param4 = p4.empty() ? nullptr : p4.data();
    rec_.result = result.empty() ? nullptr : result.data();
    rec_.period = period;
    return rec_;
}

std::vector<BarRecord> day_bars(const std::vector<float>& closes, int64_t first_day_utc) {
    std::vector<BarRecord> bars(closes.size());
    for (size_t i = 0; i < closes.size(); ++i) {
        BarRecord& b = bars[i];
        b.time = static_cast<int32_t>(first_day_utc + 86400 * static_cast<int64_t>(i));
        b.open = b.high = b.low = b.close = closes[i];
        b.volume = 1000.0f;
        b.amount = closes[i] * 1000.0f;
    }
    return bars;
}
