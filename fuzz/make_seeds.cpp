// Writes the seed corpora (fuzz/corpus/<target>/) from the project's own
// file writers and the tests' byte builders: one or a few well-formed files
// per reader, small enough to keep in the repository.
// Usage: make_seeds SOURCE_DIR
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "datafiles/selfdata_format.h"
#include "tests/expected_bytes.h"
#include "tests/invest_alarm_bytes.h"
#include "tests/stock_info_bytes.h"

namespace {
std::string g_corpus;

void seed(const std::string& target, const std::string& name, const Bytes& b) {
    std::string dir = g_corpus + "/" + target;
    mkdir(dir.c_str(), 0755);
    std::ofstream(dir + "/" + name, std::ios::binary).write(reinterpret_cast<const char*>(b.data()),
                                                            static_cast<std::streamsize>(b.size()));
}
Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::string top = argv[1];
    g_corpus = top + "/fuzz/corpus";
    mkdir(g_corpus.c_str(), 0755);

    seed("ini_fuzz", "shipped.ini", file(top + "/docs/TARVEX.ini"));
    seed("ini_fuzz", "paths.ini", text("[路径]\r\n通达信=C:\\tdx\r\nMT4_HST_PATH=D:\\mt4\\\r\n[板块名]\r\n3=强势\r\n"
                                       "[自定义数据名]\r\n7=ALARM\r\n[文件名]\r\n7=a.dat\r\n[投资账户]\r\n1=我的\r\n"));
    seed("block_fuzz", "three.blk", block_file_bytes({"SH600000", "SZ000001", "HK00700"}));
    seed("block_fuzz", "empty.blk", block_file_bytes({}));
    int32_t day = 1704153600;
    std::vector<SelfDataRecord> history;
    for (int i = 0; i < 12; ++i) history.push_back({day + 86400 * 3 * i, 1.5f * static_cast<float>(i)});
    seed("selfdata_fuzz", "history.dat", encode_selfdata_records(history));
    seed("selfdata_fuzz", "one.dat", encode_selfdata_records({{day, 2.0f}}));
    Bytes values;
    for (int i = 0; i < 9; ++i) put_f32(values, 0.25f * static_cast<float>(i));
    seed("value_fuzz", "nine.dat", values);
    seed("tdxline_fuzz", "lines.dat", concat({tdx_line_record("600000", 20240109, 10.0f, 0, 255),
                                              tdx_line_record("000001", 20240114, 14.0f, 1, 65280),
                                              tdx_line_record("600000", 20240126, 6.0f, 2, 255)}));
    seed("stockinfo_fuzz", "both.dat", concat({stock_info_file(600, 320, {{"600001", 3}, {"600000", -10}}),
                                               stock_info_file(600, 273, {{"000002", 1}, {"000001", 127}})}));
    int32_t bar0 = day;  // the time-share chart's first minute, as the host's UTC+8 minutes
    seed("alert_fuzz", "alerts.dat", concat({alert_head({"突破", "跌停"}, 2), alert_record("SH600000", bar0 - 28650, "跌停"),
                                             alert_record("SZ000001", bar0 - 28800 + 300, "突破")}));
    seed("invest_fuzz", "account.inv", investment_file({{"600000", 2, day + 3600, 10, 100, 0},
                                                        {"600000", 3, day + 86400 * 2, 30, 10, 0.01},
                                                        {"600000", 5, day + 86400 * 4, 40, 100, 0}}));
    seed("deal_fuzz", "trades.txt", text("成交时间,合约,买卖,开平,成交价,手数\r\n"
                                         "2010/12/01 09:31:05,IF1012,买,开,2350.2,3\r\n"
                                         "2010-12-01 09:33:50,IF1012,卖,平,2354,1\r\n"));
    seed("csv_fuzz", "day_bars.csv", file(top + "/docs/samples/day_bars.csv"));
    Bytes day_file = file(top + "/docs/samples/sh600000.day");
    day_file.resize(day_file.size() < 8 * 32 ? day_file.size() : 8 * 32);  // the first 8 bars of the docs' sample
    seed("tdx_day_fuzz", "sh600000.day", day_file);
    return 0;
}
