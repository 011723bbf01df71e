// Every reader of another program's file against a file one byte over its
// format's cap: refused unread with one log line, the export failing as for
// an unreadable file, and the file left as it was; a file of exactly the cap
// is still read.
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "alarms/exports.h"
#include "blocks/block_format.h"
#include "blocks/exports.h"
#include "datafiles/exports.h"
#include "datafiles/selfdata_format.h"
#include "invest/exports.h"
#include "invest/investment_file.h"
#include "lines/exports.h"
#include "lines/tdx_line_format.h"
#include "tests/native/datafiles_support.h"

namespace {

class CappedReads : public DataFileTest {
protected:
    // A file of `size` bytes, the first `head` of them given (the rest zero,
    // and sparse: no test writes megabytes).
    void sized_file(const std::string& rel, size_t size, const Bytes& head = {}) {
        write_bytes(rel, head);
        ASSERT_EQ(truncate(at(rel).c_str(), static_cast<off_t>(size)), 0);
    }
    size_t size_of(const std::string& rel) const {
        struct stat st;
        return stat(at(rel).c_str(), &st) == 0 ? static_cast<size_t>(st.st_size) : 0;
    }
    static Chart with(std::function<void(Chart&)> setup) {
        Chart c(10);
        setup(c);
        return c;
    }
};

}  // namespace

TEST_F(CappedReads, FilesOverTheirCapAreRefusedUnread) {
    make_dir("USERDATA");
    make_dir("USERDATA/SELF");
    make_dir("tdx");
    make_dir("tdx/T0002");
    write_text("TARVEX.ini", "[路径]\n通达信=" + win("tdx") + "\n");
    const std::string block = "userdata/block/自选股1.BLK";
    struct Case {
        const char* what;
        std::string file;
        size_t cap;
        FormulaCall fn;
        std::function<void(Chart&)> setup;
        int returned;  // -1, or the slot index returned
    } cases[] = {
        {"save2blk", block, kBlockFileCap, save2blk, [](Chart& c) { c.constant(1), c.p2 = {1}; }, 9},
        {"bknumb", block, kBlockFileCap, bknumb, [](Chart& c) { c.constant(1); }, 9},
        {"inblock", block, kBlockFileCap, inblock, [](Chart& c) { c.constant(1), c.p2 = {1}; }, 9},
        {"savedata", data_file(11), kSelfDataFileCap, savedata, [](Chart& c) { c.constant(5), c.p2 = {11}; }, -1},
        {"ReadData", data_file(11), kSelfDataFileCap, ReadData, [](Chart& c) { c.closes_series(0), c.p2 = {11}; },
         -1},
        {"Trade", "USERDATA/SELF/账户1.inv", kInvFileCap, Trade, [](Chart& c) { c.constant(1), c.p2 = {1}; }, -1},
        {"TradeFS", "USERDATA/SELF/账户1.inv", kInvFileCap, TradeFS,
         [](Chart& c) { c.series(std::vector<float>(10, 1), 0), c.period = kPeriodTimeShare; }, -1},
        {"Deal", "2.dat", 8u << 20, Deal, [](Chart& c) { c.closes_series(0), c.p2 = {2}; }, -1},
        {"TDXlineAll", "tdx/T0002/line.dat", kTdxLineFileCap, TDXlineAll,
         [](Chart& c) { c.closes_series(0), c.p2 = {5}, c.p4 = {50}; }, -1},
    };
    for (const Case& k : cases) {
        sized_file(k.file, k.cap + 1, block_file_bytes({"SH600000"}));
        std::remove("TARVEX.log");
        Chart c = with(k.setup);
        EXPECT_EQ(k.fn(&c.ci()), k.returned) << k.what;
        EXPECT_NE(log_text().find("-> 文件超过上限 " + std::to_string(k.cap) + " 字节，未读取: " + win(k.file)),
                  std::string::npos)
            << k.what;
        if (k.returned >= 0) {
            EXPECT_EQ(c.result[k.returned], 0.0f) << k.what;  // no member counted or found
        }
        EXPECT_EQ(size_of(k.file), k.cap + 1) << k.what;
        std::remove(at(k.file).c_str());
    }
    char name[] = "DATA11", code[] = "SH600000";
    sized_file("userdata/SelfData/DATA11/SH600000.dat", kSelfDataFileCap + 1);
    EXPECT_EQ(savedata0(name, kJan2, code, 1.0f), -1);
    EXPECT_EQ(size_of("userdata/SelfData/DATA11/SH600000.dat"), kSelfDataFileCap + 1);

    // Exactly at the cap: read. The block's one code and then zero records.
    sized_file(block, kBlockFileCap, block_file_bytes({"SH600000"}));
    Chart in = with([](Chart& c) { c.constant(1), c.p2 = {1}; });
    EXPECT_EQ(inblock(&in.ci()), 9);
    EXPECT_EQ(in.result[9], 1.0f);
    Chart count = with([](Chart& c) { c.constant(1); });
    EXPECT_EQ(bknumb(&count.ci()), 9);
    EXPECT_EQ(count.result[9], static_cast<float>(kBlockMaxRecords));
}
